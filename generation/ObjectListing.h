// The statements that list a server's databases and the objects of one kind in a
// database, as the explorer and the command-line front end show them.
#pragma once

#include "ObjectKind.h"

#include <QString>

// "SELECT name FROM master..sysdatabases ORDER BY name DESC", or the current database
// only on SQL Anywhere.
QString databaseListingStatement(const QString& rdbms);

// The listing of one kind in `database`; every row's first column is an object caption.
QString objectListingStatement(ObjectKind kind, const QString& database, const QString& rdbms);

// The status text shown while a kind is listed ("Retrieving users from " + database).
QString objectListingProgressText(ObjectKind kind, const QString& database);

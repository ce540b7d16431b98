// Composes the GRANT (and REVOKE) statements that re-create an object's privileges.
#pragma once

#include "CTLibObjRecords.h"

#include <QMap>
#include <QStringList>

// The statements for object `objectName` from its protection rows, in catalog order.
// When every scriptable row grants to one user the result is the single line
// "GRANT SELECT,UPDATE ON items TO guest"; otherwise one statement per grantee and
// kind of row (GRANT, GRANT ... WITH GRANT OPTION, REVOKE ... FROM) and set of columns;
// a row on some columns names them after its privileges, as in
// "GRANT UPDATE (name,zip) ON customers TO john". EXECUTE is
// scriptable only for text objects (`withExecute`); rows of other actions and rows
// whose grantee no longer exists are left out. Empty when nothing is scriptable.
QStringList composeGrantStatements(const TCTProtectList& protects, const QString& objectName,
                                   bool withExecute);

// The statements that give the system tables of a database the privilege rows `database`
// holds, in a database that starts with the rows `newDatabase` holds (what a new database
// carries). Only the tables whose rows differ are named: each loses what a new database
// grants on it, then gets its own rows as composeGrantStatements() writes them. Empty when
// nothing differs.
QStringList composeSystemTableStatements(const TCTProtectList& database,
                                         const TCTProtectList& newDatabase);
// The system tables, by id and with their names, whose rows in `database` differ from those
// in `newDatabase`.
QMap<int, QString> differingSystemTables(const TCTProtectList& database,
                                         const TCTProtectList& newDatabase);

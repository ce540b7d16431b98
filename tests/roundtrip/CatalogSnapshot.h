// The catalog of one database as rows of text, keyed by names rather than ids, so that
// two databases holding the same objects give the same rows.
#pragma once

#include <QString>
#include <QStringList>

// Rows "<table>|<name columns and values>" from sysobjects, syscolumns, sysindexes,
// syscomments (each object's whole text), sysusers, systypes and sysprotects of
// `database`, sorted; read through the connection named "db".
QStringList catalogSnapshot(const QString& database);

// The rows of `before` missing from `after` ("- row") and the rows of `after` missing
// from `before` ("+ row").
QStringList snapshotDifferences(const QStringList& before, const QStringList& after);

// The catalog of one database as rows of text, keyed by names rather than ids, so that
// two databases holding the same objects give the same rows.
#pragma once

#include <QString>
#include <QStringList>

// Rows "<table>|<owner and name columns and values>" from sysobjects (with their storage
// flags), syscolumns (types, lengths, computed-column bits, defaults, rules), sysindexes
// (keys with their order, options, segments), sysconstraints, sysreferences (keys to
// other databases too), sysusers with their ids and logins,
// sysalternates, systypes, sysprotects, and syscomments (each object's whole text with
// its status) of `database`, sorted; read through the connection named "db". Names the
// server generated are compared without their id. Objects whose text is hidden are
// left out and named in `hiddenTexts`.
QStringList catalogSnapshot(const QString& database, QStringList* hiddenTexts = nullptr);

// The server's own catalog, keyed by names: logins with their password hashes, roles and
// role grants, databases with their options, owners and fragments, devices, remote
// servers, configuration values, and the segments and thresholds of `databases`.
QStringList serverSnapshot(const QStringList& databases);

// The rows of `before` missing from `after` ("- row") and the rows of `after` missing
// from `before` ("+ row").
QStringList snapshotDifferences(const QStringList& before, const QStringList& after);

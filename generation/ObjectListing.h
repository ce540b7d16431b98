// What the explorer lists, and how: the statements for a server's databases and for the
// objects of one kind in a database, and the reader that runs them for the explorer and
// the command-line front end alike.
#pragma once

#include "ObjectKind.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class TCTLibEnhQuery;

// "SELECT name FROM master..sysdatabases ORDER BY name DESC", or the current database
// only on SQL Anywhere.
QString databaseListingStatement(const QString& rdbms);

// The listing of one kind in `database`; every row's first column is an object caption.
QString objectListingStatement(ObjectKind kind, const QString& database, const QString& rdbms);

// The listings of several kinds of Adaptive Server objects in one statement: kind number,
// the two keys that order a kind's listing, the caption and the owner (empty for users,
// groups, indexes and datatypes); in kind order, and within a kind in the order of its own
// listing.
QString objectsListingStatement(const QList<ObjectKind>& kinds, const QString& database);

// Objects whose uid maps to no user or group are listed all the same, captioned
// "uid N.name": whether a caption's owner part is of that form.
bool isOwnerUid(const QString& owner);

// The entries of a kind's listing that name nothing a script can re-create: the indexes
// of system tables and the text and image storage rows of tables (indexes), the roles
// (groups). Empty for the other kinds, and on SQL Anywhere.
QString unscriptableListingStatement(ObjectKind kind, const QString& database,
                                     const QString& rdbms);

// The status text shown while a kind is listed ("Retrieving users from " + database).
QString objectListingProgressText(ObjectKind kind, const QString& database);

// Reads the listings through a query of the connection, in the order the explorer shows
// them.
class TObjectListingReader {
public:
    TObjectListingReader(TCTLibEnhQuery& query, QString rdbms);

    // The databases in ascending order: the statement lists them descending, and the tree
    // puts each one it reads at the top.
    QStringList databases();
    // Hands each caption of `kind` in `database` to `add` as it is read, so that a read
    // that fails leaves what came before it.
    void readObjects(ObjectKind kind, const QString& database,
                     const std::function<void(const QString&)>& add);
    QStringList objects(ObjectKind kind, const QString& database);
    // The captions of unscriptableListingStatement().
    QSet<QString> unscriptableObjects(ObjectKind kind, const QString& database);
    // The objects of several kinds, in kind order: one read on Adaptive Server. `add` gets
    // the kind, the caption and, for owned objects, the owner (empty on SQL Anywhere).
    void readObjects(const QList<ObjectKind>& kinds, const QString& database,
                     const std::function<void(ObjectKind, const QString&, const QString&)>& add);

private:
    void readFirstColumn(const QString& statement, const std::function<void(const QString&)>& add);

    TCTLibEnhQuery& m_query;
    QString m_rdbms;
};

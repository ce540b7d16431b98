// The statements that replace a rule or default object (CREATE RULE, CREATE DEFAULT) in a
// database that may hold an older one of the same name: the server refuses to drop one
// that is bound, and binding is done by the owner of the table or datatype. So the
// object is first unbound from whatever the database has it bound to, found when the
// script runs; then dropped and created again; then bound where the scripted database
// has it bound. Every string is a single-quoted literal: the statements read the same
// with quoted identifiers on or off.
#pragma once

#include "CTLibObjRecords.h"

#include <QString>
#include <QStringList>

struct TBoundObject {
    QString Owner;
    QString Name;
    bool Rule = false;
    // Prefix of the catalog tables ("db." or empty).
    QString DbPrefix;

    // "owner.name", as sp_bindrule and sp_bindefault take it.
    QString qualifiedName() const;
};

namespace BoundObjectScript {

// One batch, run as the user who owns the tables: the object is unbound from their columns
// (and, `withDatatypes`, first from every user datatype, which the database owner may do).
// Nothing happens when the database holds no such object, or a declared one of its name.
QStringList unbindBatch(const TBoundObject& object, bool withDatatypes);

// The guarded DROP RULE or DROP DEFAULT, run as the object's owner.
QStringList dropStatements(const TBoundObject& object, const QString& dropName);

// The binds to `targets` (all datatypes, or all columns of tables of one owner, run as
// that owner), each skipped when its datatype or column does not exist.
QStringList bindStatements(const TBoundObject& object, const QList<TCTBoundTarget>& targets);

// A name that sp_bindrule and its kin would split at a dot of its own.
bool splitByBindProcedures(const TCTBoundTarget& target);

}  // namespace BoundObjectScript

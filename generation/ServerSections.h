// The sections that re-create the server around its databases: devices, databases with
// their fragments, segments, options and thresholds, logins, roles, remote servers and
// configuration values. Each is a function of the object's record and the options; what
// must wait for objects written later (role grants, database owners, options that would
// refuse the databases' own objects) comes back apart, for the generator to place.
#pragma once

#include "AppSettings.h"
#include "ServerRecords.h"

#include <QStringList>
#include <optional>

class TServerCatalog;

struct TServerSection {
    QStringList Lines;
    // Batches that need every login and role of the script: role grants, database owners.
    QStringList AfterLogins;
    // Batches for the end of the script: database options under which the database's
    // objects could not be created (read only, single user, dbo use only).
    QStringList AtEnd;
    // What the script leaves for the user to do (password placeholders).
    QStringList Warnings;
};

TServerSection deviceSection(const TServerDevice& device, const TScriptOptions& options);
TServerSection databaseSection(const TServerDatabase& database, const TScriptOptions& options);
TServerSection loginSection(const TServerLogin& login, const TScriptOptions& options);
TServerSection roleSection(const TServerRole& role, const TScriptOptions& options);
TServerSection remoteServerSection(const TRemoteServer& server, const TScriptOptions& options);
TServerSection configurationSection(const TConfigurationValue& value);

// The section of the server object `name` of `kind`, from `catalog`; nothing when the
// catalog has no such object.
std::optional<TServerSection> serverSection(TServerCatalog& catalog, ObjectKind kind,
                                            const QString& name, const TScriptOptions& options);

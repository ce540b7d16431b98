// Reads what the server holds around its databases from master (and each user database's
// segments and thresholds): one statement per kind, read on first use and kept for the
// run, as typed records. The server's own devices, databases, logins and roles, which a
// new server already has, are left out.
#pragma once

#include "ObjectKind.h"
#include "ServerRecords.h"

#include <QHash>
#include <QStringList>
#include <optional>

class TCTLibObjInfo;

class TServerCatalog {
public:
    explicit TServerCatalog(TCTLibObjInfo& reader) : m_reader(reader) {}

    // The names of `kind` in the order the folder lists them.
    QStringList names(ObjectKind kind);

    const QList<TServerDevice>& devices();
    const QList<TServerDatabase>& databases();
    const QList<TServerLogin>& logins();
    const QList<TServerRole>& roles();
    const QList<TRemoteServer>& remoteServers();
    const QList<TConfigurationValue>& configuration();

    // Whether the login can read the password hashes (sso_role); read once.
    bool passwordsReadable();

    // The databases that come with the server, which a script never creates.
    static bool isSystemDatabase(const QString& name);

private:
    void readSegments(QHash<QString, TServerDatabase*>& byName);
    void readThresholds(QHash<QString, TServerDatabase*>& byName);
    QHash<QString, QList<TDatabaseFragment>> readFragments();
    void readLoginRoles(QList<TServerLogin>& logins);
    void readPasswords(QList<TServerLogin>& logins);

    TCTLibObjInfo& m_reader;
    std::optional<QList<TServerDevice>> m_devices;
    std::optional<QList<TServerDatabase>> m_databases;
    std::optional<QList<TServerLogin>> m_logins;
    std::optional<QList<TServerRole>> m_roles;
    std::optional<QList<TRemoteServer>> m_remoteServers;
    std::optional<QList<TConfigurationValue>> m_configuration;
    std::optional<bool> m_passwordsReadable;
};

// A tdsim started for one test fixture on a free port, with an interfaces file
// <tmp>/ini/sql.ini (FreeTDS configuration format) naming it "tdsim" and SYBASE
// pointing at <tmp>. The destructor kills and reaps the server.
#pragma once

#include "TdsimTestProcess.h"

#include "UserInterface.h"

#include <QString>
#include <QStringList>

class TCTLibDatabase;

class TdsimServer {
public:
    // Throws std::runtime_error when tdsim cannot be started or reports no port within
    // `startLimit` (without one, for as long as it runs).
    explicit TdsimServer(const QStringList& initFiles = {}, const QStringList& extraArgs = {},
                         std::optional<std::chrono::milliseconds> startLimit =
                             tdsim::testing::TdsimTestProcess::kDefaultStartLimit);
    TdsimServer(const TdsimServer&) = delete;
    TdsimServer& operator=(const TdsimServer&) = delete;

    // The interfaces-file entry that reaches this server.
    static QString serverName() { return QStringLiteral("tdsim"); }
    int port() const { return m_process.port(); }
    int pid() const { return m_process.pid(); }
    QString directory() const { return QString::fromStdString(m_process.directory()); }
    QString iniFile() const { return directory() + QStringLiteral("/ini/sql.ini"); }

    // Writes a file into the fixture's directory and returns its path.
    QString writeFile(const QString& name, const QByteArray& content) const;
    // Re-writes the interfaces file with further sections after the server's own.
    void writeIniFile(const QString& extraSections = QString()) const;

    // Logs `db` in as sa without the login dialog, through the interfaces file.
    void configure(TCTLibDatabase& db) const;
    // The answer to a login dialog that logs in to this server as sa (empty password).
    static LoginRequest saLogin();

private:
    tdsim::testing::TdsimTestProcess m_process;
};

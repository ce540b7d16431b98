#include "TdsimServer.h"

#include "CTLibDatabase.h"

#include <QFile>

#include <string>
#include <vector>

namespace {
std::vector<std::string> serverArguments(const QStringList& initFiles, const QStringList& extraArgs)
{
    std::vector<std::string> args;
    for (const QString& file : initFiles) {
        args.push_back("--init");
        args.push_back(QFile::encodeName(file).toStdString());
    }
    for (const QString& arg : extraArgs)
        args.push_back(arg.toStdString());
    return args;
}
}  // namespace

TdsimServer::TdsimServer(const QStringList& initFiles, const QStringList& extraArgs,
                         std::optional<std::chrono::milliseconds> startLimit)
    : m_process(serverArguments(initFiles, extraArgs), {}, startLimit)
{
    writeIniFile();
    qputenv("SYBASE", QFile::encodeName(directory()));
}

QString TdsimServer::writeFile(const QString& name, const QByteArray& content) const
{
    return QFile::decodeName(
        m_process.writeFile(QFile::encodeName(name).toStdString(), content.toStdString()).c_str());
}

void TdsimServer::writeIniFile(const QString& extraSections) const
{
    m_process.writeFreetdsConf("ini/sql.ini", serverName().toStdString(),
                               extraSections.toStdString());
}

LoginRequest TdsimServer::saLogin()
{
    LoginRequest login;
    login.serverName = serverName();
    login.userName = QStringLiteral("sa");
    login.rdbms = QStringLiteral("Sybase SQL Server");
    return login;
}

void TdsimServer::configure(TCTLibDatabase& db) const
{
    qputenv("SYBASE", QFile::encodeName(directory()));
    db.LoadServerList();
    db.ServerList = db.InternalServerList();
    db.ServerName = serverName();
    db.UserName = QStringLiteral("sa");
    db.Password = QString();
    db.LoginPrompt = false;
}

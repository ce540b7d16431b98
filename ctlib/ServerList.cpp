#include "ServerList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>

QString defaultInterfacesFile()
{
    const QString sybase = qEnvironmentVariable("SYBASE").left(500);
    return sybase + QStringLiteral("/ini/sql.ini");
}

QString interfacesFileToRead()
{
    const QString preferred = defaultInterfacesFile();
    if (qEnvironmentVariableIsSet("SYBASE") && QFileInfo(preferred).isFile())
        return preferred;
    QStringList candidates;
    if (qEnvironmentVariableIsSet("FREETDSCONF"))
        candidates << qEnvironmentVariable("FREETDSCONF");
    if (qEnvironmentVariableIsSet("FREETDS"))
        candidates << qEnvironmentVariable("FREETDS") + QStringLiteral("/etc/freetds.conf");
    candidates << QDir::homePath() + QStringLiteral("/.freetds.conf")
               << QStringLiteral("/etc/freetds/freetds.conf");
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return preferred;
}

QStringList readSectionNames(const QString& path)
{
    QStringList names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return names;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.startsWith(QLatin1Char('[')))
            continue;
        const int close = line.indexOf(QLatin1Char(']'));
        if (close < 0)
            continue;
        const QString name = line.mid(1, close - 1).trimmed();
        if (!name.isEmpty() && name.compare(QLatin1String("global"), Qt::CaseInsensitive) != 0)
            names << name;
    }
    return names;
}

QStringList sortedServerNames(QStringList names)
{
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QStringList unique;
    for (const QString& name : names) {
        if (!unique.contains(name, Qt::CaseInsensitive))
            unique << name;
    }
    return unique;
}

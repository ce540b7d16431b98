#include "ObjectListing.h"

#include "CTLibEnhQuery.h"

#include <algorithm>

namespace {
const QString SqlAnywhere = QStringLiteral("SQLAnywhere");

// Owner-qualified objects of one sysobjects type.
QString ownedObjects(const QString& prefix, const char* type)
{
    return QStringLiteral("select su.name + \".\" + so.name from ") + prefix +
           QStringLiteral("sysobjects so, ") + prefix +
           QStringLiteral("sysusers su where so.type='") + QLatin1String(type) +
           QStringLiteral("' and so.uid = su.uid order by so.name");
}
}  // namespace

QString databaseListingStatement(const QString& rdbms)
{
    if (rdbms == SqlAnywhere)
        return QStringLiteral("SELECT db_name()");
    return QStringLiteral("SELECT name FROM master..sysdatabases ORDER BY name DESC");
}

QString objectListingStatement(ObjectKind kind, const QString& database, const QString& rdbms)
{
    const QString p = database + QStringLiteral(".dbo.");
    switch (kind) {
        case ObjectKind::Users:
            return QStringLiteral("select name from ") + p +
                   QStringLiteral("sysusers where gid<>uid order by name");
        case ObjectKind::Groups:
            return QStringLiteral("select name from ") + p +
                   QStringLiteral("sysusers where gid=uid order by name");
        case ObjectKind::Tables:
            return ownedObjects(p, "U");
        case ObjectKind::Views:
            return ownedObjects(p, "V");
        case ObjectKind::Indexes:
            if (rdbms == SqlAnywhere)
                return QStringLiteral(
                    "SELECT trim(st.table_name + '.' + si.index_name) FROM SYSINDEX si, SYSTABLE "
                    "st "
                    "WHERE st.table_id = si.table_id ORDER BY si.index_id");
            return QStringLiteral("select so.name + '.' + si.name from ") + p +
                   QStringLiteral("sysobjects so,") + p +
                   QStringLiteral(
                       "sysindexes si where so.id = si.id  and si.indid<> 0 and so.type "
                       "in ('U','S') order by so.name,si.indid");
        case ObjectKind::Triggers:
            return ownedObjects(p, "TR");
        case ObjectKind::Procedures:
            // Stored procedures and SQL functions.
            return QStringLiteral("select su.name + \".\" + so.name from ") + p +
                   QStringLiteral("sysobjects so, ") + p +
                   QStringLiteral(
                       "sysusers su where so.type in ('P', 'SF') and so.uid = su.uid "
                       "order by so.name");
        case ObjectKind::Rules:
            // Rules and the default objects of CREATE DEFAULT; check constraints and
            // declared defaults belong to their tables.
            return QStringLiteral("select su.name + \".\" + so.name from ") + p +
                   QStringLiteral("sysobjects so, ") + p +
                   QStringLiteral(
                       "sysusers su where so.type in ('R', 'D') and so.uid = su.uid "
                       "and so.id not in (select constrid from ") +
                   p + QStringLiteral("sysconstraints) and so.id not in (select id from ") + p +
                   QStringLiteral("sysprocedures where status & 4096 = 4096) order by so.name");
        case ObjectKind::DataTypes:
            // User datatypes are numbered from 100; the first one is a user datatype too.
            return QStringLiteral("select name from ") + p +
                   QStringLiteral("systypes where usertype >= 100 order by name");
    }
    return QString();
}

QString objectListingProgressText(ObjectKind kind, const QString& database)
{
    static const char* const texts[ObjectKindCount] = {
        "Retrieving users from ",
        "Retrieving groups from ",
        "Retrieving user tables from ",
        "Retrieving views from ",
        "Retrieving indexes from ",
        "Retrieving triggers from ",
        "Retrieving stored procedures from ",
        "Retrieving rules from ",
        "Retrieving user datatypes from ",
    };
    return QLatin1String(texts[static_cast<int>(kind)]) + database;
}

TObjectListingReader::TObjectListingReader(TCTLibEnhQuery& query, QString rdbms)
    : m_query(query), m_rdbms(std::move(rdbms))
{
}

QStringList TObjectListingReader::databases()
{
    QStringList names;
    readFirstColumn(databaseListingStatement(m_rdbms),
                    [&names](const QString& name) { names << name; });
    std::reverse(names.begin(), names.end());
    return names;
}

void TObjectListingReader::readObjects(ObjectKind kind, const QString& database,
                                       const std::function<void(const QString&)>& add)
{
    readFirstColumn(objectListingStatement(kind, database, m_rdbms), add);
}

QStringList TObjectListingReader::objects(ObjectKind kind, const QString& database)
{
    QStringList captions;
    readObjects(kind, database, [&captions](const QString& caption) { captions << caption; });
    return captions;
}

void TObjectListingReader::readFirstColumn(const QString& statement,
                                           const std::function<void(const QString&)>& add)
{
    m_query.setSQL(QStringList{statement});
    if (m_query.Open() != 1)
        return;
    while (m_query.Next())
        add(m_query.ColumnValue(1));
}

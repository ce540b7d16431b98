#include "ObjectListing.h"

#include "CTLibEnhQuery.h"

#include <QRegularExpression>
#include <algorithm>

namespace {
const QString SqlAnywhere = QStringLiteral("SQLAnywhere");
// The owner part of the caption of an object whose uid maps to no user.
const QString kOwnerUidPrefix = QStringLiteral("uid ");

// The listing of one kind on Adaptive Server: "select <caption> from <source> order by
// <first>[,<second>]".
struct ListingParts {
    QString caption;
    QString source;
    QString firstKey;
    QString secondKey;  // empty when the first key orders alone
    QString owner;      // empty for what no user owns
};

// Owner-qualified objects of the sysobjects types in `typeCondition`. The owner is an
// outer join: an object whose uid maps to no user is listed with its uid, so that it is
// reported rather than missed.
ListingParts ownedObjects(const QString& prefix, const QString& typeCondition,
                          const QString& more = QString())
{
    return {QStringLiteral("isnull(su.name, \"") + kOwnerUidPrefix +
                QStringLiteral("\" + convert(varchar(11), so.uid)) + \".\" + so.name"),
            prefix + QStringLiteral("sysobjects so, ") + prefix +
                QStringLiteral("sysusers su where ") + typeCondition +
                QStringLiteral(" and so.uid *= su.uid") + more,
            QStringLiteral("so.name"),
            {},
            QStringLiteral("su.name")};
}

ListingParts listingParts(ObjectKind kind, const QString& database)
{
    const QString p = database + QStringLiteral(".dbo.");
    switch (kind) {
        case ObjectKind::Users:
            return {QStringLiteral("name"),
                    p + QStringLiteral("sysusers where gid<>uid"),
                    QStringLiteral("name"),
                    {},
                    {}};
        case ObjectKind::Groups:
            return {QStringLiteral("name"),
                    p + QStringLiteral("sysusers where gid=uid"),
                    QStringLiteral("name"),
                    {},
                    {}};
        case ObjectKind::Tables:
            return ownedObjects(p, QStringLiteral("so.type='U'"));
        case ObjectKind::Views:
            return ownedObjects(p, QStringLiteral("so.type='V'"));
        case ObjectKind::Indexes:
            return {QStringLiteral("so.name + '.' + si.name"),
                    p + QStringLiteral("sysobjects so,") + p +
                        QStringLiteral("sysindexes si where so.id = si.id  and si.indid<> 0 and "
                                       "so.type in ('U','S')"),
                    QStringLiteral("so.name"),
                    QStringLiteral("si.indid"),
                    {}};
        case ObjectKind::Triggers:
            return ownedObjects(p, QStringLiteral("so.type='TR'"));
        case ObjectKind::Procedures:
            // Stored procedures and SQL functions.
            return ownedObjects(p, QStringLiteral("so.type in ('P', 'SF')"));
        case ObjectKind::Rules:
            // Rules and the default objects of CREATE DEFAULT; check constraints and
            // declared defaults belong to their tables.
            return ownedObjects(p, QStringLiteral("so.type in ('R', 'D')"),
                                QStringLiteral(" and so.id not in (select constrid from ") + p +
                                    QStringLiteral("sysconstraints) and so.id not in (select id "
                                                   "from ") +
                                    p +
                                    QStringLiteral("sysprocedures where status & 4096 = 4096)"));
        case ObjectKind::DataTypes:
            // User datatypes are numbered from 100; the first one is a user datatype too.
            return {QStringLiteral("name"),
                    p + QStringLiteral("systypes where usertype >= 100"),
                    QStringLiteral("name"),
                    {},
                    {}};
        default:
            break;  // the server's own objects are listed from their records
    }
    return {};
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
    if (rdbms == SqlAnywhere && kind == ObjectKind::Indexes)
        return QStringLiteral(
            "SELECT trim(st.table_name + '.' + si.index_name) FROM SYSINDEX si, SYSTABLE st "
            "WHERE st.table_id = si.table_id ORDER BY si.index_id");
    const ListingParts parts = listingParts(kind, database);
    QString order = parts.firstKey;
    if (!parts.secondKey.isEmpty())
        order += QLatin1Char(',') + parts.secondKey;
    return QStringLiteral("select ") + parts.caption + QStringLiteral(" from ") + parts.source +
           QStringLiteral(" order by ") + order;
}

QString objectsListingStatement(const QList<ObjectKind>& kinds, const QString& database)
{
    QStringList selects;
    for (ObjectKind kind : kinds) {
        const ListingParts parts = listingParts(kind, database);
        selects << QStringLiteral("select %1, %2, %3, %4, %5 from %6")
                       .arg(static_cast<int>(kind))
                       .arg(parts.firstKey,
                            parts.secondKey.isEmpty() ? QStringLiteral("0") : parts.secondKey,
                            parts.caption,
                            parts.owner.isEmpty() ? QStringLiteral("''") : parts.owner,
                            parts.source);
    }
    return selects.join(QStringLiteral(" union all ")) + QStringLiteral(" order by 1, 2, 3");
}

bool isOwnerUid(const QString& owner)
{
    static const QRegularExpression uid(
        QRegularExpression::anchoredPattern(kOwnerUidPrefix + QStringLiteral("-?\\d+")));
    return uid.match(owner).hasMatch();
}

QString objectListingProgressText(ObjectKind kind, const QString& database)
{
    static const char* const texts[EveryKindCount] = {
        "Retrieving users from ",
        "Retrieving groups from ",
        "Retrieving user tables from ",
        "Retrieving views from ",
        "Retrieving indexes from ",
        "Retrieving triggers from ",
        "Retrieving stored procedures from ",
        "Retrieving rules from ",
        "Retrieving user datatypes from ",
        "Retrieving logins from ",
        "Retrieving roles from ",
        "Retrieving databases from ",
        "Retrieving devices from ",
        "Retrieving remote servers from ",
        "Retrieving configuration values from ",
    };
    return QLatin1String(texts[static_cast<int>(kind)]) + database;
}

QString unscriptableListingStatement(ObjectKind kind, const QString& database, const QString& rdbms)
{
    if (rdbms == SqlAnywhere)
        return {};
    const QString p = database + QStringLiteral(".dbo.");
    switch (kind) {
        case ObjectKind::Indexes:
            // System tables are type 'S'; indid 255 is a table's text and image storage.
            return QStringLiteral("select so.name + '.' + si.name from ") + p +
                   QStringLiteral("sysobjects so,") + p +
                   QStringLiteral(
                       "sysindexes si where so.id = si.id and si.indid<> 0 and "
                       "(so.type='S' or si.indid=255)");
        case ObjectKind::Groups:
            // Roles are the sysusers rows that sysroles maps to a server role.
            return QStringLiteral("select name from ") + p +
                   QStringLiteral("sysusers where gid=uid and uid in (select lrid from ") + p +
                   QStringLiteral("sysroles)");
        default:
            return {};
    }
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

QSet<QString> TObjectListingReader::unscriptableObjects(ObjectKind kind, const QString& database)
{
    QSet<QString> captions;
    const QString statement = unscriptableListingStatement(kind, database, m_rdbms);
    if (!statement.isEmpty())
        readFirstColumn(statement, [&captions](const QString& caption) { captions << caption; });
    return captions;
}

void TObjectListingReader::readObjects(
    const QList<ObjectKind>& kinds, const QString& database,
    const std::function<void(ObjectKind, const QString&, const QString&)>& add)
{
    if (m_rdbms == SqlAnywhere) {
        for (ObjectKind kind : kinds)
            readObjects(kind, database,
                        [&](const QString& caption) { add(kind, caption, QString()); });
        return;
    }
    m_query.setSQL(QStringList{objectsListingStatement(kinds, database)});
    if (m_query.Open() != 1)
        return;
    while (m_query.Next()) {
        add(static_cast<ObjectKind>(m_query.ColumnValue(1).toInt()), m_query.ColumnValue(4),
            m_query.ColumnValue(5).trimmed().isEmpty() ? QString() : m_query.ColumnValue(5));
    }
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

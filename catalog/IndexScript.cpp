// The index reads and the CREATE INDEX builder of TCTLibObjInfo.
#include "CTLibDatabase.h"
#include "CTLibObjInfo.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"

#include <QHash>

namespace Sql = CatalogStatements;

namespace {

// sysindexes.status bits kept in TCTIndex::Status, by set element.
constexpr uint32_t kIndexStatusBits[] = {0x1,  0x2,   0x4,   0x10,  0x40,
                                         0x80, 0x200, 0x400, 0x800, 0x8000};
constexpr uint32_t kIndexStatus2Bits = 0x7f;

uint16_t decodeIndexStatus(uint32_t status)
{
    uint16_t flags = 0;
    for (int element = 0; element < 10; ++element) {
        if (status & kIndexStatusBits[element])
            flags |= uint16_t(1u << element);
    }
    return flags;
}

bool has(uint16_t flags, TIndexStatusElement element)
{
    return flags & (1u << element);
}

TCTIndex indexFromRow(const CatalogRead& read)
{
    TCTIndex index;
    index.Name = read.text(1);
    index.Id = read.integer(2);
    index.TableName = read.text(3);
    index.IndId = static_cast<int16_t>(read.integer(4));
    index.Segment = static_cast<int16_t>(read.integer(5));
    index.SegmentName = read.text(6);
    index.MinLen = static_cast<int16_t>(read.integer(7));
    index.MaxLen = static_cast<int16_t>(read.integer(8));
    index.SoId = static_cast<int16_t>(read.integer(9));
    index.Status = decodeIndexStatus(static_cast<uint32_t>(read.integer(10)));
    index.Status2 =
        static_cast<uint8_t>(static_cast<uint32_t>(read.integer(11)) & kIndexStatus2Bits);
    return index;
}

constexpr int kIndex2Constraint = 0x2;
constexpr int kIndex2DataOnlyClustered = 0x200;

// What sysindexes keeps of an index beyond its status: space options and key orders.
struct IndexOptions {
    int fillFactor = 0;
    int maxRowsPerPage = 0;
    int reservePageGap = 0;
    int status2 = 0;
    QStringList orders;  // "ASC" or "DESC" per key
};

QString headLine(const TCTIndex& index, const IndexOptions& options)
{
    QString head = "CREATE ";
    if (has(index.Status, isUnique))
        head += "UNIQUE ";
    // A clustered index of a data-only-locked table is told by status2.
    if (has(index.Status, isClustered) || (options.status2 & kIndex2DataOnlyClustered))
        head += "CLUSTERED ";
    return head + "INDEX " + index.Name + " ON " + index.TableName;
}

// "WITH" and the options the index records, in the order CREATE INDEX lists them;
// empty when it records none.
QString optionsLine(const TCTIndex& index, const IndexOptions& stored)
{
    struct Option {
        TIndexStatusElement element;
        const char* keyword;
    };
    static const Option options[] = {{isIgnoreDupKey, "IGNORE_DUP_KEY"},
                                     {isSortedData, "SORTED_DATA"},
                                     {isIgnoreDupRow, "IGNORE_DUP_ROW"},
                                     {isAllowDupRow, "ALLOW_DUP_ROW"}};
    QStringList words;
    for (const Option& option : options) {
        if (has(index.Status, option.element))
            words << option.keyword;
    }
    if (stored.fillFactor > 0)
        words << QStringLiteral("FILLFACTOR = %1").arg(stored.fillFactor);
    if (stored.maxRowsPerPage > 0)
        words << QStringLiteral("MAX_ROWS_PER_PAGE = %1").arg(stored.maxRowsPerPage);
    if (stored.reservePageGap > 0)
        words << QStringLiteral("RESERVEPAGEGAP = %1").arg(stored.reservePageGap);
    return words.isEmpty() ? QString() : "WITH " + words.join(", ");
}

QString withOrders(const QStringList& keys, const QStringList& orders)
{
    QStringList written;
    for (int k = 0; k < keys.size(); ++k)
        written << (k < orders.size() && orders[k] == "DESC" ? keys[k] + " DESC" : keys[k]);
    return written.join(",");
}

}  // namespace

QStringList TCTLibObjInfo::GetIndexNames(const QString& tableName, const QString& owner)
{
    prepareRead();
    const QString name = nameArgument(tableName);
    const QString tableOwner = owner.isEmpty() ? GetObjectOwner(name) : owner;
    const bool sqlAnywhere = isSqlAnywhere();
    CatalogRead read(*this);
    read.open(Sql::indexNames(m_selectDb, tableOwner, name, sqlAnywhere));
    QStringList names;
    while (read.next())
        names << read.text(1);
    return names;
}

std::optional<TCTIndex> TCTLibObjInfo::GetIndexInfo(const QString& indexName,
                                                    const QString& tableName, const QString& owner)
{
    const bool sqlAnywhere = isSqlAnywhere();
    CatalogRead read(*this);
    read.open(Sql::indexInfo(m_selectDb, nameArgument(indexName), nameArgument(tableName),
                             sqlAnywhere, owner));
    std::optional<TCTIndex> index;
    while (read.next())
        index = indexFromRow(read);
    return index;
}

QStringList TCTLibObjInfo::indexColumns(const QString& owner, const QString& tableDotIndex)
{
    const bool sqlAnywhere = isSqlAnywhere();
    CatalogRead read(*this);
    read.open(Sql::indexColumns(m_selectDb, owner, tableDotIndex, sqlAnywhere));
    QStringList columns;
    while (read.next())
        columns << read.text(1);
    return columns;
}

// Key column names are formed with the table's owner, so that the keys of a table
// owned by another user than dbo are found as well.
QString TCTLibObjInfo::keyOwner(const QString& tableName)
{
    if (isSqlAnywhere())
        return QString();
    const QString owner = GetObjectOwner(tableName);
    return owner.isEmpty() ? QStringLiteral("dbo") : owner;
}

QStringList TCTLibObjInfo::GetIndexColumns(const QString& qualifiedIndexName)
{
    const QString tableName = qualifiedIndexName.section(QLatin1Char('.'), 0, 0);
    return indexColumns(keyOwner(tableName), qualifiedIndexName);
}

QStringList TCTLibObjInfo::GetIndexScript(const QString& indexName, const QString& tableName,
                                          const QString& tableOwner)
{
    CheckSelectDb();
    m_namesQuoted = false;
    const std::optional<TCTIndex> index = GetIndexInfo(indexName, tableName, tableOwner);
    if (!index)
        return {DataNotAvailable};

    const QString owner = tableOwner.isEmpty() ? keyOwner(tableName) : tableOwner;
    const QStringList keys = indexColumns(owner, tableName + "." + indexName);
    if (keys.isEmpty())
        return {DataNotAvailable};

    if (!isSybase())
        return {headLine(*index, {}), "(" + keys.join(",") + ")"};

    const QString table = nameArgument(tableName);
    TCTIndex named = *index;
    named.Name = nameInScript(index->Name);
    named.TableName = nameInScript(index->TableName);
    IndexOptions stored;
    {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
        read.open(Sql::indexOptions(m_selectDb, m_selectDb + "." + owner + "." + table, index->Id,
                                    index->IndId, static_cast<int>(keys.size())));
        if (read.next()) {
            stored.fillFactor = read.integer(1);
            stored.maxRowsPerPage = read.integer(2);
            stored.reservePageGap = read.integer(3);
            stored.status2 = read.integer(4);
            for (int k = 0; k < keys.size(); ++k)
                stored.orders << read.text(5 + k);
        }
    }
    // The index of a primary key or unique constraint is written as its constraint.
    if (stored.status2 & kIndex2Constraint) {
        for (const TCTConstraint& constraint : GetTableConstraints(index->Id, owner, table)) {
            if (constraint.IndexId == index->IndId)
                return {"ALTER TABLE " + nameInScript(owner) + "." + nameInScript(table) + " ADD " +
                        constraintClause(constraint)};
        }
    }
    // A function-based key is a hidden computed column: the index names its expression.
    QHash<QString, QString> expressions;
    {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand, CatalogRead::Results::AsStored);
        read.open(Sql::computedKeyColumns(m_selectDb, index->Id));
        while (read.next())
            expressions[trimBlanks(read.text(1))] += read.text(2);
    }
    QStringList written;
    for (const QString& key : keys)
        written << (expressions.contains(key) ? trimBlanks(expressions.value(key))
                                              : nameInScript(key));
    QStringList lines{headLine(named, stored), "(" + withOrders(written, stored.orders) + ")"};
    const QString options = optionsLine(*index, stored);
    if (!options.isEmpty())
        lines << options;
    // The segment name is a literal of the script: a quote in it is doubled.
    lines << "ON '" + Sql::inLiteral(index->SegmentName, '\'') + "'";
    return lines;
}

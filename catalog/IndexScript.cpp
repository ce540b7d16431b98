// The index reads and the CREATE INDEX builder of TCTLibObjInfo.
#include "CTLibDatabase.h"
#include "CTLibObjInfo.h"
#include "CatalogFaults.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"
#include "TextPieces.h"

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

struct IndexRow {
    TCTIndex index;
    IndexOptions options;
};

// The index of that name on the table; with an owner, on that owner's table. SQL Anywhere
// records no options.
std::optional<IndexRow> readIndex(TCTLibObjInfo& reader, bool sqlAnywhere, const QString& index,
                                  const QString& table, const QString& owner)
{
    CatalogRead read(reader);
    if (sqlAnywhere)
        read.open(Sql::sqlAnywhereIndexInfo(index, table));
    else
        read.open(Sql::CatalogSet::Indexes,
                  owner.isEmpty() ? QStringList{table, index} : QStringList{table, index, owner});
    std::optional<IndexRow> found;
    while (read.next()) {
        IndexRow row{indexFromRow(read), {}};
        if (!sqlAnywhere) {
            row.options.status2 = read.integer(11);
            row.options.fillFactor = read.integer(12);
            row.options.maxRowsPerPage = read.integer(13);
            row.options.reservePageGap = read.integer(14);
            for (int k = 0; k < Sql::kMaxIndexKeys; ++k)
                row.options.orders << read.text(15 + k);
        }
        found = row;
    }
    return found;
}

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
    CatalogRead read(*this);
    if (isSqlAnywhere())
        read.open(Sql::sqlAnywhereIndexNames(name));
    else
        read.open(Sql::CatalogSet::IndexNames,
                  {name, owner.isEmpty() ? GetObjectOwner(name) : owner});
    QStringList names;
    while (read.next())
        names << read.text(1);
    return names;
}

std::optional<TCTIndex> TCTLibObjInfo::GetIndexInfo(const QString& indexName,
                                                    const QString& tableName, const QString& owner)
{
    const std::optional<IndexRow> row =
        readIndex(*this, isSqlAnywhere(), nameArgument(indexName), nameArgument(tableName), owner);
    return row ? std::optional<TCTIndex>(row->index) : std::nullopt;
}

QStringList TCTLibObjInfo::indexKeys(int tableId, const QString& indexName)
{
    CatalogRead read(*this);
    read.open(Sql::CatalogSet::IndexKeys, {QString::number(tableId), indexName});
    QStringList columns;
    while (read.next())
        columns << read.text(1);
    return columns;
}

QStringList TCTLibObjInfo::GetIndexColumns(const QString& qualifiedIndexName)
{
    const QString tableName = qualifiedIndexName.section(QLatin1Char('.'), 0, 0);
    const QString indexName = qualifiedIndexName.section(QLatin1Char('.'), 1);
    if (isSqlAnywhere()) {
        CatalogRead read(*this);
        read.open(Sql::sqlAnywhereIndexColumns(qualifiedIndexName));
        QStringList columns;
        while (read.next())
            columns << read.text(1);
        return columns;
    }
    const std::optional<int> id = objectId(GetObjectOwnerOrDbo(tableName), nameArgument(tableName));
    return id ? indexKeys(*id, indexName) : QStringList();
}

QStringList TCTLibObjInfo::GetIndexScript(const QString& indexName, const QString& tableName,
                                          const QString& tableOwner)
{
    CheckSelectDb();
    m_namesQuoted = false;
    m_scriptFault.clear();
    const bool sqlAnywhere = isSqlAnywhere();
    const std::optional<IndexRow> row =
        readIndex(*this, sqlAnywhere, nameArgument(indexName), nameArgument(tableName), tableOwner);
    if (!row)
        return {DataNotAvailable};
    const TCTIndex& index = row->index;
    const IndexOptions& stored = row->options;

    if (sqlAnywhere) {
        const QStringList keys = GetIndexColumns(tableName + "." + indexName);
        if (keys.isEmpty())
            return {DataNotAvailable};
        return {headLine(index, {}), "(" + keys.join(",") + ")"};
    }
    const QStringList keys = indexKeys(index.Id, index.Name);
    if (keys.isEmpty())
        return {DataNotAvailable};

    const QString owner = tableOwner.isEmpty() ? GetObjectOwnerOrDbo(index.TableName) : tableOwner;
    const QString table = nameArgument(tableName);
    TCTIndex named = index;
    named.Name = nameInScript(index.Name);
    named.TableName = nameInScript(index.TableName);
    // The index of a primary key or unique constraint is written as its constraint.
    if (stored.status2 & kIndex2Constraint) {
        for (const TCTConstraint& constraint : GetTableConstraints(index.Id)) {
            if (constraint.IndexId == index.IndId)
                return {"ALTER TABLE " + nameInScript(owner) + "." + nameInScript(table) + " ADD " +
                        constraintClause(constraint)};
        }
    }
    // A function-based key is a hidden computed column: the index names its expression.
    QHash<QString, QString> expressions;
    QHash<QString, TTextPieces> pieces;
    {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand, CatalogRead::Results::AsStored);
        read.open(Sql::CatalogSet::ComputedKeys, {QString::number(index.Id)});
        while (read.next()) {
            // A declared computed column is keyed by its name.
            if (!(read.integer(3) & Sql::kColumn2FunctionKey))
                continue;
            const QString key = trimBlanks(read.text(1));
            expressions[key] += read.text(2);
            pieces[key].add(read.integer(4), read.integer(5));
        }
    }
    QStringList written;
    for (const QString& key : keys) {
        if (pieces.value(key).gap()) {
            m_scriptFault = QStringLiteral("function-based key: ") + kMissingTextRow;
            return {DataNotAvailable};
        }
        written << (expressions.contains(key) ? trimBlanks(expressions.value(key))
                                              : nameInScript(key));
    }
    QStringList lines{headLine(named, stored), "(" + withOrders(written, stored.orders) + ")"};
    const QString options = optionsLine(index, stored);
    if (!options.isEmpty())
        lines << options;
    // The segment name is a literal of the script: a quote in it is doubled.
    lines << "ON '" + Sql::inLiteral(index.SegmentName, '\'') + "'";
    return lines;
}

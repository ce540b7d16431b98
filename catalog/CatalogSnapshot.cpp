#include "CatalogSnapshot.h"

#include "CatalogRead.h"

using CatalogStatements::CatalogSet;

TCatalogSnapshot::Row::Row(const QStringList& texts, const QList<QByteArray>& bytes)
{
    QList<QByteArray> encoded;
    encoded.reserve(texts.size());
    for (const QString& text : texts)
        encoded << text.toUtf8();
    m_texts = pack(encoded);
    if (!bytes.isEmpty())
        m_bytes = pack(bytes);
}

// Each value's length as a base-128 number (low 7 bits first, the top bit telling that
// more follow), then its bytes: most catalog values take one byte of length.
QByteArray TCatalogSnapshot::Row::pack(const QList<QByteArray>& values)
{
    QByteArray packed;
    qsizetype size = 0;
    for (const QByteArray& value : values)
        size += 1 + value.size();
    packed.reserve(size);
    for (const QByteArray& value : values) {
        auto length = static_cast<quint32>(value.size());
        while (length >= 0x80) {
            packed.append(static_cast<char>(0x80 | (length & 0x7f)));
            length >>= 7;
        }
        packed.append(static_cast<char>(length));
        packed.append(value);
    }
    packed.squeeze();
    return packed;
}

QByteArray TCatalogSnapshot::Row::unpack(const QByteArray& packed, int column)
{
    qsizetype at = 0;
    for (int n = 0; at < packed.size(); ++n) {
        quint32 length = 0;
        for (int shift = 0; at < packed.size(); shift += 7) {
            const auto byte = static_cast<unsigned char>(packed[at++]);
            length |= quint32(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                break;
        }
        if (n == column)
            return packed.mid(at, qsizetype(length));
        at += qsizetype(length);
    }
    return QByteArray();
}

QString TCatalogSnapshot::Row::text(int column) const
{
    return QString::fromUtf8(unpack(m_texts, column));
}

QByteArray TCatalogSnapshot::Row::bytes(int column) const
{
    return m_bytes.isEmpty() ? text(column).toUtf8() : unpack(m_bytes, column);
}

bool TCatalogSnapshot::holds(CatalogSet set) const
{
    return m_tables[size_t(set)].has_value();
}

int TCatalogSnapshot::keyColumnCount(CatalogSet set) const
{
    const std::optional<Table>& table = m_tables[size_t(set)];
    return table ? int(table->byKey.size()) - 1 : 0;
}

QString TCatalogSnapshot::joinedKey(const QStringList& values, int count)
{
    QString key;
    for (int n = 0; n < count; ++n) {
        key += nameWithoutPadding(values.at(n));
        key += QChar(0);
    }
    return key;
}

QString TCatalogSnapshot::joinedKey(const Row& row, int count)
{
    QStringList values;
    for (int n = 0; n < count; ++n)
        values << row.text(n);
    return joinedKey(values, count);
}

void TCatalogSnapshot::store(CatalogSet set, std::vector<Row> rows)
{
    Table table;
    table.rows = std::move(rows);
    table.byKey.resize(size_t(CatalogStatements::keyColumnCount(set)) + 1);
    if (m_scoped && set == CatalogSet::Objects)
        widenScope(table);
    m_tables[size_t(set)] = std::move(table);
}

void TCatalogSnapshot::setScope(const QSet<QString>& names)
{
    m_scoped = true;
    for (const QString& name : names)
        m_names.insert(nameWithoutPadding(name));
}

namespace {
// Columns of an Objects row, after its two key columns: the object's id, then the ids and
// names of its table's delete, insert and update triggers.
constexpr int kObjectId = 3;
constexpr int kTriggerIdsAndNames[3][2] = {{7, 8}, {9, 10}, {11, 12}};
}  // namespace

void TCatalogSnapshot::widenScope(const Table& objects)
{
    for (const Row& row : objects.rows) {
        m_ids.insert(row.text(kObjectId).trimmed());
        for (const auto& [id, name] : kTriggerIdsAndNames) {
            const QString triggerId = row.text(id).trimmed();
            if (triggerId.isEmpty() || triggerId == QLatin1String("0"))
                continue;
            m_ids.insert(triggerId);
            m_triggerNames.insert(nameWithoutPadding(row.text(name)));
        }
    }
}

QStringList TCatalogSnapshot::triggersToAdd() const
{
    QStringList names;
    for (const QString& name : m_triggerNames) {
        if (!m_names.contains(name))
            names << name;
    }
    return names;
}

void TCatalogSnapshot::addObjects(std::vector<Row> rows)
{
    std::optional<Table>& objects = m_tables[size_t(CatalogSet::Objects)];
    if (!objects)
        return;
    for (Row& row : rows)
        objects->rows.push_back(std::move(row));
    // The lookups are made again on first use.
    for (auto& index : objects->byKey)
        index.reset();
    m_names.unite(m_triggerNames);
}

bool TCatalogSnapshot::covers(CatalogSet set, const QStringList& key) const
{
    if (!m_scoped)
        return true;
    if (key.isEmpty())
        return false;
    if (CatalogStatements::keyedById(set))
        return m_ids.contains(key.first().trimmed());
    const QString name = nameWithoutPadding(key.first());
    return m_names.contains(name) || (set != CatalogSet::Objects && m_triggerNames.contains(name));
}

QStringList TCatalogSnapshot::scopeKeys(CatalogSet set) const
{
    if (CatalogStatements::keyedById(set))
        return QStringList(m_ids.cbegin(), m_ids.cend());
    QSet<QString> names = m_names;
    if (set != CatalogSet::Objects)
        names.unite(m_triggerNames);
    return QStringList(names.cbegin(), names.cend());
}

QList<const TCatalogSnapshot::Row*> TCatalogSnapshot::rows(CatalogSet set, const QStringList& key)
{
    QList<const Row*> found;
    std::optional<Table>& table = m_tables[size_t(set)];
    if (!table || key.size() >= int(table->byKey.size()))
        return found;
    if (key.isEmpty()) {
        for (const Row& row : table->rows)
            found << &row;
        return found;
    }
    // An index for each number of key columns that lookups compare, made on first use.
    std::optional<QHash<QString, QList<int>>>& index = table->byKey[size_t(key.size())];
    if (!index) {
        index.emplace();
        for (int n = 0; n < int(table->rows.size()); ++n)
            (*index)[joinedKey(table->rows[size_t(n)], int(key.size()))].append(n);
    }
    const auto matches = index->constFind(joinedKey(key, int(key.size())));
    if (matches == index->cend())
        return found;
    for (int n : *matches)
        found << &table->rows[size_t(n)];
    return found;
}

QString TCatalogMemo::memoKey(CatalogSet set, const QStringList& key)
{
    return QString::number(static_cast<int>(set)) + QChar(0) + key.join(QChar(0));
}

const TCatalogMemo::Rows* TCatalogMemo::find(CatalogSet set, const QStringList& key) const
{
    const auto found = m_rows.constFind(memoKey(set, key));
    return found == m_rows.cend() ? nullptr : &found.value();
}

const TCatalogMemo::Rows& TCatalogMemo::store(CatalogSet set, const QStringList& key, Rows rows)
{
    return m_rows[memoKey(set, key)] = std::move(rows);
}

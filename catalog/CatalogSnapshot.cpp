#include "CatalogSnapshot.h"

#include "CatalogRead.h"

using CatalogStatements::CatalogSet;

TCatalogSnapshot::Row::Row(const QStringList& texts, const QList<QByteArray>& bytes)
    : m_columns(int(texts.size()))
{
    QList<QByteArray> encoded;
    encoded.reserve(texts.size());
    for (const QString& text : texts)
        encoded << text.toUtf8();
    m_texts = pack(encoded);
    if (!bytes.isEmpty())
        m_bytes = pack(bytes);
}

QByteArray TCatalogSnapshot::Row::pack(const QList<QByteArray>& values)
{
    QByteArray packed;
    qsizetype size = 0;
    for (const QByteArray& value : values)
        size += 4 + value.size();
    packed.reserve(size);
    for (const QByteArray& value : values) {
        const auto length = static_cast<quint32>(value.size());
        for (int shift = 0; shift < 32; shift += 8)
            packed.append(static_cast<char>((length >> shift) & 0xff));
        packed.append(value);
    }
    return packed;
}

QByteArray TCatalogSnapshot::Row::unpack(const QByteArray& packed, int column)
{
    qsizetype at = 0;
    for (int n = 0; at + 4 <= packed.size(); ++n) {
        quint32 length = 0;
        for (int shift = 0, i = 0; shift < 32; shift += 8, ++i)
            length |= quint32(static_cast<unsigned char>(packed[at + i])) << shift;
        at += 4;
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
    const int keyCount = CatalogStatements::keyColumnCount(set);
    Table table;
    table.byKey.resize(size_t(keyCount) + 1);
    for (int n = 0; n < int(rows.size()); ++n) {
        for (int count = 1; count <= keyCount && count <= rows[size_t(n)].columnCount(); ++count)
            table.byKey[size_t(count)][joinedKey(rows[size_t(n)], count)].append(n);
    }
    table.rows = std::move(rows);
    m_tables[size_t(set)] = std::move(table);
}

QList<const TCatalogSnapshot::Row*> TCatalogSnapshot::rows(CatalogSet set,
                                                           const QStringList& key) const
{
    QList<const Row*> found;
    const std::optional<Table>& table = m_tables[size_t(set)];
    if (!table || key.isEmpty() || key.size() >= int(table->byKey.size()))
        return found;
    const auto matches = table->byKey[size_t(key.size())].constFind(joinedKey(key, key.size()));
    if (matches == table->byKey[size_t(key.size())].cend())
        return found;
    for (int n : *matches)
        found << &table->rows[size_t(n)];
    return found;
}

qint64 TCatalogSnapshot::rowCount() const
{
    qint64 count = 0;
    for (const std::optional<Table>& table : m_tables)
        count += table ? qint64(table->rows.size()) : 0;
    return count;
}

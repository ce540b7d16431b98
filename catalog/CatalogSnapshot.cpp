#include "CatalogSnapshot.h"

#include "CatalogRead.h"

using CatalogStatements::CatalogSet;

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

void TCatalogSnapshot::store(CatalogSet set, std::vector<Row> rows)
{
    const int keyCount = CatalogStatements::keyColumnCount(set);
    Table table;
    table.byKey.resize(size_t(keyCount) + 1);
    for (int n = 0; n < int(rows.size()); ++n) {
        for (int count = 1; count <= keyCount && count <= rows[size_t(n)].texts.size(); ++count)
            table.byKey[size_t(count)][joinedKey(rows[size_t(n)].texts, count)].append(n);
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

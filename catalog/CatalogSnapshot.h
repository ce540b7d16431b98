// The rows of a database's keyed catalog reads, each read once for the whole database and
// held grouped by key, so that a script of many objects costs one request per kind of read
// instead of several per object.
#pragma once

#include "CatalogStatements.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class TCatalogSnapshot {
public:
    // A row as read: each column's text and bytes, the key columns first.
    struct Row {
        QStringList texts;
        QList<QByteArray> bytes;
    };

    explicit TCatalogSnapshot(QString database) : m_database(std::move(database)) {}

    const QString& database() const { return m_database; }
    bool holds(CatalogStatements::CatalogSet set) const;
    // Keeps the rows of `set`, in the order read.
    void store(CatalogStatements::CatalogSet set, std::vector<Row> rows);
    // The rows whose leading key columns equal `key` (all of the set's key columns or a
    // prefix of them), in the order read. Names compare without trailing blanks, as the
    // server compares them.
    QList<const Row*> rows(CatalogStatements::CatalogSet set, const QStringList& key) const;

    qint64 rowCount() const;

private:
    struct Table {
        std::vector<Row> rows;
        // By the number of key columns compared: the joined key values -> rows.
        std::vector<QHash<QString, QList<int>>> byKey;
    };
    static QString joinedKey(const QStringList& values, int count);

    QString m_database;
    std::array<std::optional<Table>, CatalogStatements::CatalogSetCount> m_tables;
};

// The rows of a database's keyed catalog reads, each read once for the whole database and
// held grouped by key, so that a script of many objects costs one request per kind of read
// instead of several per object.
#pragma once

#include "CatalogStatements.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class TCatalogSnapshot {
public:
    // A row as read, the key columns first: each column's text, packed into one block
    // since a database has hundreds of thousands of them, and for the reads whose pieces
    // are joined as bytes, the bytes as received.
    class Row {
    public:
        Row(const QStringList& texts, const QList<QByteArray>& bytes);
        // Empty beyond the last column.
        QString text(int column) const;
        QByteArray bytes(int column) const;

    private:
        static QByteArray pack(const QList<QByteArray>& values);
        static QByteArray unpack(const QByteArray& packed, int column);

        QByteArray m_texts;  // per column: its UTF-8 length, then the UTF-8
        QByteArray m_bytes;  // the same for the bytes, when they are kept
    };

    explicit TCatalogSnapshot(QString database) : m_database(std::move(database)) {}

    const QString& database() const { return m_database; }

    // A snapshot of a selection rather than of the whole database: each set is read for
    // the objects named (by name, or by the ids of their Objects rows, which also bring
    // in their tables' triggers), and serves only keys within that scope.
    void setScope(const QSet<QString>& names);
    bool scoped() const { return m_scoped; }
    // Whether the rows of `key` are within the scope (always, unscoped). Sets keyed by id
    // need the Objects rows held first.
    bool covers(CatalogStatements::CatalogSet set, const QStringList& key) const;
    // The first-key values the scoped read of `set` is restricted to.
    QStringList scopeKeys(CatalogStatements::CatalogSet set) const;
    // The tables' triggers whose own Objects rows the scoped Objects read did not bring;
    // addObjects() puts them in, after which Objects covers them too.
    QStringList triggersToAdd() const;
    void addObjects(std::vector<Row> rows);
    bool holds(CatalogStatements::CatalogSet set) const;
    // The number of key columns in front of each row of a set held.
    int keyColumnCount(CatalogStatements::CatalogSet set) const;
    // Keeps the rows of `set`, in the order read.
    void store(CatalogStatements::CatalogSet set, std::vector<Row> rows);
    // The rows whose leading key columns equal `key` (all of the set's key columns or a
    // prefix of them; all rows when it is empty), in the order read. Names compare without
    // trailing blanks, as the server compares them.
    QList<const Row*> rows(CatalogStatements::CatalogSet set, const QStringList& key);

private:
    struct Table {
        std::vector<Row> rows;
        // By the number of key columns compared: the joined key values -> rows.
        std::vector<std::optional<QHash<QString, QList<int>>>> byKey;
    };
    static QString joinedKey(const QStringList& values, int count);
    static QString joinedKey(const Row& row, int count);

    void widenScope(const Table& objects);

    QString m_database;
    std::array<std::optional<Table>, CatalogStatements::CatalogSetCount> m_tables;
    bool m_scoped = false;
    QSet<QString> m_names;         // the selection's names, which the Objects read is keyed by
    QSet<QString> m_triggerNames;  // the names of its tables' triggers
    QSet<QString> m_ids;           // the ids of its objects and of their tables' triggers
};

// The rows of the keyed reads made so far for one object, read one by one: building its
// sections asks the server once for each, however many of them need it.
class TCatalogMemo {
public:
    using Rows = std::vector<TCatalogSnapshot::Row>;

    // The rows kept for `key`, if any.
    const Rows* find(CatalogStatements::CatalogSet set, const QStringList& key) const;
    const Rows& store(CatalogStatements::CatalogSet set, const QStringList& key, Rows rows);

private:
    static QString memoKey(CatalogStatements::CatalogSet set, const QStringList& key);

    QHash<QString, Rows> m_rows;
};

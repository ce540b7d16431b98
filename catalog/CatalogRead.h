// One catalog read: a private query set up from the reader's settings, the wait cursor
// while it runs, and, on every way out, the pending results cancelled, the query
// released and the cursor restored.
#pragma once

#include "CTLibEnhQuery.h"
#include "CatalogSnapshot.h"
#include "UserInterface.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class TCTLibObjInfo;
class TCTLibEnhQuery;

class CatalogRead {
public:
    enum class Mode { Cursor, LanguageCommand };
    enum class Results { Trimmed, AsStored };

    explicit CatalogRead(TCTLibObjInfo& reader, Mode mode = Mode::Cursor,
                         Results results = Results::Trimmed);
    ~CatalogRead();
    CatalogRead(const CatalogRead&) = delete;
    CatalogRead& operator=(const CatalogRead&) = delete;

    // Sends the statement, one SQL line per element; rows then come with next().
    void open(const QStringList& lines);
    // The rows of `set` for `key`: from the reader's snapshot of the database when it keeps
    // one (read whole on first use), otherwise read for that key alone, once while the
    // reader remembers its reads.
    void open(CatalogStatements::CatalogSet set, const QStringList& key);
    // Describes the statement's result columns without reading rows.
    void describe(const QStringList& lines);
    bool next();
    // Column `column` (from 1) of the current, or last, row as text.
    QString text(int column) const;
    // The bytes of column `column` as received, for values read in pieces.
    QByteArray bytes(int column) const;
    // The same value as an integer; raises the conversion error for anything else.
    int integer(int column) const;
    TCTLibEnhQuery& query();

private:
    void setStatement(const QStringList& lines);
    // The rows of a statement, kept as stored; with their bytes for the reads whose pieces
    // are joined as bytes.
    std::vector<TCatalogSnapshot::Row> readRows(const QStringList& lines, Mode mode,
                                                bool keepBytes);
    void storeInSnapshot(TCatalogSnapshot& snapshot, CatalogStatements::CatalogSet set);
    // Hands out rows read before, whose first `keyColumns` columns are not handed out.
    void serve(QList<const TCatalogSnapshot::Row*> rows, int keyColumns);
    // The row handed out last, or the last row once they have all been handed out.
    const TCatalogSnapshot::Row* currentRow() const;

    TCTLibObjInfo& m_reader;
    Mode m_mode;
    Results m_results;
    std::optional<BusyCursor> m_cursor;
    std::unique_ptr<TCTLibEnhQuery> m_query;
    // Rows held in memory (a snapshot's or a memo's) and the position in them; the first
    // m_keyColumns columns of each are not handed out.
    bool m_fromMemory = false;
    QList<const TCatalogSnapshot::Row*> m_rows;
    int m_row = -1;
    int m_keyColumns = 0;
};

// A name as the server compares it: trailing blanks do not count, leading ones do
// (" x" is a name of its own under quoted identifiers).
QString nameWithoutPadding(const QString& name);

// The conversion of a column text to an integer, with the error a bad value raises.
int integerFromText(const QString& text);

// The bytes of a binary column, which the client gives in hexadecimal (with or without
// "0x").
QByteArray binaryFromText(const QString& text);

// One tdsim per test suite with the test database; each test gets a fresh connection
// "db" configured for it (not yet connected) and a recording user interface.
#pragma once

#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QStringList>
#include <memory>
#include <ostream>
#include <string>

// Readable QStrings in assertion messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

class ServerTest : public ::testing::Test {
protected:
    static QStringList serverArgs() { return {}; }

    // A server that cannot start fails every test of the suite (it never skips them).
    static void SetUpTestSuite()
    {
        try {
            s_server = std::make_unique<TdsimServer>(QStringList{QStringLiteral(CTLIB_TEST_SQL)});
        } catch (const std::exception& error) {
            s_startError = error.what();
        }
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_server) << "tdsim did not start: " << s_startError;
        ui = std::make_unique<RecordingUserInterface>();
        db = std::make_unique<TCTLibDatabase>();
        db->SetName(QStringLiteral("db"));
        s_server->configure(*db);
        db->setDbName(QStringLiteral("testdb"));
    }
    void TearDown() override
    {
        db.reset();
        ui.reset();
    }

    // A query named `name` on "db".
    std::unique_ptr<TCTLibEnhQuery> query(const QString& sql, const QString& name = "q")
    {
        auto q = std::make_unique<TCTLibEnhQuery>();
        q->setObjectName(name);
        q->DbName = QStringLiteral("db");
        q->setSQL(QStringList{sql});
        return q;
    }

    // Every row's first column through Open/Next.
    QStringList firstColumn(TCTLibEnhQuery& q)
    {
        QStringList values;
        if (q.Open() == 1) {
            while (q.Next())
                values << q.ColumnValue(1);
        }
        return values;
    }

    // The server's counters: requests and cursor fetches, reset when asked.
    struct Stats {
        long requests = 0;
        long cursorFetches = 0;
    };
    Stats serverStats(bool reset = false)
    {
        auto q = query(reset ? QStringLiteral("exec sp_tdsim_stats 'reset'")
                             : QStringLiteral("exec sp_tdsim_stats"),
                       QStringLiteral("stats"));
        Stats stats;
        if (q->Open() == 1 && q->Next()) {
            stats.requests = q->ColumnValue(1).toLong();
            stats.cursorFetches = q->ColumnValue(3).toLong();
        }
        q->Cancel();
        return stats;
    }

    static inline std::unique_ptr<TdsimServer> s_server;
    static inline std::string s_startError;
    std::unique_ptr<RecordingUserInterface> ui;
    std::unique_ptr<TCTLibDatabase> db;
};

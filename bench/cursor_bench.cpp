// Requests and time for 1,000 rows read through a cursor, at CurFetchRows 50 (the
// catalog reader's setting) and, for comparison, 1 and 10. Prints figures; asserts nothing.
#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

namespace {
struct Counters {
    long requests = 0;
    long cursorFetches = 0;
};

Counters readCounters(bool reset)
{
    TCTLibEnhQuery stats;
    stats.DbName = "db";
    stats.setSQL({reset ? "exec sp_tdsim_stats 'reset'" : "exec sp_tdsim_stats"});
    Counters counters;
    if (stats.Open() == 1 && stats.Next()) {
        counters.requests = stats.ColumnValue(1).toLong();
        counters.cursorFetches = stats.ColumnValue(3).toLong();
    }
    stats.Cancel();
    return counters;
}

void measure(int curFetchRows, int iterations)
{
    double totalMs = 0;
    long rows = 0;
    Counters counters;
    for (int i = 0; i < iterations; ++i) {
        readCounters(true);
        TCTLibEnhQuery query;
        query.DbName = "db";
        query.IsCursor = true;
        query.ReadOnly = true;
        query.CurFetchRows = curFetchRows;
        query.setSQL({"select n from numbers where n <= 1000 order by n"});
        QElapsedTimer timer;
        timer.start();
        rows = 0;
        if (query.Open() == 1) {
            while (query.Next())
                ++rows;
        }
        query.Cancel();
        totalMs += double(timer.nsecsElapsed()) / 1e6;
        counters = readCounters(false);
    }
    // The counters include the reset call's own request and the reading one.
    std::printf("CurFetchRows %3d: %ld rows, %ld requests (%ld cursor fetches), %.2f ms per run\n",
                curFetchRows, rows, counters.requests, counters.cursorFetches,
                totalMs / iterations);
}
}  // namespace

int main(int argc, char** argv)
{
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 20;
    RecordingUserInterface ui;
    TdsimServer server({QStringLiteral(CTLIB_TEST_SQL)});
    TCTLibDatabase db;
    db.SetName("db");
    server.configure(db);
    db.setDbName("testdb");
    db.Connect();
    if (!db.connected()) {
        std::fprintf(stderr, "could not connect to tdsim\n");
        return 1;
    }
    std::printf("1,000 rows through a cursor, %d runs each\n", iterations);
    for (int rows : {50, 10, 1})
        measure(rows, iterations);
    return 0;
}

// Loads a large synthetic database into the tdsim engine and times the catalog
// statements the client sends on it, taken from the client's statement builders.
// Prints figures; asserts nothing.
//
//   tdsim_engine_bench [tables] [columns] [constraints]
//
// With "constraints", the database has the generator's keys, checks, defaults, foreign keys,
// grants and views (generate_large_db.py --constraints).
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "CTLibEnhQuery.h"
#include "CTLibTypes.h"
#include "CatalogStatements.h"
#include "ObjectListing.h"
#include "engine/Engine.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace Sql = CatalogStatements;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string generateScript(int tables, int columns, bool constraints)
{
    std::string command = "python3 '" TDSIM_TESTDATA_DIR "/generate_large_db.py' --tables " +
                          std::to_string(tables) + " --columns " + std::to_string(columns) +
                          (constraints ? " --constraints" : "");
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "";
    std::string script;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        script.append(buffer, n);
    pclose(pipe);
    return script;
}

const QString kBig = QStringLiteral("big");

// The bytes the client's query sends for the lines of a statement.
std::string sent(const QStringList& lines)
{
    return TCTLibCustomQuery::sentText(lines).toStdString();
}

// The id of dbo's table, read with the statement the table builder uses; 0 if none.
int tableId(tdsim::Session& session, const QString& table)
{
    for (const auto& result :
         session.execute(sent(Sql::forKey(Sql::CatalogSet::Objects, kBig, {table, "dbo"})))) {
        if (result.resultSet && !result.resultSet->rows.empty())
            return static_cast<int>(result.resultSet->rows[0][1].intValue);
    }
    return 0;
}

void timeStatement(tdsim::Session& session, const std::string& label, const std::string& sql,
                   int runs)
{
    size_t rows = 0;
    auto start = Clock::now();
    for (int i = 0; i < runs; ++i) {
        for (const auto& result : session.execute(sql)) {
            if (result.resultSet)
                rows = result.resultSet->rows.size();
            if (result.failed)
                std::cout << "  failed: " << result.messages.at(0).text << "\n";
        }
    }
    std::printf("%-40s %8.3f ms per run (%zu rows)\n", label.c_str(),
                secondsSince(start) * 1000 / runs, rows);
}

}  // namespace

int main(int argc, char** argv)
{
    int tables = argc > 1 ? std::atoi(argv[1]) : 10000;
    int columns = argc > 2 ? std::atoi(argv[2]) : 10;
    bool constraints = argc > 3 && std::string(argv[3]) == "constraints";
    std::string script = generateScript(tables, columns, constraints);
    if (script.empty()) {
        std::cerr << "could not run the generator script\n";
        return 1;
    }
    tdsim::ServerStats stats;
    auto start = Clock::now();
    auto engine = tdsim::Engine::create({}, stats);
    double startup = secondsSince(start);
    start = Clock::now();
    auto errors = engine->runScript(script);
    double load = secondsSince(start);
    std::printf("engine start-up                          %8.3f s\n", startup);
    std::printf("load %d tables x %d columns             %8.3f s (%zu errors, %.2f ms per table)\n",
                tables, columns, load, errors.size(), load * 1000 / tables);

    auto session = engine->openSession("sa", 1);
    session->execute("use big");
    char middle[32];
    std::snprintf(middle, sizeof middle, "tab_%05d", tables / 2);
    const QString table = QString::fromLatin1(middle);
    const QString id = QString::number(tableId(*session, table));
    timeStatement(*session, "table-builder column definitions",
                  sent(Sql::forKey(Sql::CatalogSet::ColumnDefinitions, kBig, {id})), 20);
    timeStatement(*session, "index columns statement",
                  sent(Sql::forKey(Sql::CatalogSet::IndexKeys, kBig, {id, table + "_ix"})), 5);
    // Each whole-database read once, as a script of every object sends them.
    for (int set = 0; set < Sql::CatalogSetCount; ++set) {
        timeStatement(*session, "whole-database read " + std::to_string(set),
                      sent(Sql::wholeDatabase(static_cast<Sql::CatalogSet>(set), kBig)), 1);
    }
    timeStatement(*session, "user table listing",
                  sent({objectListingStatement(ObjectKind::Tables, kBig, kSybaseSqlServer)}), 3);
    return 0;
}

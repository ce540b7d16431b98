// Loads a large synthetic database into the tdsim engine and times the catalog
// statements the client sends on it. Prints figures; asserts nothing.
//
//   tdsim_engine_bench [tables] [columns]
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "engine/Engine.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string generateScript(int tables, int columns) {
    std::string command = "python3 '" TDSIM_TESTDATA_DIR "/generate_large_db.py' --tables " +
                          std::to_string(tables) + " --columns " + std::to_string(columns);
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

// The column statement of the table definition builder, joined with CR LF.
std::string columnStatement(const std::string& table) {
    const char* const lines[] = {
        "SELECT column_name = c.name,",
        " type_name = rtrim(t.name),",
        " prec = isnull(isnull(convert(int, c.prec),isnull(convert(int, "
        "d.data_precision),convert(int,c.length)))",
        "+isnull(d.aux, "
        "convert(int,ascii(substring(\"???AAAFFFCKFOLS\",2*(d.ss_dtype%35+1)+2-8/"
        "c.length,1))-60)), 0),",
        " scale = isnull(isnull(convert(smallint, c.scale),",
        "convert(smallint, d.numeric_scale)) + convert(smallint, isnull(d.aux, "
        "ascii(substring(\"<<<<<<<<<<<<<<?\", "
        "2*(d.ss_dtype%35+1)+2-8/c.length,1))-60)), 0),",
        " length = isnull(isnull(convert(int, c.length), 0),",
        "convert(int, d.length)) + convert(int, isnull(d.aux, ascii(substring(\"AAA<BB<DDDHJSPP\", "
        "2*(d.ss_dtype%35+1)+2-8/c.length,1))-64)),",
        " ident = convert(bit, (c.status & 0x80)),",
        " nullable = convert(smallint, convert(bit, c.status&8))",
        " FROM big.dbo.syscolumns c,",
        " big.dbo.sysobjects o,",
        " sybsystemprocs.dbo.spt_datatype_info d,",
        " big.dbo.systypes t",
        " WHERE o.name = \"TABLE\"",
        " AND o.id = c.id",
        " AND c.usertype = t.usertype",
        " AND t.type = d.ss_dtype",
        " AND o.type in (\"U\",\"S\")",
        " AND (d.ss_dtype NOT IN (111, 109, 38, 110)",
        " OR c.usertype >= 100)",
        " ORDER BY colid"};
    std::string text;
    for (const char* line : lines)
        text += (text.empty() ? "" : "\r\n") + std::string(line);
    return text.replace(text.find("TABLE"), 5, table);
}

std::string indexColumnsStatement(const std::string& qualified) {
    return "SELECT INDEX_COL('big.dbo.' + so.name , x.indid, c.colid)\r\n FROM big.dbo.sysindexes "
           "x,\r\n"
           " big.dbo.syscolumns c,\r\n big.dbo.sysobjects so\r\n WHERE x.id = object_id "
           "(\"big.dbo.\" + "
           "so.name)\r\n AND indid BETWEEN 1 AND 254\r\n AND x.id = c.id\r\n AND so.id = x.id\r\n "
           "AND "
           "c.colid <= x.keycnt\r\n AND INDEX_COL(\"big.dbo.\" + so.name, x.indid, "
           "c.colid)<>''\r\n AND "
           "so.name + '.' + x.name = '" +
           qualified + "'\r\n ORDER BY x.name, x.indid,\r\n c.colid ASC";
}

void timeStatement(tdsim::Session& session, const std::string& label, const std::string& sql,
                   int runs) {
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

int main(int argc, char** argv) {
    int tables = argc > 1 ? std::atoi(argv[1]) : 10000;
    int columns = argc > 2 ? std::atoi(argv[2]) : 10;
    std::string script = generateScript(tables, columns);
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
    timeStatement(*session, "table-builder column statement", columnStatement(middle), 20);
    timeStatement(*session, "index columns statement",
                  indexColumnsStatement(std::string(middle) + "." + middle + "_ix"), 5);
    timeStatement(
        *session, "user table listing",
        "select su.name + \".\" + so.name from big.dbo.sysobjects so, big.dbo.sysusers su where "
        "so.type='U' and so.uid = su.uid order by so.name",
        3);
    return 0;
}

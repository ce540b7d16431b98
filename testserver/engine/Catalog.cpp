#include "engine/Catalog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <limits>
#include <map>
#include <numeric>
#include <set>
#include <sstream>

#include <unistd.h>

#include "engine/Errors.h"
#include "engine/Parser.h"
#include "engine/SqlAnywhereCatalog.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

struct SystemIndex {
    const char* name;
    int indid;
    int status;
    std::vector<int> keys;  // colids
};

struct SystemTableDef {
    const char* name;
    int id;
    bool masterOnly;
    std::vector<SystemColumn> columns;
    std::vector<SystemIndex> indexes;
    const char* sqliteIndexes;  // extra SQLite indexes, ";"-separated column lists
    // Columns of tdsim's own, absent from syscolumns and so invisible to SQL.
    const char* hiddenColumns = nullptr;
};

// System tables and their fixed object ids. Ids 1-13 are the server's long-standing
// ones; the ids of the later tables (sysusermessages and up) and of the master-only
// tables are chosen here (not documented).
const std::vector<SystemTableDef>& systemTables()
{
    static const std::vector<SystemTableDef> tables = {
        {"sysobjects",
         1,
         false,
         {{"name", "longsysname", false},
          {"id", "int", false},
          {"uid", "int", false},
          {"type", "char(2)", false},
          {"userstat", "smallint", false},
          {"sysstat", "smallint", false},
          {"indexdel", "smallint", false},
          {"schemacnt", "smallint", false},
          {"sysstat2", "int", false},
          {"crdate", "datetime", false},
          {"expdate", "datetime", false},
          {"deltrig", "int", false},
          {"instrig", "int", false},
          {"updtrig", "int", false},
          {"seltrig", "int", false},
          {"ckfirst", "int", false},
          {"cache", "smallint", false},
          {"audflags", "int", true, "0"},
          {"objspare", "int", false},
          {"versionts", "binary(6)", true},
          {"loginame", "varchar(30)", true},
          {"identburnmax", "numeric(38,0)", true},
          {"spacestate", "smallint", true},
          {"erlchgts", "binary(8)", true},
          {"sysstat3", "usmallint", true, "0"},
          {"lobcomp_lvl", "tinyint", true}},
         {{"sysobjects", 1, 0x12, {2}}, {"ncsysobjects", 2, 0x2, {1, 3}}},
         "id;name,uid;type"},
        {"sysindexes",
         2,
         false,
         {{"name", "longsysname", true},
          {"id", "int", false},
          {"indid", "smallint", false},
          {"doampg", "int", false},
          {"ioampg", "int", false},
          {"oampgtrips", "int", false},
          {"status3", "int", false},
          {"status2", "smallint", false},
          {"ipgtrips", "int", false},
          {"first", "int", false},
          {"root", "int", false},
          {"distribution", "int", false},
          {"usagecnt", "smallint", false},
          {"segment", "smallint", false},
          {"status", "smallint", false},
          {"maxrowsperpage", "smallint", false},
          {"minlen", "smallint", false},
          {"maxlen", "smallint", false},
          {"maxirow", "smallint", false},
          {"keycnt", "smallint", false},
          {"keys1", "varbinary(255)", true},
          {"keys2", "varbinary(255)", true},
          {"soid", "tinyint", false, "50"},
          {"csid", "tinyint", false, "1"},
          {"base_partition", "int", true},
          {"fill_factor", "smallint", true},
          {"res_page_gap", "smallint", true},
          {"exp_rowsize", "smallint", true},
          {"keys3", "varbinary(255)", true},
          {"identitygap", "int", true},
          {"crdate", "datetime", true, "tsql_getdate()"},
          {"partitiontype", "smallint", true},
          {"conditionid", "int", true}},
         {{"sysindexes", 1, 0x12, {2, 3}}},
         "id,indid;name",
         // The key colids and their sort orders ('A'/'D' per key).
         "tdsim_keys TEXT, tdsim_order TEXT NOT NULL DEFAULT ''"},
        {"syscolumns",
         3,
         false,
         {{"id", "int", false},
          {"number", "smallint", false},
          {"colid", "smallint", false},
          {"status", "tinyint", false},
          {"type", "tinyint", false},
          {"length", "int", false},
          {"offset", "smallint", false},
          {"usertype", "smallint", false},
          {"cdefault", "int", false},
          {"domain", "int", false},
          {"name", "longsysname", false},
          {"printfmt", "varchar(255)", true},
          {"prec", "tinyint", true},
          {"scale", "tinyint", true},
          {"remote_type", "int", true},
          {"remote_name", "varchar(255)", true},
          {"xstatus", "int", true},
          {"xtype", "int", true},
          {"xdbid", "int", true},
          {"accessrule", "int", true},
          {"status2", "int", true},
          {"computedcol", "int", true},
          {"status3", "int", true},
          {"encrtype", "int", true},
          {"encrlen", "int", true},
          {"encrkeyid", "int", true},
          {"encrkeydb", "varchar(30)", true},
          {"encrdate", "datetime", true},
          {"lobcomp_lvl", "tinyint", true},
          {"inrowlen", "smallint", true}},
         {{"syscolumns", 1, 0x12, {1, 2, 3}}, {"ncsyscolumns", 2, 0x2, {1, 11}}},
         "id,number,colid;usertype",
         // The SQLite expression of a function-based index key's hidden column, and of
         // a computed column's value.
         "tdsim_expr TEXT, tdsim_computed TEXT"},
        {"systypes",
         4,
         false,
         {{"uid", "int", false},
          {"usertype", "smallint", false},
          {"variable", "bit", false},
          {"allownulls", "bit", false},
          {"type", "tinyint", false},
          {"length", "int", false},
          {"tdefault", "int", false},
          {"domain", "int", false},
          {"name", "longsysname", false},
          {"printfmt", "varchar(255)", true},
          {"prec", "tinyint", true},
          {"scale", "tinyint", true},
          {"ident", "tinyint", true, "0"},
          {"hierarchy", "tinyint", true},
          {"accessrule", "int", true},
          {"xtypeid", "int", true},
          {"xdbid", "int", true}},
         {{"systypes", 1, 0x12, {9}}, {"ncsystypes", 2, 0x2, {2}}},
         "usertype;name;type"},
        {"syscomments",
         6,
         false,
         {{"id", "int", false},
          {"number", "smallint", false},
          {"colid", "smallint", false},
          {"texttype", "smallint", false},
          {"language", "smallint", false},
          {"text", "varchar(255)", true},
          {"colid2", "smallint", false},
          {"status", "smallint", true},
          {"partitionid", "int", true}},
         {{"syscomments", 1, 0x12, {1, 2, 7, 3, 4}}},
         "id,number,colid2,colid",
         "tdsim_source BLOB"},  // the readable piece of a text hidden by sp_hidetext
        {"syssegments",
         7,
         false,
         {{"segment", "smallint", false},
          {"name", "longsysname", false},
          {"status", "smallint", true}},
         {},
         "segment"},
        {"sysprotects",
         9,
         false,
         {{"id", "int", false},
          {"uid", "int", false},
          {"action", "smallint", false},
          {"protecttype", "tinyint", false},
          {"columns", "varbinary(133)", true},
          {"grantor", "int", true},
          {"predid", "int", true},
          {"status", "int", true}},
         {{"sysprotects", 1, 0x12, {1, 3, 6, 2, 4}}},
         "id;uid"},
        {"sysusers",
         10,
         false,
         {{"suid", "int", false},
          {"uid", "int", false},
          {"gid", "int", false},
          {"name", "longsysname", false},
          {"environ", "varchar(255)", true}},
         {{"sysusers", 1, 0x12, {1}}, {"ncsysusers1", 2, 0x2, {4}}, {"ncsysusers2", 3, 0x2, {2}}},
         "uid;name;suid"},
        {"sysprocedures",
         5,
         false,
         {{"type", "smallint", false},
          {"id", "int", false},
          {"sequence", "int", false},
          {"status", "int", false},
          {"number", "smallint", false}},
         {{"sysprocedures", 1, 0x12, {2, 5, 1, 3}}},
         "id"},
        {"sysalternates",
         11,
         false,
         {{"suid", "int", false}, {"altsuid", "int", false}},
         {{"sysalternates", 1, 0x12, {1}}},
         "suid"},
        {"sysdepends",
         12,
         false,
         {{"id", "int", false},
          {"number", "smallint", false},
          {"depid", "int", false},
          {"depnumber", "smallint", false},
          {"status", "smallint", false},
          {"selall", "bit", false},
          {"resultobj", "bit", false},
          {"readobj", "bit", false},
          {"columns", "varbinary(128)", true}},
         {{"sysdepends", 1, 0x12, {1, 2, 3, 4}}},
         "id;depid"},
        {"syskeys",
         13,
         false,
         {{"id", "int", false},          {"type", "smallint", false},
          {"depid", "int", true},        {"keycnt", "int", true},
          {"size", "int", true},         {"key1", "smallint", true},
          {"key2", "smallint", true},    {"key3", "smallint", true},
          {"key4", "smallint", true},    {"key5", "smallint", true},
          {"key6", "smallint", true},    {"key7", "smallint", true},
          {"key8", "smallint", true},    {"depkey1", "smallint", true},
          {"depkey2", "smallint", true}, {"depkey3", "smallint", true},
          {"depkey4", "smallint", true}, {"depkey5", "smallint", true},
          {"depkey6", "smallint", true}, {"depkey7", "smallint", true},
          {"depkey8", "smallint", true}, {"spare1", "smallint", false}},
         {{"syskeys", 1, 0x10, {1}}},
         "id"},
        {"sysusermessages",
         17,
         false,
         {{"error", "int", false},
          {"uid", "smallint", false},
          {"description", "varchar(1024)", false},
          {"langid", "smallint", true},
          {"dlevel", "smallint", true}},
         {{"sysusermessages", 1, 0x12, {1, 4}}},
         "error"},
        {"sysreferences",
         18,
         false,
         {{"indexid", "smallint", false},     {"constrid", "int", false},
          {"tableid", "int", false},          {"reftabid", "int", false},
          {"keycnt", "smallint", false},      {"status", "smallint", false},
          {"frgndbid", "smallint", true},     {"pmrydbid", "smallint", false},
          {"spare2", "int", false},           {"fokey1", "smallint", false},
          {"fokey2", "smallint", false},      {"fokey3", "smallint", false},
          {"fokey4", "smallint", false},      {"fokey5", "smallint", false},
          {"fokey6", "smallint", false},      {"fokey7", "smallint", false},
          {"fokey8", "smallint", false},      {"fokey9", "smallint", false},
          {"fokey10", "smallint", false},     {"fokey11", "smallint", false},
          {"fokey12", "smallint", false},     {"fokey13", "smallint", false},
          {"fokey14", "smallint", false},     {"fokey15", "smallint", false},
          {"fokey16", "smallint", false},     {"refkey1", "smallint", false},
          {"refkey2", "smallint", false},     {"refkey3", "smallint", false},
          {"refkey4", "smallint", false},     {"refkey5", "smallint", false},
          {"refkey6", "smallint", false},     {"refkey7", "smallint", false},
          {"refkey8", "smallint", false},     {"refkey9", "smallint", false},
          {"refkey10", "smallint", false},    {"refkey11", "smallint", false},
          {"refkey12", "smallint", false},    {"refkey13", "smallint", false},
          {"refkey14", "smallint", false},    {"refkey15", "smallint", false},
          {"refkey16", "smallint", false},    {"frgndbname", "varchar(30)", true},
          {"pmrydbname", "varchar(30)", true}},
         {{"csysreferences", 1, 0x10, {3}}, {"ncsysreferences", 2, 0x2, {2}}},
         "tableid;reftabid;constrid"},
        {"sysconstraints",
         19,
         false,
         {{"colid", "smallint", false},
          {"constrid", "int", false},
          {"tableid", "int", false},
          {"error", "int", false},
          {"status", "int", false},
          {"spare2", "int", false}},
         {},
         // The server's clustered key, and constrid for the column statements that look
         // a column's check up by syscolumns.domain.
         "tableid,colid;constrid"},
        {"systhresholds",
         21,
         false,
         {{"segment", "smallint", false},
          {"free_space", "int", false},
          {"status", "smallint", false},
          {"proc_name", "varchar(255)", false},
          {"suid", "int", true},
          {"currauth", "varbinary(255)", true}},
         {{"systhresholds", 1, 0x12, {1, 2}}},
         "segment"},
        {"sysroles",
         22,
         false,
         {{"id", "int", false},
          {"lrid", "int", false},
          {"type", "smallint", false},
          {"status", "smallint", false}},
         {{"ncsysroles", 2, 0x2, {2}}},
         "id"},
        {"sysattributes",
         23,
         false,
         {{"class", "smallint", false},
          {"attribute", "smallint", false},
          {"object_type", "char(2)", false},
          {"object_cinfo", "varchar(255)", true},
          {"object", "int", true},
          {"object_info1", "int", true},
          {"object_info2", "int", true},
          {"object_info3", "int", true},
          {"int_value", "int", true},
          {"char_value", "varchar(768)", true},
          {"text_value", "text", true},
          {"image_value", "image", true},
          {"comments", "varchar(255)", true}},
         {{"csysattributes", 1, 0x10, {1, 2, 5}}},
         "class,attribute,object"},
        {"sysxtypes",
         25,
         false,
         {{"xtid", "int", false},
          {"xtstatus", "int", false},
          {"xtmetatype", "int", false},
          {"xtname", "varchar(255)", false},
          {"xtsource", "text", true}},
         {{"csysxtypes", 1, 0x10, {1}}},
         "xtid;xtname"},
        {"syspartitions",
         28,
         false,
         {{"name", "longsysname", false},
          {"indid", "smallint", false},
          {"id", "int", false},
          {"partitionid", "int", false},
          {"segment", "smallint", false},
          {"status", "int", false},
          {"datoampage", "int", false},
          {"indoampage", "int", false},
          {"firstpage", "int", false},
          {"rootpage", "int", false},
          {"data_partitionid", "int", false},
          {"crdate", "datetime", false},
          {"cdataptnname", "longsysname", true},
          {"lobcomp_lvl", "tinyint", true}},
         {{"csyspartitions", 1, 0x10, {3, 2, 4}}},
         "id,indid;partitionid"},
        {"syslogs", 8, false, {{"xactid", "binary(6)", false}, {"op", "tinyint", false}}, {}, ""},
        {"sysgams",
         14,
         false,
         // The allocation bitmaps; the server documents no columns to read.
         {{"gam", "varbinary(255)", true}},
         {},
         ""},
        {"sysjars",
         16,
         false,
         {{"jid", "int", false},
          {"jstatus", "int", false},
          {"jname", "varchar(255)", false},
          {"jbinary", "image", true}},
         {{"csysjars", 1, 0x12, {1}}},
         "jid"},
        {"syspartitionkeys",
         20,
         false,
         {{"id", "int", false},
          {"indid", "smallint", false},
          {"colid", "smallint", false},
          {"position", "smallint", false}},
         {{"csyspartitionkeys", 1, 0x12, {1, 2, 4}}},
         "id,indid"},
        {"sysslices",
         24,
         false,
         // The pre-15.0 syspartitions, kept for upgrades.
         {{"id", "int", false},
          {"ptnid", "int", false},
          {"firstpage", "int", false},
          {"controlpage", "int", false},
          {"spare", "varbinary(32)", true}},
         {},
         "id"},
        {"systabstats",
         26,
         false,
         {{"indid", "smallint", false},
          {"id", "int", false},
          {"activestatid", "smallint", false},
          {"indexheight", "smallint", false},
          {"leafcnt", "uint", false},
          {"pagecnt", "uint", false},
          {"rowcnt", "float", false},
          {"forwrowcnt", "float", false},
          {"delrowcnt", "float", false},
          {"dpagecrcnt", "float", false},
          {"ipagecrcnt", "float", false},
          {"drowcrcnt", "float", false},
          {"oamapgcnt", "int", false},
          {"extent0pgcnt", "int", false},
          {"datarowsize", "float", false},
          {"leafrowsize", "float", false},
          {"status", "int", false},
          {"plljoindegree", "int", false},
          {"spare1", "int", false},
          {"spare2", "float", false},
          {"rslastoam", "int", false},
          {"rslastpage", "int", false},
          {"frlastoam", "int", false},
          {"frlastpage", "int", false},
          {"conopt_thld", "smallint", false},
          {"warmcachepgcnt", "int", false},
          {"statmoddate", "datetime", true},
          {"partitionid", "int", false},
          {"emptypgcnt", "int", true},
          {"unusedpgcnt", "int", true},
          {"oampagecnt", "int", true}},
         {{"csystabstats", 1, 0x12, {2, 1, 28}}},
         "id,indid"},
        {"sysstatistics",
         27,
         false,
         {{"statid", "smallint", false},
          {"id", "int", false},
          {"sequence", "int", false},
          {"moddate", "datetime", false},
          {"formatid", "tinyint", false},
          {"usedcount", "tinyint", false},
          {"colidarray", "varbinary(100)", false},
          {"indid", "smallint", true},
          {"partitionid", "int", true},
          {"c0", "varbinary(255)", true},
          {"c1", "varbinary(255)", true},
          {"c2", "varbinary(255)", true},
          {"c3", "varbinary(255)", true},
          {"c4", "varbinary(255)", true},
          {"c5", "varbinary(255)", true},
          {"c6", "varbinary(255)", true},
          {"c7", "varbinary(255)", true},
          {"c8", "varbinary(255)", true},
          {"c9", "varbinary(255)", true},
          {"c10", "varbinary(255)", true},
          {"c11", "varbinary(255)", true},
          {"c12", "varbinary(255)", true},
          {"c13", "varbinary(255)", true},
          {"c14", "varbinary(255)", true},
          {"c15", "varbinary(255)", true},
          {"c16", "varbinary(255)", true},
          {"c17", "varbinary(255)", true},
          {"c18", "varbinary(255)", true},
          {"c19", "varbinary(255)", true},
          {"c20", "varbinary(255)", true},
          {"c21", "varbinary(255)", true},
          {"c22", "varbinary(255)", true},
          {"c23", "varbinary(255)", true},
          {"c24", "varbinary(255)", true},
          {"c25", "varbinary(255)", true},
          {"c26", "varbinary(255)", true},
          {"c27", "varbinary(255)", true},
          {"c28", "varbinary(255)", true},
          {"c29", "varbinary(255)", true},
          {"c30", "varbinary(255)", true},
          {"c31", "varbinary(255)", true},
          {"c32", "varbinary(255)", true},
          {"c33", "varbinary(255)", true},
          {"c34", "varbinary(255)", true},
          {"c35", "varbinary(255)", true},
          {"c36", "varbinary(255)", true},
          {"c37", "varbinary(255)", true},
          {"c38", "varbinary(255)", true},
          {"c39", "varbinary(255)", true},
          {"c40", "varbinary(255)", true},
          {"c41", "varbinary(255)", true},
          {"c42", "varbinary(255)", true},
          {"c43", "varbinary(255)", true},
          {"c44", "varbinary(255)", true},
          {"c45", "varbinary(255)", true},
          {"c46", "varbinary(255)", true},
          {"c47", "varbinary(255)", true},
          {"c48", "varbinary(255)", true},
          {"c49", "varbinary(255)", true},
          {"c50", "varbinary(255)", true},
          {"c51", "varbinary(255)", true},
          {"c52", "varbinary(255)", true},
          {"c53", "varbinary(255)", true},
          {"c54", "varbinary(255)", true},
          {"c55", "varbinary(255)", true},
          {"c56", "varbinary(255)", true},
          {"c57", "varbinary(255)", true},
          {"c58", "varbinary(255)", true},
          {"c59", "varbinary(255)", true},
          {"c60", "varbinary(255)", true},
          {"c61", "varbinary(255)", true},
          {"c62", "varbinary(255)", true},
          {"c63", "varbinary(255)", true},
          {"c64", "varbinary(255)", true},
          {"c65", "varbinary(255)", true},
          {"c66", "varbinary(255)", true},
          {"c67", "varbinary(255)", true},
          {"c68", "varbinary(255)", true},
          {"c69", "varbinary(255)", true},
          {"c70", "varbinary(255)", true},
          {"c71", "varbinary(255)", true},
          {"c72", "varbinary(255)", true},
          {"c73", "varbinary(255)", true},
          {"c74", "varbinary(255)", true},
          {"c75", "varbinary(255)", true},
          {"c76", "varbinary(255)", true},
          {"c77", "varbinary(255)", true},
          {"c78", "varbinary(255)", true},
          {"c79", "varbinary(255)", true}},
         {{"csysstatistics", 1, 0x12, {2, 1, 7, 5, 3}}},
         "id"},
        {"sysqueryplans",
         29,
         false,
         {{"uid", "int", false},
          {"gid", "int", false},
          {"hashkey", "int", false},
          {"id", "int", false},
          {"type", "smallint", false},
          {"sequence", "smallint", false},
          {"status", "int", true},
          {"text", "varchar(255)", true},
          {"dbid", "int", true},
          {"qpdate", "datetime", true},
          {"sprocid", "int", true},
          {"hashkey2", "int", true},
          {"key1", "int", true},
          {"key2", "int", true},
          {"key3", "int", true},
          {"key4", "int", true}},
         {{"csysqueryplans", 1, 0x10, {1, 2, 3}}, {"ncsysqueryplans", 2, 0x2, {4, 5, 6}}},
         "id"},
        {"sysencryptkeys",
         32,
         false,
         {{"id", "int", false},
          {"ekalgorithm", "int", false},
          {"type", "smallint", false},
          {"status", "int", false},
          {"eklen", "smallint", false},
          {"value", "varbinary(1282)", false},
          {"pwdate", "datetime", true},
          {"expdate", "datetime", true},
          {"uid", "int", true},
          {"ekpairid", "int", true},
          {"ekpwdnum", "int", true}},
         {{"csysencryptkeys", 1, 0x12, {1, 4}}},
         "id"},
        {"sysoptions",
         34,
         false,
         // A fake table on the server (the session's options); empty here.
         {{"spid", "int", false},
          {"name", "varchar(100)", false},
          {"category", "varchar(100)", false},
          {"currentsetting", "varchar(100)", true},
          {"defaultsetting", "varchar(100)", true},
          {"scope", "int", false},
          {"number", "int", false}},
         {},
         ""},
        {"sysdatabases",
         30,
         true,
         {{"name", "longsysname", false},
          {"dbid", "smallint", false},
          {"suid", "int", false},
          {"status", "smallint", false},
          {"version", "smallint", true, "1"},
          {"logptr", "int", false},
          {"crdate", "datetime", false},
          {"dumptrdate", "datetime", false},
          {"status2", "smallint", true, "0"},
          {"audflags", "int", true},
          {"deftabaud", "int", true},
          {"defvwaud", "int", true},
          {"defpraud", "int", true},
          {"def_remote_type", "smallint", true},
          {"def_remote_loc", "varchar(349)", true},
          {"status3", "int", true, "0"},
          {"status4", "int", true, "0"},
          {"audflags2", "varbinary(16)", true},
          {"instanceid", "tinyint", true},
          {"durability", "int", true, "1"},
          {"lobcomp_lvl", "tinyint", true},
          {"status5", "int", true}},
         {{"sysdatabases", 1, 0x12, {1}}},
         "name;dbid"},
        {"syslogins",
         31,
         true,
         {{"suid", "int", false},
          {"status", "smallint", false},
          {"accdate", "datetime", false},
          {"totcpu", "int", false},
          {"totio", "int", false},
          {"spacelimit", "int", false},
          {"timelimit", "int", false},
          {"resultlimit", "int", false},
          {"dbname", "sysname", true},
          {"name", "longsysname", false},
          {"password", "varbinary(128)", true},
          {"language", "varchar(30)", true},
          {"pwdate", "datetime", true},
          {"audflags", "int", true},
          {"fullname", "varchar(30)", true},
          {"srvname", "varchar(30)", true},
          {"logincount", "smallint", true, "0"},
          {"procid", "int", true},
          {"lastlogindate", "datetime", true},
          {"crdate", "datetime", true, "tsql_getdate()"},
          {"locksuid", "int", true},
          {"lockreason", "int", true},
          {"lockdate", "datetime", true},
          {"lpid", "int", true},
          {"crsuid", "int", true}},
         {{"syslogins", 1, 0x12, {1}}},
         "suid;name"},
        {"sysloginroles",
         33,
         true,
         {{"suid", "int", false},
          {"srid", "int", false},
          {"status", "smallint", false},
          {"predid", "int", true}},
         {{"csysloginroles", 1, 0x10, {1}}},
         "suid"},
        {"syssrvroles",
         36,
         true,
         {{"srid", "int", false},
          {"name", "varchar(30)", false},
          {"password", "varbinary(128)", true},
          {"pwdate", "datetime", true},
          {"status", "smallint", true},
          {"logincount", "smallint", true},
          {"locksuid", "int", true},
          {"lockreason", "int", true},
          {"lockdate", "datetime", true}},
         {{"csyssrvroles", 1, 0x12, {1}}},
         "srid;name"},
        {"syslogshold",
         35,
         true,
         {{"dbid", "smallint", false},
          {"reserved", "int", false},
          {"spid", "smallint", false},
          {"page", "int", false},
          {"xactid", "binary(6)", false},
          {"masterxactid", "binary(6)", false},
          {"starttime", "datetime", false},
          {"name", "varchar(67)", false},
          {"xloid", "int", false}},
         {},
         ""},
        // The process and lock tables the server builds when they are read. sysprocesses
        // holds a row per open session (ProcessTable); tdsim takes no locks a session could
        // see (sessions take turns at the engine) and keeps no monitor counters.
        {"sysprocesses",
         37,
         true,
         {{"spid", "smallint", false},
          {"kpid", "int", false},
          {"enginenum", "int", false},
          {"status", "char(12)", false},
          {"suid", "int", false},
          {"hostname", "varchar(30)", true},
          {"program_name", "varchar(30)", true},
          {"hostprocess", "varchar(30)", true},
          {"cmd", "varchar(30)", true},
          {"cpu", "int", false},
          {"physical_io", "int", false},
          {"memusage", "int", false},
          {"blocked", "smallint", false},
          {"dbid", "smallint", false},
          {"uid", "int", false},
          {"gid", "int", false},
          {"tran_name", "varchar(64)", true},
          {"time_blocked", "int", true},
          {"network_pktsz", "int", true},
          {"fid", "smallint", false},
          {"execlass", "varchar(30)", true},
          {"priority", "varchar(10)", true},
          {"affinity", "varchar(30)", true},
          {"id", "int", true},
          {"stmtnum", "int", true},
          {"linenum", "int", true},
          {"origsuid", "int", true},
          {"block_xloid", "int", true},
          {"clientname", "varchar(30)", true},
          {"clienthostname", "varchar(30)", true},
          {"clientapplname", "varchar(30)", true},
          {"sys_id", "smallint", true},
          {"ses_id", "int", true},
          {"loggedindatetime", "datetime", true},
          {"ipaddr", "varchar(64)", true},
          {"nodeid", "tinyint", true}},
         {},
         "spid",
         // The session a row belongs to (test engines may give two sessions one spid).
         "tdsim_session INTEGER"},
        {"syslocks",
         38,
         true,
         {{"id", "int", false},
          {"dbid", "smallint", false},
          {"page", "int", false},
          {"type", "smallint", false},
          {"spid", "smallint", false},
          {"class", "varchar(30)", false},
          {"fid", "smallint", false},
          {"context", "tinyint", false},
          {"row", "smallint", false},
          {"loid", "int", false},
          {"partitionid", "int", true},
          {"nodeid", "tinyint", true}},
         {},
         ""},
        {"sysengines",
         39,
         true,
         {{"engine", "smallint", false},
          {"osprocid", "int", true},
          {"osprocname", "char(32)", true},
          {"status", "char(12)", false},
          {"affinitied", "int", false},
          {"cur_kpid", "int", false},
          {"last_kpid", "int", false},
          {"idle_1", "tinyint", false},
          {"idle_2", "tinyint", false},
          {"idle_3", "tinyint", false},
          {"idle_4", "tinyint", false},
          {"starttime", "datetime", false}},
         {},
         ""},
        // Devices, database fragments, remote servers and configuration parameters
        // (MasterCatalog.cpp fills them).
        {"sysdevices",
         41,
         true,
         {{"low", "int", false},
          {"high", "int", false},
          {"status", "smallint", false},
          {"cntrltype", "smallint", false},
          {"name", "sysname", false},
          {"phyname", "varchar(127)", false},
          {"mirrorname", "varchar(127)", true},
          {"vdevno", "int", false},
          {"crdate", "datetime", true},
          {"resizedate", "datetime", true},
          {"status2", "int", false}},
         {{"csysdevices", 1, 0x12, {5}}},
         "vdevno"},
        {"sysusages",
         42,
         true,
         {{"dbid", "smallint", false},
          {"segmap", "int", false},
          {"lstart", "int", false},
          {"size", "int", false},
          {"vstart", "int", false},
          {"location", "int", false},
          {"unreservedpgs", "int", false},
          {"crdate", "datetime", true},
          {"vdevno", "int", false}},
         {{"csysusages", 1, 0x12, {1, 3}}, {"ncsysusages", 2, 0x2, {9, 5}}},
         "vdevno,vstart"},
        {"sysservers",
         43,
         true,
         {{"srvid", "smallint", false},
          {"srvstatus", "smallint", false},
          {"srvname", "varchar(30)", false},
          {"srvnetname", "varchar(255)", false},
          {"srvclass", "smallint", true},
          {"srvsecmech", "varchar(30)", true},
          {"srvcost", "smallint", true},
          {"srvstatus2", "int", false},
          {"srvprincipal", "varchar(255)", true}},
         {{"csysservers", 1, 0x12, {1}}, {"ncsysservers", 2, 0x2, {3}}},
         "srvname"},
        {"sysconfigures",
         44,
         true,
         {{"config", "smallint", false},
          {"value", "int", false},
          {"comment", "varchar(255)", false},
          {"status", "int", false},
          {"name", "varchar(255)", false},
          {"parent", "smallint", true},
          {"value2", "varchar(255)", true},
          {"value3", "int", true},
          {"value4", "int", true}},
         {},
         "name"},
        {"syscurconfigs",
         45,
         true,
         {{"config", "smallint", false},
          {"value", "int", false},
          {"comment", "varchar(255)", false},
          {"status", "int", false},
          {"value2", "varchar(255)", true},
          {"defvalue", "varchar(255)", true},
          {"minimum_value", "int", true},
          {"maximum_value", "int", true},
          {"memory_used", "int", true},
          {"display_level", "int", true},
          {"datatype", "int", true},
          {"message_num", "int", true},
          {"apf_percent", "int", true},
          {"type", "varchar(10)", true},
          {"unit", "varchar(20)", true}},
         {},
         ""},
        {"sysmonitors",
         40,
         true,
         {{"field_name", "char(79)", false},
          {"group_name", "char(25)", false},
          {"field_id", "smallint", false},
          {"value", "int", false},
          {"description", "varchar(255)", true}},
         {},
         ""},
    };
    return tables;
}

// The columns each system table is stored in order of, like the server's clustered
// indexes, so that queries without ORDER BY return rows in the server's order.
const char* storageOrder(const std::string& table)
{
    static const std::map<std::string, const char*> keys = {
        {"sysobjects", "id"},
        {"sysindexes", "id, indid"},
        {"syscolumns", "id, number, colid"},
        {"systypes", "name"},
        {"syscomments", "id, number, colid2, colid, texttype"},
        {"syssegments", "segment"},
        {"sysprotects", "id, action, grantor, uid, protecttype"},
        {"sysusers", "suid, uid"},
        {"sysdatabases", "name"},
        {"syslogins", "suid"},
        {"sysdevices", "name"},
        {"sysusages", "dbid, lstart"},
        {"sysservers", "srvid"},
        {"sysconfigures", "config"},
        {"syscurconfigs", "config"},
        {"sysloginroles", "suid, srid"},
        {"syspartitions", "id, indid, partitionid"},
    };
    auto found = keys.find(table);
    return found == keys.end() ? nullptr : found->second;
}

// The system tables whose SELECT public holds in a new database, as "grant default
// permissions on system tables" gives it. Encryption keys, allocation maps, the obsolete
// sysslices, partition keys and the fake sysoptions get none; master's syslogins is
// granted by column in the system script (its passwords are not public).
bool publicSelectByDefault(const std::string& table)
{
    static const std::set<std::string> tables = {
        "sysalternates", "sysattributes", "syscolumns",      "syscomments",   "sysconstraints",
        "sysdepends",    "sysindexes",    "sysjars",         "syskeys",       "syslogs",
        "sysobjects",    "syspartitions", "sysprocedures",   "sysprotects",   "sysqueryplans",
        "sysreferences", "sysroles",      "syssegments",     "sysstatistics", "systabstats",
        "systhresholds", "systypes",      "sysusermessages", "sysusers",      "sysxtypes",
        "sysdatabases",  "sysloginroles", "syslogshold",     "sysprocesses",  "syslocks",
        "sysengines",    "sysdevices",    "sysusages",       "sysservers",    "sysconfigures",
        "syscurconfigs"};
    return tables.count(table) > 0;
}

struct ServerRole {
    const char* name;
    int srid;
    bool inEveryDatabase;  // a role row of every new database; the others join on first grant
};

// The 15.7 system roles. sybase_ts_role's srid 3 is inferred from the gap in the
// documented list; keycustodian_role's 16 is chosen (its srid is not documented).
const std::vector<ServerRole>& serverRoles()
{
    static const std::vector<ServerRole> roles = {{"sa_role", 0, true},
                                                  {"sso_role", 1, true},
                                                  {"oper_role", 2, true},
                                                  {"sybase_ts_role", 3, true},
                                                  {"navigator_role", 4, true},
                                                  {"replication_role", 5, true},
                                                  {"dtm_tm_role", 7, false},
                                                  {"ha_role", 8, false},
                                                  {"mon_role", 10, false},
                                                  {"js_admin_role", 11, false},
                                                  {"messaging_role", 12, false},
                                                  {"js_client_role", 13, false},
                                                  {"js_user_role", 14, false},
                                                  {"webservices_role", 15, false},
                                                  {"keycustodian_role", 16, false}};
    return roles;
}

const SystemTableDef* findSystemTable(const std::string& name)
{
    for (const SystemTableDef& table : systemTables()) {
        if (name == table.name) {
            return &table;
        }
    }
    return nullptr;
}

// The SQLite DEFAULT clause of a system-table column (see SystemColumn).
std::string defaultClause(const SystemColumn& column, const ColumnStorage& storage)
{
    if (column.defaultValue)
        return std::string(" DEFAULT (") + column.defaultValue + ")";
    if (column.nullable)
        return "";
    ColumnInfo info = columnInfoFor("", storage.type, 0, storage.length, 0, 0, false);
    if (info.type == ColumnType::DateTime || info.type == ColumnType::SmallDateTime)
        return " DEFAULT (tsql_getdate())";
    if (isStringType(info.type))
        return " DEFAULT ''";
    if (isBinaryType(info.type))
        return " DEFAULT x''";
    return " DEFAULT 0";
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

}  // namespace

std::string currentDateTimeText()
{
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    // Round to the server's 1/300 s resolution.
    int ticks = static_cast<int>((millis * 300 + 500) / 1000);
    if (ticks >= 300)
        ticks = 299;
    int roundedMillis = (ticks * 1000 + 150) / 300;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[96];  // room for any int the format could print
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  roundedMillis);
    return text;
}

const std::vector<DatabaseOption>& databaseOptions()
{
    // The options with a documented sysdatabases status bit.
    static const std::vector<DatabaseOption> options = {
        {"select into/bulkcopy/pllsort", "status", 0x4},
        {"trunc log on chkpt", "status", 0x8},
        {"no chkpt on recovery", "status", 0x10},
        {"ddl in tran", "status", 0x200},
        {"read only", "status", 0x400},
        {"dbo use only", "status", 0x800},
        {"single user", "status", 0x1000},
        {"allow nulls by default", "status", 0x2000},
        {"abort tran on log full", "status2", 0x1},
        {"no free space acctg", "status2", 0x2},
        {"auto identity", "status2", 0x4},
        {"identity in nonunique index", "status2", 0x8},
    };
    return options;
}

Catalog::Catalog(SqliteDatabase& db, int ncharSize) : db_(db), ncharSize_(ncharSize) {}

std::string Catalog::systemTable(const std::string& database, const std::string& table)
{
    return sqlName(database + "." + table);
}

std::string Catalog::objectTable(const std::string& database, int objectId)
{
    return sqlName(database + "#" + std::to_string(objectId));
}

std::string Catalog::indexStorage(const std::string& database, int objectId, int indid)
{
    return sqlName(database + "#" + std::to_string(objectId) + "#" + std::to_string(indid));
}

bool Catalog::hasStorage(const std::string& database, int objectId)
{
    // Looks the table up in SQLite's in-memory schema, not by scanning sqlite_master.
    std::string name = database + "#" + std::to_string(objectId);
    return sqlite3_table_column_metadata(db_.handle(), "main", name.c_str(), nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A storage column's SQLite declaration; a computed column is a generated column, stored
// when `stored` (SQLite adds only virtual ones to an existing table).
std::string Catalog::columnDeclaration(const StoredColumn& column, bool stored)
{
    std::string declaration = sqlName(column.storageName) + " " +
                              sqliteDeclaration(column.typeCode) +
                              (column.info.nullable ? "" : " NOT NULL");
    if (column.computed()) {
        declaration +=
            " GENERATED ALWAYS AS (" + column.computedSql + ")" + (stored ? " STORED" : " VIRTUAL");
    }
    return declaration;
}

void Catalog::ensureStorage(const std::string& database, const ObjectRef& table)
{
    if (table.type != "U" || hasStorage(database, table.id)) {
        return;
    }
    std::vector<StoredColumn> stored = columns(database, table);
    std::string ddl = "CREATE TABLE " + objectTable(database, table.id) + " (";
    for (size_t i = 0; i < stored.size(); ++i) {
        ddl += (i ? ", " : "") + columnDeclaration(stored[i], stored[i].materialized);
    }
    db_.exec(ddl + ")");
    for (const IndexRef& index : indexes(database, table.id)) {
        if (index.indid < 1 || index.indid > 250 || index.keyColids.empty())
            continue;
        std::string keys;
        for (size_t key = 0; key < index.keyColids.size(); ++key) {
            keys += (keys.empty() ? "" : ", ") +
                    indexKeySql(database, table.id, index.keyColids[key]) +
                    (index.descending[key] ? " DESC" : "");
        }
        db_.exec(std::string("CREATE ") + ((index.status & 0x2) ? "UNIQUE " : "") + "INDEX " +
                 indexStorage(database, table.id, index.indid) + " ON " +
                 objectTable(database, table.id) + " (" + keys + ")");
    }
}

void Catalog::bootstrap()
{
    createSystemTables("master", true);
    insertBuiltinRows("master", 1);
    std::string now = currentDateTimeText();
    auto addDatabase = [&](const char* name, int dbid) {
        insertRow(systemTable("master", "sysdatabases"), {{"name", SqlValue::ofText(name)},
                                                          {"dbid", SqlValue::ofInt(dbid)},
                                                          {"suid", SqlValue::ofInt(1)}});
    };
    addDatabase("master", 1);
    insertRow(systemTable("master", "syslogins"), {{"suid", SqlValue::ofInt(1)},
                                                   {"dbname", SqlValue::ofText("master")},
                                                   {"name", SqlValue::ofText("sa")},
                                                   {"language", SqlValue::ofText("us_english")},
                                                   {"pwdate", SqlValue::ofText(now)}});
    for (const ServerRole& role : serverRoles()) {
        insertRow(systemTable("master", "syssrvroles"), {{"srid", SqlValue::ofInt(role.srid)},
                                                         {"name", SqlValue::ofText(role.name)},
                                                         {"status", SqlValue::ofInt(0)},
                                                         {"logincount", SqlValue::ofInt(0)}});
    }
    // One engine, online since the server started.
    insertRow(systemTable("master", "sysengines"),
              {{"engine", SqlValue::ofInt(0)},
               {"osprocid", SqlValue::ofInt(static_cast<int64_t>(getpid()))},
               {"status", SqlValue::ofText("online")},
               {"starttime", SqlValue::ofText(now)}});
    // The sa login holds the administrator roles (sa_role, sso_role, oper_role).
    for (int srid : {0, 1, 2}) {
        insertRow(systemTable("master", "sysloginroles"),
                  {{"suid", SqlValue::ofInt(1)}, {"srid", SqlValue::ofInt(srid)}});
    }
    // dbids of tempdb and model are the server's; sybsystemdb/sybsystemprocs take the
    // ids a 15.x/16.x install gives them (installation-dependent on real servers).
    const std::pair<const char*, int> systemDatabases[] = {
        {"tempdb", 2}, {"model", 3}, {"sybsystemdb", 31513}, {"sybsystemprocs", 31514}};
    for (const auto& [name, dbid] : systemDatabases) {
        createSystemTables(name, false);
        insertBuiltinRows(name, dbid);
        addDatabase(name, dbid);
    }
}

void Catalog::createSystemTables(const std::string& database, bool master)
{
    for (const SystemTableDef& table : systemTables()) {
        if (table.masterOnly && !master) {
            continue;
        }
        std::string ddl = "CREATE TABLE " + systemTable(database, table.name) + " (";
        for (size_t i = 0; i < table.columns.size(); ++i) {
            TypeSpec typeSpec = parseTypeSpec(table.columns[i].type);
            ColumnStorage storage;
            std::string error;
            storageForBuiltin(typeSpec, table.columns[i].nullable, 1, storage, error);
            ddl += (i ? ", " : "") + sqlName(table.columns[i].name) + " " +
                   sqliteDeclaration(storage.type) + defaultClause(table.columns[i], storage);
        }
        if (table.hiddenColumns)
            ddl += std::string(", ") + table.hiddenColumns;
        if (const char* key = storageOrder(table.name)) {
            ddl += ", PRIMARY KEY (" + std::string(key) + ")) WITHOUT ROWID";
        } else {
            ddl += ")";
        }
        db_.exec(ddl);
        int n = 0;
        for (const std::string& columns : split(table.sqliteIndexes, ';')) {
            std::string indexSql =
                "CREATE INDEX " + sqlName(database + "." + table.name + "." + std::to_string(++n)) +
                " ON " + systemTable(database, table.name) + " (";
            auto names = split(columns, ',');
            for (size_t i = 0; i < names.size(); ++i) {
                indexSql += (i ? ", " : "") + sqlName(names[i]);
            }
            db_.exec(indexSql + ")");
        }
    }
}

void Catalog::describeSystemTable(const std::string& database, const std::string& name)
{
    const SystemTableDef* table = findSystemTable(name);
    insertRow(systemTable(database, "sysobjects"), {{"name", SqlValue::ofText(table->name)},
                                                    {"id", SqlValue::ofInt(table->id)},
                                                    {"uid", SqlValue::ofInt(1)},
                                                    {"type", SqlValue::ofText("S ")},
                                                    {"sysstat", SqlValue::ofInt(1)},
                                                    {"sysstat2", SqlValue::ofInt(0)},
                                                    {"deltrig", SqlValue::ofInt(0)}});
    describeColumns(database, table->id, table->columns);
    for (const SystemIndex& index : table->indexes) {
        std::string keys;
        for (int colid : index.keys) {
            keys += (keys.empty() ? "" : ",") + std::to_string(colid);
        }
        int keycnt = static_cast<int>(index.keys.size()) + (index.indid == 1 ? 0 : 1);
        insertRow(systemTable(database, "sysindexes"), {{"name", SqlValue::ofText(index.name)},
                                                        {"id", SqlValue::ofInt(table->id)},
                                                        {"indid", SqlValue::ofInt(index.indid)},
                                                        {"status", SqlValue::ofInt(index.status)},
                                                        {"keycnt", SqlValue::ofInt(keycnt)},
                                                        {"tdsim_keys", SqlValue::ofText(keys)}});
    }
}

void Catalog::describeColumns(const std::string& database, int objectId,
                              const std::vector<SystemColumn>& columns)
{
    int offset = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        const SystemColumn& column = columns[i];
        ColumnStorage storage;
        std::string error;
        storageForBuiltin(parseTypeSpec(column.type), column.nullable, 1, storage, error);
        const BuiltinType* declared = findBuiltinType(parseTypeSpec(column.type).name);
        bool variable = declared->variable || column.nullable;
        insertRow(
            systemTable(database, "syscolumns"),
            {{"id", SqlValue::ofInt(objectId)},
             {"colid", SqlValue::ofInt(static_cast<int>(i + 1))},
             {"status", SqlValue::ofInt(column.nullable ? 8 : 0)},
             {"type", SqlValue::ofInt(storage.type)},
             {"length", SqlValue::ofInt(storage.length)},
             {"offset", SqlValue::ofInt(variable ? -1 : offset)},
             {"usertype", SqlValue::ofInt(storage.usertype)},
             {"name", SqlValue::ofText(column.name)},
             {"prec",
              storage.precision >= 0 ? SqlValue::ofInt(storage.precision) : SqlValue::null()},
             {"scale", storage.scale >= 0 ? SqlValue::ofInt(storage.scale) : SqlValue::null()}});
        if (!variable)
            offset += storage.length;
    }
}

void Catalog::addSystemView(const std::string& database, const std::string& name, int id,
                            int ownerUid, const std::vector<SystemColumn>& columns,
                            const std::string& selectSql)
{
    std::string names;
    for (const SystemColumn& column : columns)
        names += (names.empty() ? "" : ", ") + sqlName(column.name);
    db_.exec("CREATE VIEW " + systemTable(database, name) + " (" + names + ") AS " + selectSql);
    insertRow(systemTable(database, "sysobjects"), {{"name", SqlValue::ofText(name)},
                                                    {"id", SqlValue::ofInt(id)},
                                                    {"uid", SqlValue::ofInt(ownerUid)},
                                                    {"type", SqlValue::ofText("S ")},
                                                    {"sysstat", SqlValue::ofInt(1)},
                                                    {"sysstat2", SqlValue::ofInt(0)},
                                                    {"deltrig", SqlValue::ofInt(0)}});
    describeColumns(database, id, columns);
}

void Catalog::insertBuiltinRows(const std::string& database, int dbid)
{
    (void)dbid;
    for (const SystemTableDef& table : systemTables()) {
        if (!table.masterOnly || database == "master") {
            describeSystemTable(database, table.name);
        }
    }
    for (const BuiltinType& type : builtinTypes()) {
        insertRow(
            systemTable(database, "systypes"),
            {{"uid", SqlValue::ofInt(1)},
             {"usertype", SqlValue::ofInt(type.usertype)},
             {"variable", SqlValue::ofInt(type.variable)},
             {"allownulls", SqlValue::ofInt(type.allowNulls)},
             {"type", SqlValue::ofInt(type.type)},
             {"length", SqlValue::ofInt(type.length)},
             {"name", SqlValue::ofText(type.name)},
             {"prec", type.precision >= 0 ? SqlValue::ofInt(type.precision) : SqlValue::null()},
             {"scale", type.scale >= 0 ? SqlValue::ofInt(type.scale) : SqlValue::null()},
             {"hierarchy", SqlValue::ofInt(type.hierarchy)}});
    }
    const std::tuple<int, const char*, int> segments[] = {
        {0, "system", 0}, {1, "default", 1}, {2, "logsegment", 0}};
    for (const auto& [segment, name, status] : segments) {
        insertRow(systemTable(database, "syssegments"), {{"segment", SqlValue::ofInt(segment)},
                                                         {"name", SqlValue::ofText(name)},
                                                         {"status", SqlValue::ofInt(status)}});
    }
    // public and dbo in every database; system databases also hold guest. The system
    // role rows (uids from 16384, suid -2) follow; which roles a real server copies
    // into user databases is not documented, these six are the classic ones.
    struct UserRow {
        int suid, uid, gid;
        const char* name;
    };
    std::vector<UserRow> users = {{-2, 0, 0, "public"}, {1, 1, 0, "dbo"}};
    if (isSystemDatabase(database)) {
        users.push_back({-1, 2, 0, "guest"});
    }
    // sysroles maps each server role (its srid) to the local group row.
    int roleUid = 16384;
    for (const ServerRole& role : serverRoles()) {
        if (!role.inEveryDatabase)
            continue;
        users.push_back({-2, roleUid, roleUid, role.name});
        insertRow(systemTable(database, "sysroles"),
                  {{"id", SqlValue::ofInt(role.srid)}, {"lrid", SqlValue::ofInt(roleUid)}});
        ++roleUid;
    }
    for (const UserRow& user : users) {
        insertRow(systemTable(database, "sysusers"), {{"suid", SqlValue::ofInt(user.suid)},
                                                      {"uid", SqlValue::ofInt(user.uid)},
                                                      {"gid", SqlValue::ofInt(user.gid)},
                                                      {"name", SqlValue::ofText(user.name)}});
    }
    grantDefaultPermissions(database);
}

void Catalog::grantDefaultPermissions(const std::string& database)
{
    // public (uid 0) may select every column (bitmap 0x01), granted by dbo.
    for (const SystemTableDef& table : systemTables()) {
        if ((table.masterOnly && database != "master") || !publicSelectByDefault(table.name))
            continue;
        insertRow(systemTable(database, "sysprotects"),
                  {{"id", SqlValue::ofInt(table.id)},
                   {"uid", SqlValue::ofInt(0)},
                   {"action", SqlValue::ofInt(193)},
                   {"protecttype", SqlValue::ofInt(1)},
                   {"columns", SqlValue::ofBlob(std::string(1, '\x01'))},
                   {"grantor", SqlValue::ofInt(1)}});
    }
}

void Catalog::copySystemTablePermissionsOfModel(const std::string& database)
{
    // A new database is a copy of model, privileges on its system tables included: a
    // server hardened in model hands its revokes on to every later database. Users added
    // to model are not copied, so neither are their rows.
    if (!hasDatabase("model"))
        return;
    std::string ids;
    for (const SystemTableDef& table : systemTables()) {
        if (!table.masterOnly)
            ids += (ids.empty() ? "" : ", ") + std::to_string(table.id);
    }
    const std::string target = systemTable(database, "sysprotects");
    const std::string users = "(SELECT uid FROM " + systemTable(database, "sysusers") + ")";
    db_.exec("DELETE FROM " + target + " WHERE id IN (" + ids + ")");
    db_.exec("INSERT INTO " + target +
             " (id, uid, action, protecttype, columns, grantor, predid, status) SELECT id, uid, "
             "action, protecttype, columns, grantor, predid, status FROM " +
             systemTable("model", "sysprotects") + " WHERE id IN (" + ids + ") AND uid IN " +
             users + " AND (grantor IS NULL OR grantor IN " + users + ")");
}

bool Catalog::hasDatabase(const std::string& name)
{
    return databaseId(name) != 0;
}

int Catalog::databaseId(const std::string& name)
{
    return static_cast<int>(db_.queryInt(
        "SELECT dbid FROM " + systemTable("master", "sysdatabases") + " WHERE name = ?1",
        {SqlValue::ofText(name)}));
}

std::string Catalog::databaseName(int dbid)
{
    StatementLease statement = db_.cached(
        "SELECT name FROM " + systemTable("master", "sysdatabases") + " WHERE dbid = ?1");
    statement->bind(1, SqlValue::ofInt(dbid));
    return statement->step() ? statement->textAt(0) : std::string();
}

void Catalog::createDatabase(const std::string& name, int ownerSuid)
{
    nextObjectIdOffset_.erase(name);
    int dbid = static_cast<int>(
        db_.queryInt("SELECT min(dbid) + 1 FROM " + systemTable("master", "sysdatabases") +
                     " d WHERE dbid >= 3 AND NOT EXISTS (SELECT 1 FROM " +
                     systemTable("master", "sysdatabases") + " e WHERE e.dbid = d.dbid + 1)"));
    createSystemTables(name, false);
    insertBuiltinRows(name, dbid);
    copySystemTablePermissionsOfModel(name);
    if (sqlAnywhere_)
        installSqlAnywhereCatalog(*this, name);
    // Objects added to model would be copied here; model holds only built-ins.
    insertRow(systemTable("master", "sysdatabases"), {{"name", SqlValue::ofText(name)},
                                                      {"dbid", SqlValue::ofInt(dbid)},
                                                      {"suid", SqlValue::ofInt(ownerSuid)}});
    if (ownerSuid != 1) {
        db_.exec("UPDATE " + systemTable(name, "sysusers") +
                 " SET suid = " + std::to_string(ownerSuid) + " WHERE uid = 1");
    }
}

void Catalog::dropDatabase(const std::string& name)
{
    nextObjectIdOffset_.erase(name);
    // Every SQLite table and view whose name starts with "<db>." or "<db>#".
    std::vector<std::pair<std::string, std::string>> victims;
    {
        SqliteStatement list(
            db_.handle(),
            "SELECT type, name FROM sqlite_master WHERE type IN ('table','view')"
            " AND (substr(name, 1, ?2) = ?1 || '.' OR substr(name, 1, ?2) = ?1 || '#')");
        list.bind(1, SqlValue::ofText(name));
        list.bind(2, SqlValue::ofInt(static_cast<int64_t>(name.size() + 1)));
        while (list.step()) {
            victims.emplace_back(list.textAt(0), list.textAt(1));
        }
    }
    db_.clearCache();  // cached statements may name the tables that go
    for (const auto& [type, table] : victims) {
        db_.exec("DROP " + std::string(type == "view" ? "VIEW " : "TABLE ") + sqlName(table));
    }
    db_.exec("DELETE FROM " + systemTable("master", "sysdatabases") +
             " WHERE name = " + sqlString(name));
}

std::optional<ObjectRef> Catalog::findObject(const std::string& database, const std::string& owner,
                                             const std::string& name, int uid)
{
    if (!hasDatabase(database)) {
        return std::nullopt;
    }
    std::string sql = "SELECT o.id, o.uid, u.name, o.type, o.sysstat2 FROM " +
                      systemTable(database, "sysobjects") + " o LEFT JOIN " +
                      systemTable(database, "sysusers") +
                      " u ON u.uid = o.uid WHERE o.name = ?1 AND o.uid = ?2";
    auto lookup = [&](int ownerUid) -> std::optional<ObjectRef> {
        StatementLease statement = db_.cached(sql);
        statement->bind(1, SqlValue::ofText(name));
        statement->bind(2, SqlValue::ofInt(ownerUid));
        if (!statement->step()) {
            return std::nullopt;
        }
        ObjectRef ref;
        ref.database = database;
        ref.id = static_cast<int>(statement->intAt(0));
        ref.uid = static_cast<int>(statement->intAt(1));
        ref.owner = statement->textAt(2);
        ref.name = name;
        ref.type = rtrimBlanks(statement->textAt(3));
        ref.sysstat2 = static_cast<int>(statement->intAt(4));
        return ref;
    };
    if (!owner.empty()) {
        std::optional<int> ownerUid = userUid(database, owner);
        return ownerUid ? lookup(*ownerUid) : std::nullopt;
    }
    if (auto own = lookup(uid)) {
        return own;
    }
    if (uid != 1) {
        if (auto dbo = lookup(1))
            return dbo;
    }
    if (!sqlAnywhere_)
        return std::nullopt;
    std::optional<int> sys = userUid(database, kSqlAnywhereSysUser);
    return sys ? lookup(*sys) : std::nullopt;
}

std::optional<ObjectRef> Catalog::findObjectById(const std::string& database, int id)
{
    if (!hasDatabase(database)) {
        return std::nullopt;
    }
    StatementLease statement =
        db_.cached("SELECT o.name, o.uid, u.name, o.type, o.sysstat2 FROM " +
                   systemTable(database, "sysobjects") + " o LEFT JOIN " +
                   systemTable(database, "sysusers") + " u ON u.uid = o.uid WHERE o.id = ?1");
    statement->bind(1, SqlValue::ofInt(id));
    if (!statement->step()) {
        return std::nullopt;
    }
    ObjectRef ref;
    ref.database = database;
    ref.id = id;
    ref.name = statement->textAt(0);
    ref.uid = static_cast<int>(statement->intAt(1));
    ref.owner = statement->textAt(2);
    ref.type = rtrimBlanks(statement->textAt(3));
    ref.sysstat2 = static_cast<int>(statement->intAt(4));
    return ref;
}

std::vector<StoredColumn> Catalog::columns(const std::string& database, const ObjectRef& object)
{
    StatementLease statement = db_.cached(
        "SELECT name, colid, type, usertype, length, prec, scale, status, "
        "cdefault, tdsim_computed, status2 FROM " +
        systemTable(database, "syscolumns") +
        " WHERE id = ?1 AND number = 0 AND tdsim_expr IS NULL ORDER BY colid");
    statement->bind(1, SqlValue::ofInt(object.id));
    std::vector<StoredColumn> result;
    while (statement->step()) {
        StoredColumn column;
        std::string name = statement->textAt(0);
        column.colid = static_cast<int>(statement->intAt(1));
        column.typeCode = static_cast<int>(statement->intAt(2));
        int status = static_cast<int>(statement->intAt(7));
        column.identity = (status & 0x80) != 0;
        column.cdefault = static_cast<int>(statement->intAt(8));
        column.info =
            columnInfoFor(name, column.typeCode, static_cast<int>(statement->intAt(3)),
                          static_cast<int>(statement->intAt(4)),
                          statement->isNull(5) ? -1 : static_cast<int>(statement->intAt(5)),
                          statement->isNull(6) ? -1 : static_cast<int>(statement->intAt(6)),
                          (status & 0x08) != 0);
        column.storageName = object.type == "S" ? name : "c" + std::to_string(column.colid);
        if (!statement->isNull(9)) {
            column.computedSql = statement->textAt(9);
            column.materialized = (statement->intAt(10) & kColumn2Materialized) != 0;
        }
        result.push_back(std::move(column));
    }
    return result;
}

std::vector<IndexRef> Catalog::indexes(const std::string& database, int tableId)
{
    StatementLease statement =
        db_.cached("SELECT name, indid, status, status2, tdsim_keys, tdsim_order FROM " +
                   systemTable(database, "sysindexes") + " WHERE id = ?1 ORDER BY indid");
    statement->bind(1, SqlValue::ofInt(tableId));
    std::vector<IndexRef> result;
    while (statement->step()) {
        IndexRef index;
        index.name = statement->textAt(0);
        index.indid = static_cast<int>(statement->intAt(1));
        index.status = static_cast<int>(statement->intAt(2));
        index.status2 = static_cast<int>(statement->intAt(3));
        for (const std::string& key : split(statement->textAt(4), ',')) {
            if (!key.empty())
                index.keyColids.push_back(std::stoi(key));
        }
        std::string order = statement->textAt(5);
        for (size_t key = 0; key < index.keyColids.size(); ++key)
            index.descending.push_back(key < order.size() && order[key] == 'D');
        result.push_back(std::move(index));
    }
    return result;
}

int Catalog::newObjectId(const std::string& database)
{
    // The server's user object ids are large positive ints in no visible order. Here they
    // come from a walk over [kFirstObjectId, INT_MAX] in steps of kObjectIdStep, taken
    // modulo the span's length: the step is prime to that length, so the walk meets every
    // id once before it repeats, and arithmetic in 64 bits never overflows. Ids still held
    // (a row written some other way) are stepped over. A database's walk starts again
    // when it is created, so a script loaded into a new database gives the same ids.
    constexpr int64_t kSpan = int64_t{std::numeric_limits<int>::max()} - kFirstObjectId + 1;
    static_assert(std::gcd(kSpan, kObjectIdStep) == 1, "the walk must meet every id");
    int64_t& offset = nextObjectIdOffset_[database];
    for (int64_t tries = 0; tries < kSpan; ++tries) {
        int id = static_cast<int>(kFirstObjectId + offset);
        offset = (offset + kObjectIdStep) % kSpan;
        if (!objectIdInUse(database, id))
            return id;
    }
    throw EngineError{7777, 17, "No object id is left in database '" + database + "'."};
}

bool Catalog::objectIdInUse(const std::string& database, int id)
{
    StatementLease statement =
        db_.cached("SELECT EXISTS (SELECT 1 FROM " + systemTable(database, "sysobjects") +
                   " WHERE id = ?1) OR EXISTS (SELECT 1 FROM " +
                   systemTable(database, "syspartitions") + " WHERE partitionid = ?1)");
    statement->bind(1, SqlValue::ofInt(id));
    return statement->step() && statement->intAt(0) != 0;
}

void Catalog::addDataPartitions(const std::string& database, int tableId, const std::string& table,
                                const std::vector<DataPartition>& partitions)
{
    for (size_t i = 0; i < partitions.size(); ++i) {
        int id = i == 0 ? tableId : newObjectId(database);
        std::string name =
            partitions[i].name.empty() ? table + "_" + std::to_string(id) : partitions[i].name;
        insertRow(systemTable(database, "syspartitions"),
                  {{"name", SqlValue::ofText(name)},
                   {"indid", SqlValue::ofInt(0)},
                   {"id", SqlValue::ofInt(tableId)},
                   {"partitionid", SqlValue::ofInt(id)},
                   {"segment", SqlValue::ofInt(partitions[i].segment)},
                   {"data_partitionid", SqlValue::ofInt(0)}});
    }
    syncPartitions(database, tableId);
}

void Catalog::syncPartitions(const std::string& database, int tableId)
{
    std::string partitions = systemTable(database, "syspartitions");
    std::string indexes = systemTable(database, "sysindexes");
    std::string table = std::to_string(tableId);
    // The data rows stand for the table's indid 0 or 1 row, whichever it has.
    db_.exec("UPDATE " + partitions + " SET indid = (SELECT coalesce(max(indid), 0) FROM " +
             indexes + " WHERE id = " + table + " AND indid IN (0, 1)) WHERE id = " + table +
             " AND indid IN (0, 1)");
    db_.exec("DELETE FROM " + partitions + " WHERE id = " + table +
             " AND indid > 1 AND indid NOT IN (SELECT indid FROM " + indexes +
             " WHERE id = " + table + ")");
    std::vector<std::tuple<int, std::string, int>> missing;
    {
        SqliteStatement rows(db_.handle(),
                             "SELECT indid, name, segment FROM " + indexes + " WHERE id = ?1 " +
                                 "AND indid > 1 AND indid NOT IN (SELECT indid FROM " + partitions +
                                 " WHERE id = ?1) ORDER BY indid");
        rows.bind(1, SqlValue::ofInt(tableId));
        while (rows.step()) {
            missing.emplace_back(static_cast<int>(rows.intAt(0)), rows.textAt(1),
                                 static_cast<int>(rows.intAt(2)));
        }
    }
    for (const auto& [indid, name, segment] : missing) {
        int id = newObjectId(database);
        insertRow(partitions, {{"name", SqlValue::ofText(name + "_" + std::to_string(id))},
                               {"indid", SqlValue::ofInt(indid)},
                               {"id", SqlValue::ofInt(tableId)},
                               {"partitionid", SqlValue::ofInt(id)},
                               {"segment", SqlValue::ofInt(segment)},
                               {"data_partitionid", SqlValue::ofInt(0)}});
    }
}

std::string Catalog::columnName(const std::string& database, int objectId, int colid)
{
    StatementLease statement =
        db_.cached("SELECT name FROM " + systemTable(database, "syscolumns") +
                   " WHERE id = ?1 AND number = 0 AND colid = ?2");
    statement->bind(1, SqlValue::ofInt(objectId));
    statement->bind(2, SqlValue::ofInt(colid));
    return statement->step() ? statement->textAt(0) : std::string();
}

std::string Catalog::indexKeySql(const std::string& database, int tableId, int colid)
{
    StatementLease statement =
        db_.cached("SELECT tdsim_expr FROM " + systemTable(database, "syscolumns") +
                   " WHERE id = ?1 AND number = 0 AND colid = ?2");
    statement->bind(1, SqlValue::ofInt(tableId));
    statement->bind(2, SqlValue::ofInt(colid));
    if (statement->step() && !statement->isNull(0))
        return "(" + statement->textAt(0) + ")";
    return sqlName("c" + std::to_string(colid));
}

bool Catalog::isSystemDatabase(const std::string& name)
{
    return name == "master" || name == "model" || name == "tempdb" || name == "sybsystemdb" ||
           name == "sybsystemprocs";
}

int Catalog::serverRoleId(const std::string& role)
{
    for (const ServerRole& known : serverRoles()) {
        if (role == known.name)
            return known.srid;
    }
    return -1;
}

std::optional<int> Catalog::addRoleToDatabase(const std::string& database, const std::string& name)
{
    int srid = serverRoleId(name);
    if (srid < 0) {
        // A user-defined role (from syssrvroles).
        srid = static_cast<int>(db_.queryInt(
            "SELECT srid FROM " + systemTable("master", "syssrvroles") + " WHERE name = ?1",
            {SqlValue::ofText(name)}, -1));
    }
    if (srid < 0)
        return std::nullopt;
    int uid = static_cast<int>(db_.queryInt(
        "SELECT max(uid) + 1 FROM " + systemTable(database, "sysusers") + " WHERE uid >= 16384", {},
        16384));
    insertRow(systemTable(database, "sysusers"), {{"suid", SqlValue::ofInt(-2)},
                                                  {"uid", SqlValue::ofInt(uid)},
                                                  {"gid", SqlValue::ofInt(uid)},
                                                  {"name", SqlValue::ofText(name)}});
    insertRow(systemTable(database, "sysroles"),
              {{"id", SqlValue::ofInt(srid)}, {"lrid", SqlValue::ofInt(uid)}});
    return uid;
}

void Catalog::insertRow(const std::string& table,
                        const std::vector<std::pair<std::string, SqlValue>>& values)
{
    std::string columns, markers;
    std::vector<SqlValue> params;
    for (const auto& [name, value] : values) {
        columns += (columns.empty() ? "" : ", ") + sqlName(name);
        markers += (markers.empty() ? "?" : ", ?");
        params.push_back(value);
    }
    // Columns not given take the defaults of the table's declaration.
    StatementLease statement =
        db_.cached("INSERT INTO " + table + " (" + columns + ") VALUES (" + markers + ")");
    statement->bindAll(params);
    statement->step();
}

std::optional<int> Catalog::userUid(const std::string& database, const std::string& name)
{
    StatementLease statement =
        db_.cached("SELECT uid FROM " + systemTable(database, "sysusers") + " WHERE name = ?1");
    statement->bind(1, SqlValue::ofText(name));
    if (statement->step()) {
        return static_cast<int>(statement->intAt(0));
    }
    return std::nullopt;
}

std::string Catalog::userName(const std::string& database, int uid)
{
    StatementLease statement =
        db_.cached("SELECT name FROM " + systemTable(database, "sysusers") + " WHERE uid = ?1");
    statement->bind(1, SqlValue::ofInt(uid));
    return statement->step() ? statement->textAt(0) : std::string();
}

int Catalog::uidForSuid(const std::string& database, int suid)
{
    return static_cast<int>(db_.queryInt(
        "SELECT uid FROM " + systemTable(database, "sysusers") + " WHERE suid = ?1 AND uid < 16384",
        {SqlValue::ofInt(suid)}, -1));
}

int Catalog::loginSuid(const std::string& login)
{
    return static_cast<int>(
        db_.queryInt("SELECT suid FROM " + systemTable("master", "syslogins") + " WHERE name = ?1",
                     {SqlValue::ofText(login)}));
}

std::string Catalog::loginName(int suid)
{
    StatementLease statement =
        db_.cached("SELECT name FROM " + systemTable("master", "syslogins") + " WHERE suid = ?1");
    statement->bind(1, SqlValue::ofInt(suid));
    return statement->step() ? statement->textAt(0) : std::string();
}

bool Catalog::nullsByDefault(const std::string& database)
{
    static const DatabaseOption& option = *std::find_if(
        databaseOptions().begin(), databaseOptions().end(),
        [](const DatabaseOption& o) { return std::string(o.name) == "allow nulls by default"; });
    return (db_.queryInt(std::string("SELECT ") + option.column + " FROM " +
                             systemTable("master", "sysdatabases") + " WHERE name = ?1",
                         {SqlValue::ofText(database)}, 0) &
            option.bit) != 0;
}

bool Catalog::storageFor(const std::string& database, const TypeSpec& typeSpec,
                         std::optional<bool> nullable, ColumnStorage& out, bool& identity,
                         int& typeDefault, int& typeRule, std::string& error)
{
    typeDefault = 0;
    typeRule = 0;
    if (const BuiltinType* builtin = findBuiltinType(typeSpec.name)) {
        // bit columns cannot hold NULL, whatever the database's null mode.
        bool byDefault = builtin->type != TypeCode::Bit && nullsByDefault(database);
        bool allowNulls = nullable.value_or(byDefault) && !identity;
        return storageForBuiltin(typeSpec, allowNulls, ncharSize_, out, error);
    }
    // A user datatype: its systypes row gives storage, nullability and identity.
    StatementLease statement = db_.cached(
        "SELECT usertype, type, length, prec, scale, allownulls, ident, "
        "tdefault, domain FROM " +
        systemTable(database, "systypes") + " WHERE name = ?1 AND usertype >= 100");
    statement->bind(1, SqlValue::ofText(typeSpec.name));
    if (!statement->step()) {
        error = "Can't find type '" + typeSpec.name + "'.";
        return false;
    }
    out = ColumnStorage{};
    out.usertype = static_cast<int>(statement->intAt(0));
    out.type = static_cast<int>(statement->intAt(1));
    out.length = static_cast<int>(statement->intAt(2));
    out.precision = statement->isNull(3) ? -1 : static_cast<int>(statement->intAt(3));
    out.scale = statement->isNull(4) ? -1 : static_cast<int>(statement->intAt(4));
    bool typeIdentity = !statement->isNull(6) && statement->intAt(6) != 0;
    identity = identity || typeIdentity;
    out.nullable = !identity && nullable.value_or(statement->intAt(5) != 0);
    typeDefault = static_cast<int>(statement->intAt(7));
    typeRule = static_cast<int>(statement->intAt(8));
    if (out.nullable) {
        out.type = nullableTwin(out.type);
    }
    return true;
}

}  // namespace tdsim

#include "engine/SqlAnywhereCatalog.h"

#include "engine/Catalog.h"

namespace tdsim {
namespace {

// Object ids of the SYS tables (chosen: above every Adaptive Server system table id,
// far below user object ids).
constexpr int kFirstTableId = 901;
// The SYS group's uid (chosen: the first group uid, free once the role rows are gone).
constexpr int kSysUid = 16384;

// The SQL Anywhere domain of a column or type, from the Adaptive Server usertype of its
// base type (user types are resolved to that first). Domain ids as in SYSDOMAIN below.
std::string domainOf(const std::string& usertype)
{
    return "CASE " + usertype +
           " WHEN 7 THEN 2 WHEN 13 THEN 2 WHEN 6 THEN 1 WHEN 5 THEN 19 WHEN 43 THEN 20"
           " WHEN 16 THEN 24 WHEN 1 THEN 7 WHEN 24 THEN 7 WHEN 34 THEN 7"
           " WHEN 2 THEN 9 WHEN 18 THEN 9 WHEN 25 THEN 9 WHEN 42 THEN 9 WHEN 35 THEN 9"
           " WHEN 3 THEN 10 WHEN 4 THEN 10 WHEN 80 THEN 10"
           " WHEN 10 THEN 3 WHEN 28 THEN 3 WHEN 11 THEN 3 WHEN 21 THEN 3 WHEN 17 THEN 3"
           " WHEN 26 THEN 27 WHEN 27 THEN 27 WHEN 8 THEN 5 WHEN 14 THEN 5 WHEN 23 THEN 4"
           " WHEN 12 THEN 13 WHEN 22 THEN 13 WHEN 15 THEN 13 WHEN 37 THEN 6 WHEN 39 THEN 6"
           " WHEN 38 THEN 14 WHEN 40 THEN 14 WHEN 19 THEN 8 WHEN 36 THEN 8 WHEN 20 THEN 11"
           " WHEN 44 THEN 22 WHEN 45 THEN 21 WHEN 46 THEN 23 WHEN 47 THEN 23 ELSE 7 END";
}

// The built-in usertype a type is based on: itself below 100, else that of the user
// type's physical type.
std::string baseUsertype(const std::string& database, const std::string& usertype)
{
    const std::string types = Catalog::systemTable(database, "systypes");
    return "CASE WHEN " + usertype + " < 100 THEN " + usertype +
           " ELSE (SELECT min(b.usertype) FROM " + types + " b, " + types +
           " u WHERE u.usertype = " + usertype + " AND b.type = u.type AND b.usertype < 100) END";
}

// SYSUSERTYPE.type_id of a usertype: the Transact-SQL types SQL Anywhere predefines as
// user types, user types at 100 above their Adaptive Server number (so above 108, where
// jConnect starts counting user-defined ones); NULL for plain domains.
std::string userTypeOf(const std::string& usertype)
{
    return "CASE WHEN " + usertype + " >= 100 THEN " + usertype + " + 100 ELSE CASE " + usertype +
           " WHEN 11 THEN 101 WHEN 21 THEN 102 WHEN 12 THEN 103 WHEN 22 THEN 104"
           " WHEN 19 THEN 105 WHEN 20 THEN 106 WHEN 18 THEN 107 END END";
}

// Width: precision for exact numerics, the length in bytes otherwise.
std::string widthOf(const std::string& base, const std::string& length, const std::string& prec)
{
    return "CASE WHEN " + base + " IN (10, 26, 27, 28) THEN " + prec + " WHEN " + base +
           " = 11 THEN 19 WHEN " + base + " = 21 THEN 10 ELSE " + length + " END";
}

std::string scaleOf(const std::string& base, const std::string& scale)
{
    return "CASE WHEN " + base + " IN (10, 26, 27, 28) THEN coalesce(" + scale + ", 0) WHEN " +
           base + " IN (11, 21) THEN 4 ELSE 0 END";
}

std::string yesNo(const std::string& condition)
{
    return "CASE WHEN " + condition + " THEN 'Y' ELSE 'N' END";
}

struct SysTable {
    const char* name;
    std::vector<SystemColumn> columns;
    std::string select;
};

std::vector<SysTable> sysTables(const std::string& db)
{
    const std::string objects = Catalog::systemTable(db, "sysobjects");
    const std::string columns = Catalog::systemTable(db, "syscolumns");
    const std::string indexes = Catalog::systemTable(db, "sysindexes");
    const std::string types = Catalog::systemTable(db, "systypes");
    const std::string comments = Catalog::systemTable(db, "syscomments");
    const std::string columnBase = baseUsertype(db, "c.usertype");
    const std::string typeBase = baseUsertype(db, "t.usertype");
    // Key columns of the primary key: flagged in SYSCOLUMN.pkey, never in SYSINDEX (9.x).
    const std::string inPrimaryKey = "EXISTS (SELECT 1 FROM " + indexes +
                                     " k WHERE k.id = c.id AND (k.status & 2048) <> 0"
                                     " AND (',' || k.tdsim_keys || ',') LIKE"
                                     " ('%,' || c.colid || ',%'))";
    return {
        {"SYSTABLE",
         {{"table_id", "int", false},
          {"file_id", "smallint", false},
          {"count", "int", false},
          {"creator", "int", false},
          {"table_name", "char(128)", false},
          {"table_type", "char(10)", false},
          {"remarks", "varchar(255)", true}},
         "SELECT o.id, 0, 0, o.uid, o.name,"
         " CASE WHEN rtrim(o.type) = 'V' THEN 'VIEW' ELSE 'BASE' END, NULL FROM " +
             objects + " o WHERE rtrim(o.type) IN ('U', 'S', 'V')"},
        {"SYSCOLUMN",
         {{"table_id", "int", false},
          {"column_id", "int", false},
          {"pkey", "char(1)", false},
          {"domain_id", "smallint", false},
          {"nulls", "char(1)", false},
          {"width", "int", false},
          {"scale", "smallint", false},
          {"column_name", "char(128)", false},
          {"remarks", "varchar(255)", true},
          {"user_type", "smallint", true},
          {"column_type", "char(1)", false}},
         "SELECT c.id, c.colid, " + yesNo(inPrimaryKey) + ", " + domainOf(columnBase) + ", " +
             yesNo("(c.status & 8) <> 0") + ", " + widthOf(columnBase, "c.length", "c.prec") +
             ", " + scaleOf(columnBase, "c.scale") + ", c.name, NULL, " + userTypeOf("c.usertype") +
             ", 'R' FROM " + columns + " c JOIN " + objects +
             " o ON o.id = c.id AND rtrim(o.type) IN ('U', 'S', 'V')"
             " WHERE c.number = 0 AND c.tdsim_expr IS NULL"},
        {"SYSDOMAIN",
         {{"domain_id", "smallint", false},
          {"domain_name", "char(128)", false},
          {"type_id", "smallint", false},
          {"precision", "smallint", true}},
         "SELECT * FROM (VALUES (1, 'smallint', 5, 5), (2, 'integer', 4, 10),"
         " (3, 'numeric', 2, NULL), (4, 'float', 7, 7), (5, 'double', 8, 15),"
         " (6, 'date', 9, NULL), (7, 'char', 1, NULL), (8, 'long varchar', -1, NULL),"
         " (9, 'varchar', 12, NULL), (10, 'binary', -2, NULL), (11, 'long binary', -4, NULL),"
         " (13, 'timestamp', 11, NULL), (14, 'time', 10, NULL), (19, 'tinyint', -6, 3),"
         " (20, 'bigint', -5, 20), (21, 'unsigned int', 4, 10),"
         " (22, 'unsigned smallint', 5, 5), (23, 'unsigned bigint', -5, 20),"
         " (24, 'bit', -7, 1), (27, 'decimal', 3, NULL))"},
        {"SYSUSERTYPE",
         {{"type_id", "smallint", false},
          {"creator", "int", false},
          {"domain_id", "smallint", false},
          {"nulls", "char(1)", false},
          {"width", "int", false},
          {"scale", "smallint", false},
          {"type_name", "char(128)", false},
          {"default", "varchar(255)", true},
          {"check", "varchar(255)", true},
          {"format_str", "char(128)", true},
          {"super_type_id", "smallint", true}},
         "SELECT * FROM (VALUES (101, " + std::to_string(kSysUid) +
             ", 3, 'U', 19, 4, 'money', NULL, NULL, NULL, NULL), (102, " + std::to_string(kSysUid) +
             ", 3, 'U', 10, 4, 'smallmoney', NULL, NULL, NULL, NULL), (103, " +
             std::to_string(kSysUid) +
             ", 13, 'U', 8, 0, 'datetime', NULL, NULL, NULL, NULL), (104, " +
             std::to_string(kSysUid) +
             ", 13, 'U', 8, 0, 'smalldatetime', NULL, NULL, NULL, NULL), (105, " +
             std::to_string(kSysUid) +
             ", 8, 'U', 32767, 0, 'text', NULL, NULL, NULL, NULL), (106, " +
             std::to_string(kSysUid) +
             ", 11, 'U', 32767, 0, 'image', NULL, NULL, NULL, NULL), (107, " +
             std::to_string(kSysUid) +
             ", 9, 'N', 30, 0, 'sysname', NULL, NULL, NULL, NULL))"
             " UNION ALL SELECT t.usertype + 100, t.uid, " +
             domainOf(typeBase) + ", " + yesNo("t.allownulls <> 0") + ", " +
             widthOf(typeBase, "t.length", "t.prec") + ", " + scaleOf(typeBase, "t.scale") +
             ", t.name, NULL, NULL, NULL, NULL FROM " + types + " t WHERE t.usertype >= 100"},
        {"SYSINDEX",
         {{"table_id", "int", false},
          {"index_id", "int", false},
          {"root", "int", false},
          {"file_id", "smallint", false},
          {"unique", "char(1)", false},
          {"creator", "int", false},
          {"index_name", "char(128)", false},
          {"remarks", "varchar(255)", true}},
         "SELECT i.id, i.indid, 0, 0, CASE WHEN (i.status & 4096) <> 0 THEN 'U'"
         " WHEN (i.status & 2) <> 0 THEN 'Y' ELSE 'N' END, o.uid, i.name, NULL FROM " +
             indexes + " i JOIN " + objects +
             " o ON o.id = i.id AND rtrim(o.type) = 'U'"
             " WHERE i.indid BETWEEN 1 AND 254 AND (i.status & 2048) = 0"},
        {"SYSIXCOL",
         {{"table_id", "int", false},
          {"index_id", "int", false},
          {"sequence", "smallint", false},
          {"column_id", "int", false},
          {"order", "char(1)", false}},
         "SELECT i.id, i.indid, k.key, CAST(k.value AS INTEGER),"
         " CASE WHEN substr(i.tdsim_order, k.key + 1, 1) = 'D' THEN 'D' ELSE 'A' END FROM " +
             indexes + " i JOIN " + objects +
             " o ON o.id = i.id AND rtrim(o.type) = 'U', json_each('[' || i.tdsim_keys || ']') k"
             " WHERE i.indid BETWEEN 1 AND 254 AND (i.status & 2048) = 0"},
        {"SYSPROCEDURE",
         {{"proc_id", "int", false},
          {"creator", "int", false},
          {"proc_name", "char(128)", false},
          {"proc_defn", "text", true},
          {"remarks", "varchar(255)", true}},
         "SELECT o.id, o.uid, o.name, (SELECT group_concat(p.text, '') FROM (SELECT text FROM " +
             comments +
             " s WHERE s.id = o.id ORDER BY s.number, s.colid2, s.colid) p), NULL FROM " + objects +
             " o WHERE rtrim(o.type) = 'P'"},
        {"SYSPROCPARM",
         {{"proc_id", "int", false},
          {"parm_id", "smallint", false},
          {"parm_type", "smallint", false},
          {"parm_mode_in", "char(1)", false},
          {"parm_mode_out", "char(1)", false},
          {"domain_id", "smallint", false},
          {"width", "int", false},
          {"scale", "smallint", false},
          {"parm_name", "char(128)", false},
          {"remarks", "varchar(255)", true},
          {"default", "varchar(255)", true},
          {"user_type", "smallint", true}},
         "SELECT c.id, c.colid, 0, 'Y', " + yesNo("(c.status & 64) <> 0") + ", " +
             domainOf(columnBase) + ", " + widthOf(columnBase, "c.length", "c.prec") + ", " +
             scaleOf(columnBase, "c.scale") + ", c.name, NULL, NULL, " + userTypeOf("c.usertype") +
             " FROM " + columns + " c JOIN " + objects +
             " o ON o.id = c.id AND rtrim(o.type) = 'P' WHERE c.number = 1"},
    };
}

}  // namespace

void installSqlAnywhereCatalog(Catalog& catalog, const std::string& database)
{
    SqliteDatabase& db = catalog.db();
    db.exec("DELETE FROM " + Catalog::systemTable(database, "sysusers") + " WHERE uid >= 16384");
    db.exec("DELETE FROM " + Catalog::systemTable(database, "sysroles"));
    catalog.insertRow(Catalog::systemTable(database, "sysusers"),
                      {{"suid", SqlValue::ofInt(-2)},
                       {"uid", SqlValue::ofInt(kSysUid)},
                       {"gid", SqlValue::ofInt(kSysUid)},
                       {"name", SqlValue::ofText(kSqlAnywhereSysUser)}});
    int id = kFirstTableId;
    for (const SysTable& table : sysTables(database))
        catalog.addSystemView(database, table.name, id++, kSysUid, table.columns, table.select);
}

}  // namespace tdsim

#include "CatalogStatements.h"

#include <QList>
#include <array>

namespace CatalogStatements {
namespace {

const QChar kDouble = QLatin1Char('"');
const QChar kSingle = QLatin1Char('\'');

// Inside a double-quoted literal.
QString dq(const QString& value)
{
    return inLiteral(value, kDouble);
}
// Inside a single-quoted literal.
QString sq(const QString& value)
{
    return inLiteral(value, kSingle);
}

// One key column of a keyed read: its value in the whole-database read, and the condition
// that selects one value in the read of one object (%1 stands for the value's literal).
struct KeyColumn {
    QString expression;
    QString condition;
    bool numeric = false;
};

struct KeyedSelect {
    QString columns;
    QString from;
    QString where;  // what every row meets; the key conditions are added to it
    QList<KeyColumn> keys;
    QString order;  // the order of one object's rows
    bool distinct = false;
};

KeyColumn nameKey(const QString& expression)
{
    return {expression, expression + " = %1"};
}

KeyColumn idKey(const QString& expression)
{
    return {expression, expression + " = %1", true};
}

// The expression of an object's name as the system functions take it: db.owner.name,
// the name delimited when it holds a dot (as namePartInString() does).
QString qualifiedName(const QString& db, const QString& owner, const QString& name)
{
    return "'" + sq(db) + ".' + " + owner + " + '.' + CASE WHEN " + name +
           " LIKE '%.%' THEN '\"' + " + name + " + '\"' ELSE " + name + " END";
}

// A column of key `k`: `call` only where the row has that many keys (`keyCount`), NULL
// otherwise, so that the server makes no call for the keys an index or a reference does
// not have, which is most of them.
QString keyColumn(const QString& keyCount, int k, const QString& call)
{
    return QStringLiteral(", CASE WHEN %1 >= %2 THEN %3 END").arg(keyCount).arg(k).arg(call);
}

QString keyOrders(const QString& object, const QString& indid, int count)
{
    QString orders;
    for (int k = 1; k <= count; ++k) {
        orders += keyColumn(QStringLiteral("si.keycnt"), k,
                            QStringLiteral("index_colorder(%1, %2, %3)").arg(object, indid).arg(k));
    }
    return orders;
}

// Whether the trigger `trigger` is disabled for an action it serves: the state is kept in
// its table's sysstat2 (0x100000 insert, 0x200000 delete, 0x400000 update), and a
// trigger's deltrig names its table. 0 for other objects.
QString disabledTrigger(const QString& trigger, const QString& table)
{
    return QStringLiteral(
               "CASE WHEN %1.type = 'TR' AND ((%2.instrig = %1.id AND %2.sysstat2 & 1048576 <> 0) "
               "OR (%2.deltrig = %1.id AND %2.sysstat2 & 2097152 <> 0) OR (%2.updtrig = %1.id "
               "AND %2.sysstat2 & 4194304 <> 0)) THEN 1 ELSE 0 END")
        .arg(trigger, table);
}

KeyedSelect keyedSelect(CatalogSet set, const QString& db)
{
    const QString p = db + ".dbo.";
    switch (set) {
        case CatalogSet::Objects:
            return {
                "Name = so.name, Id = so.id, UId = so.uid, OwnerName = sown.name, ObjType = "
                "so.type, DelTrigId = so.deltrig, DelTrigName = so_del.name, InsTrig = "
                "so.instrig, InsTrigName = so_ins.name, UpdTrig = so.updtrig, UpdTrigName = "
                "so_upd.name, CreateDate = so.crdate, Status = so.sysstat2, "
                "TriggerDisabled = " +
                    disabledTrigger("so", "so_del") + ", ColumnCount = (SELECT count(*) FROM " + p +
                    "syscolumns c WHERE c.id = so.id AND c.number = 0)",
                p + "sysobjects so, " + p + "sysobjects so_del, " + p + "sysobjects so_ins, " + p +
                    "sysobjects so_upd, " + p + "sysusers sown",
                "so.deltrig *= so_del.id AND so.instrig *= so_ins.id AND so.updtrig *= "
                "so_upd.id AND so.uid *= sown.uid",
                // The owner filters the outer table: a condition on the inner table of an
                // outer join would only blank its columns.
                {nameKey("so.name"),
                 {"sown.name", "so.uid = (SELECT uid FROM " + p + "sysusers WHERE name = %1)"}},
                "so.id"};
        case CatalogSet::IndexNames:
            return {"si.name",
                    p + "sysindexes si, " + p + "sysobjects so, " + p + "sysusers su",
                    // The indexes of primary key and unique constraints belong to the table's
                    // definition.
                    "si.id = so.id AND su.uid = so.uid AND si.indid <> 0 AND si.status2 & 2 = 0",
                    {nameKey("so.name"), nameKey("su.name")},
                    "si.indid"};
        case CatalogSet::Indexes:
            return {
                "Name = si.name, Id = si.id, TableName = so.name, IndId = si.indid, Segment = "
                "si.segment, SegmentName = ss.name, MinLen = si.minlen, MaxLen = si.maxlen, "
                "SoId = si.soid, Status = si.status, Status2 = si.status2, "
                "isnull(si.fill_factor, 0), isnull(si.maxrowsperpage, 0), "
                "isnull(si.res_page_gap, 0)" +
                    keyOrders(qualifiedName(db, "su.name", "so.name"), "si.indid", kMaxIndexKeys),
                p + "sysindexes si, " + p + "sysobjects so, " + p + "syssegments ss, " + p +
                    "sysusers su",
                "so.type IN ('U', 'S') AND so.id = si.id AND si.segment = ss.segment AND "
                "su.uid = so.uid",
                {nameKey("so.name"), nameKey("si.name"), nameKey("su.name")},
                "si.indid"};
        case CatalogSet::IndexKeys: {
            const QString key =
                "INDEX_COL(" + qualifiedName(db, "su.name", "so.name") + ", x.indid, c.colid)";
            return {key,
                    p + "sysindexes x, " + p + "syscolumns c, " + p + "sysobjects so, " + p +
                        "sysusers su",
                    "so.id = x.id AND su.uid = so.uid AND x.indid BETWEEN 1 AND 254 AND c.id = "
                    "x.id AND c.colid <= x.keycnt AND " +
                        key + " <> ''",
                    {idKey("x.id"), nameKey("x.name")},
                    "x.indid, c.colid"};
        }
        case CatalogSet::ComputedKeys:
            return {"c.name, t.text, isnull(c.status2, 0), t.colid2, t.colid",
                    p + "syscolumns c, " + p + "syscomments t",
                    "c.computedcol <> 0 AND t.id = c.computedcol",
                    {idKey("c.id")},
                    "c.colid, t.colid2, t.colid"};
        case CatalogSet::Texts:
            return {"sc.text, isnull(sc.status, 0), sc.number, sc.colid2, sc.colid",
                    p + "syscomments sc, " + p + "sysobjects so, " + p + "sysusers su",
                    "sc.id = so.id AND su.uid = so.uid",
                    {nameKey("so.name"), nameKey("su.name")},
                    "sc.number, sc.colid2, sc.colid"};
        case CatalogSet::Protects:
            return {
                "Id = sp.id, ObjectName = so.name, UId = sp.uid, UserName = su.name, Action = "
                "sp.action, ProtectType = sp.protecttype, Grantor = sp.grantor, GrantorName = "
                "sug.name, Columns = sp.columns",
                p + "sysprotects sp, " + p + "sysobjects so, " + p + "sysusers su, " + p +
                    "sysusers sug",
                // Statement permissions name no object: the object is an outer join.
                "sp.id *= so.id AND sp.uid *= su.uid AND sp.grantor *= sug.uid",
                {idKey("sp.id"),
                 {"su.name", "sp.uid = (SELECT uid FROM " + p + "sysusers WHERE name = %1)"}},
                // The order of the server's clustered index on sysprotects.
                "sp.id, sp.action, sp.grantor, sp.uid, sp.protecttype"};
        case CatalogSet::TableStorage:
            return {
                "so.sysstat2, isnull(si.maxrowsperpage, 0), isnull(si.exp_rowsize, 0), "
                "isnull(si.res_page_gap, 0), isnull(si.identitygap, 0), ss.name",
                p + "sysobjects so, " + p + "sysindexes si, " + p + "syssegments ss",
                "si.id = so.id AND si.indid < 2 AND ss.segment = si.segment",
                {idKey("so.id")},
                "si.indid"};
        case CatalogSet::ColumnDefinitions:
            return {
                "c.colid, c.name, isnull(t.name, ''), c.length, isnull(c.prec, 0), "
                "isnull(c.scale, 0), c.status, c.usertype, c.cdefault, isnull(t.tdefault, 0), "
                "c.domain, isnull(t.domain, 0), "
                "isnull(du.name, ''), isnull(d.name, ''), (SELECT count(*) FROM " +
                    p +
                    "sysprocedures sp WHERE sp.id = c.cdefault AND sp.status & 4096 = 4096), "
                    "isnull(ru.name, ''), isnull(r.name, ''), (SELECT count(*) FROM " +
                    p + "sysconstraints sk WHERE sk.constrid = c.domain), isnull(c.status2, 0)",
                // A column whose usertype systypes does not hold comes with an empty type
                // name, so that it is seen rather than lost.
                p + "syscolumns c LEFT JOIN " + p +
                    "systypes t ON t.usertype = c.usertype LEFT JOIN " + p +
                    "sysobjects d ON d.id = c.cdefault LEFT JOIN " + p +
                    "sysusers du ON du.uid = d.uid LEFT JOIN " + p +
                    "sysobjects r ON r.id = c.domain LEFT JOIN " + p +
                    "sysusers ru ON ru.uid = r.uid",
                // The hidden columns of function-based index keys belong to their index.
                "c.number = 0 AND isnull(c.status2, 0) & " + QString::number(kColumn2FunctionKey) +
                    " = 0",
                {idKey("c.id")},
                "c.colid"};
        case CatalogSet::ColumnDefaultTexts:
            return {"c.colid, t.text, t.colid2, t.colid",
                    p + "syscolumns c, " + p + "syscomments t",
                    "c.number = 0 AND t.id = c.cdefault",
                    {idKey("c.id")},
                    "c.colid, t.colid2, t.colid"};
        case CatalogSet::KeyConstraints: {
            const QString object = qualifiedName(db, "su.name", "so.name");
            QString keys;
            for (int k = 1; k <= kMaxIndexKeys; ++k) {
                keys +=
                    keyColumn(QStringLiteral("si.keycnt"), k,
                              QStringLiteral("index_col(%1, si.indid, %2)").arg(object).arg(k)) +
                    keyColumn(
                        QStringLiteral("si.keycnt"), k,
                        QStringLiteral("index_colorder(%1, si.indid, %2)").arg(object).arg(k));
            }
            return {
                "si.name, si.indid, si.status, si.status2, isnull(si.fill_factor, 0), "
                "isnull(si.maxrowsperpage, 0), isnull(si.res_page_gap, 0), ss.name" +
                    keys,
                p + "sysindexes si, " + p + "syssegments ss, " + p + "sysobjects so, " + p +
                    "sysusers su",
                "si.indid BETWEEN 1 AND 254 AND si.status2 & 2 = 2 AND ss.segment = "
                "si.segment AND so.id = si.id AND su.uid = so.uid",
                {idKey("si.id")},
                "si.indid"};
        }
        case CatalogSet::CheckConstraints:
            return {"so.name, sk.colid, sc.text, sc.colid2, sc.colid",
                    p + "sysconstraints sk, " + p + "sysobjects so, " + p + "syscomments sc",
                    "sk.status & 128 = 128 AND so.id = sk.constrid AND sc.id = so.id",
                    {idKey("sk.tableid")},
                    "sk.constrid, sc.colid2, sc.colid"};
        case CatalogSet::ForeignKeys: {
            // The referenced table may be in another database (pmrydbname): its name comes
            // from there, its owner from a read of that database's catalog.
            QString keys;
            const QString dbid = "db_id(isnull(sr.pmrydbname, '" + sq(db) + "'))";
            for (int k = 1; k <= kMaxReferenceKeys; ++k) {
                keys +=
                    keyColumn(QStringLiteral("sr.keycnt"), k,
                              QStringLiteral("col_name(sr.tableid, sr.fokey%1, db_id('%2'))")
                                  .arg(k)
                                  .arg(sq(db))) +
                    keyColumn(
                        QStringLiteral("sr.keycnt"), k,
                        QStringLiteral("col_name(sr.reftabid, sr.refkey%1, %2)").arg(k).arg(dbid));
            }
            return {
                "so.name, isnull(ru.name, ''), isnull(ro.name, object_name(sr.reftabid, " + dbid +
                    ")), sr.keycnt, sr.status" + keys + ", isnull(sr.pmrydbname, ''), sr.reftabid",
                p + "sysreferences sr JOIN " + p + "sysobjects so ON so.id = sr.constrid " +
                    "LEFT JOIN " + p +
                    "sysobjects ro ON ro.id = sr.reftabid AND sr.pmrydbname IS NULL LEFT JOIN " +
                    p + "sysusers ru ON ru.uid = ro.uid",
                "sr.frgndbname IS NULL",
                {idKey("sr.tableid")},
                "sr.constrid"};
        }
        case CatalogSet::ReferencingForeignKeys:
            return {"so.name, cu.name, co.name",
                    p + "sysreferences sr, " + p + "sysobjects so, " + p + "sysobjects co, " + p +
                        "sysusers cu",
                    "sr.tableid <> sr.reftabid AND sr.frgndbname IS NULL AND sr.pmrydbname IS "
                    "NULL AND so.id = sr.constrid AND co.id = sr.tableid AND cu.uid = co.uid",
                    {idKey("sr.reftabid")},
                    "sr.constrid"};
        case CatalogSet::TypeBindings:
            return {
                "isnull(du.name, ''), isnull(d.name, ''), isnull(ru.name, ''), "
                "isnull(r.name, '')",
                p + "systypes t LEFT JOIN " + p + "sysobjects d ON d.id = t.tdefault LEFT JOIN " +
                    p + "sysusers du ON du.uid = d.uid LEFT JOIN " + p +
                    "sysobjects r ON r.id = t.domain LEFT JOIN " + p +
                    "sysusers ru ON ru.uid = r.uid",
                "t.usertype >= 100",
                {nameKey("t.name")},
                "t.usertype"};
        case CatalogSet::Users:
            return {
                "Name = a.name, SuId = a.suid, UId = a.uid, GId = a.gid, GroupName = b.name, "
                "LoginName = l.name",
                p + "sysusers a, " + p + "sysusers b, master.dbo.syslogins l",
                "a.gid = b.gid AND b.uid = b.gid AND a.suid *= l.suid",
                {nameKey("a.name")},
                "a.uid"};
        case CatalogSet::Aliases:
            return {"l.name",
                    p + "sysalternates a, master.dbo.syslogins l, " + p + "sysusers u",
                    "a.altsuid = u.suid AND l.suid = a.suid",
                    {nameKey("u.name")},
                    "l.name"};
        case CatalogSet::Types:
            return {
                "Type_name = CONVERT(char(15), s.name), Storage_type = CONVERT(char(15), "
                "st.name), Length = ISNULL(s.length, 0), Prec = ISNULL(s.prec, 0), Scale = "
                "ISNULL(s.scale, 0), Nulls = ISNULL(s.allownulls, 0), Default_name = "
                "CONVERT(char(15), so_def.name), Rule_name = CONVERT(char(15), so_rul.name), "
                "\"Identity\" = s.ident",
                p + "systypes s, " + p + "systypes st, " + p + "sysobjects so_rul, " + p +
                    "sysobjects so_def",
                "s.type = st.type AND st.usertype = (SELECT min(b.usertype) FROM " + p +
                    "systypes b WHERE b.type = s.type) AND s.domain *= so_rul.id AND "
                    "s.tdefault *= so_def.id",
                {nameKey("s.name")},
                "s.usertype"};
        case CatalogSet::Dependencies:
            return {
                "d.id, d.depid, (SELECT count(*) FROM " + p + "sysobjects o WHERE o.id = d.depid)",
                p + "sysdepends d",
                QString(),
                {idKey("d.id")},
                "d.id, d.depid",
                // sysdepends holds a row for each column referred to.
                true};
        case CatalogSet::TypesBoundTo:
            return {"t.name",
                    p + "systypes t, " + p + "sysobjects o, " + p + "sysusers ou",
                    "ou.uid = o.uid AND t.usertype >= 100 AND ((o.type = 'R' AND t.domain = "
                    "o.id) OR (o.type = 'D' AND t.tdefault = o.id))",
                    {nameKey("o.name"), nameKey("ou.name")},
                    "t.name"};
        case CatalogSet::ColumnsBoundTo:
            // A column that holds its datatype's binding has it through the datatype; check
            // constraints and declared defaults are no bindings.
            return {"cu.name, co.name, c.name",
                    p + "syscolumns c, " + p + "systypes t, " + p + "sysobjects co, " + p +
                        "sysusers cu, " + p + "sysobjects o, " + p + "sysusers ou",
                    "ou.uid = o.uid AND c.number = 0 AND co.id = c.id AND co.type = 'U' AND "
                    "cu.uid = co.uid AND t.usertype = c.usertype AND ((o.type = 'R' AND "
                    "c.domain = o.id AND c.domain <> isnull(t.domain, 0)) OR (o.type = 'D' AND "
                    "c.cdefault = o.id AND c.cdefault <> isnull(t.tdefault, 0))) AND NOT "
                    "EXISTS (SELECT 1 FROM " +
                        p +
                        "sysprocedures sp WHERE sp.id = o.id AND sp.status & 4096 = 4096) "
                        "AND NOT EXISTS (SELECT 1 FROM " +
                        p + "sysconstraints sk WHERE sk.constrid = o.id)",
                    {nameKey("o.name"), nameKey("ou.name")},
                    "cu.name, co.name, c.colid"};
    }
    return {};
}

QString literal(const KeyColumn& key, const QString& value)
{
    if (!key.numeric)
        return "'" + sq(value) + "'";
    bool ok = false;
    const qlonglong number = value.trimmed().toLongLong(&ok);
    return ok ? QString::number(number) : QStringLiteral("NULL");
}

QStringList statement(const QString& columns, const KeyedSelect& select,
                      const QStringList& conditions, const QString& order)
{
    QStringList lines{(select.distinct ? "SELECT DISTINCT " : "SELECT ") + columns,
                      " FROM " + select.from};
    if (!conditions.isEmpty())
        lines << " WHERE " + conditions.join(" AND ");
    lines << " ORDER BY " + order;
    return lines;
}

}  // namespace

QString inLiteral(const QString& value, QChar quote)
{
    QString doubled = value;
    doubled.replace(quote, QString(2, quote));
    return doubled;
}

QString singleQuoted(const QString& value)
{
    return kSingle + inLiteral(value, kSingle) + kSingle;
}

QStringList forKey(CatalogSet set, const QString& db, const QStringList& key)
{
    const KeyedSelect select = keyedSelect(set, db);
    QStringList conditions;
    if (!select.where.isEmpty())
        conditions << select.where;
    for (int n = 0; n < key.size() && n < select.keys.size(); ++n)
        conditions << select.keys[n].condition.arg(literal(select.keys[n], key[n]));
    return statement(select.columns, select, conditions, select.order);
}

QStringList wholeDatabase(CatalogSet set, const QString& db)
{
    const KeyedSelect select = keyedSelect(set, db);
    QStringList keys;
    for (const KeyColumn& key : select.keys)
        keys << key.expression;
    const QStringList conditions =
        select.where.isEmpty() ? QStringList() : QStringList{select.where};
    return statement(keys.join(", ") + ", " + select.columns, select, conditions, select.order);
}

QStringList scopedRead(CatalogSet set, const QString& db, const QStringList& firstKeys)
{
    const KeyedSelect select = keyedSelect(set, db);
    QStringList keys;
    for (const KeyColumn& key : select.keys)
        keys << key.expression;
    QStringList values;
    for (const QString& value : firstKeys)
        values << literal(select.keys.first(), value);
    QStringList conditions{select.keys.first().expression + " IN (" + values.join(", ") + ")"};
    if (!select.where.isEmpty())
        conditions.prepend(select.where);
    return statement(keys.join(", ") + ", " + select.columns, select, conditions, select.order);
}

bool keyedById(CatalogSet set)
{
    // Asked for every keyed read of a selection: worked out once, not a statement built
    // each time.
    static const std::array<bool, CatalogSetCount> byId = [] {
        std::array<bool, CatalogSetCount> sets{};
        for (int n = 0; n < CatalogSetCount; ++n)
            sets[size_t(n)] =
                keyedSelect(static_cast<CatalogSet>(n), QStringLiteral("db")).keys.first().numeric;
        return sets;
    }();
    return byId[size_t(set)];
}

int keyColumnCount(CatalogSet set)
{
    return static_cast<int>(keyedSelect(set, QStringLiteral("db")).keys.size());
}

QStringList protects(const QString& db, const QString& condition)
{
    const KeyedSelect select = keyedSelect(CatalogSet::Protects, db);
    // The rows of objects only, as an inner join with sysobjects would give them.
    QStringList conditions{select.where, "sp.id IN (SELECT id FROM " + db + ".dbo.sysobjects)"};
    if (!condition.isEmpty())
        conditions << condition;
    return statement(select.columns, select, conditions, select.order);
}

QString protectsOfObjectId(int id)
{
    return "sp.id = " + QString::number(id);
}

QString protectsOfObjectName(const QString& db, const QString& name)
{
    // On the privilege rows, not on the outer-joined objects.
    return "sp.id IN (SELECT id FROM " + db + ".dbo.sysobjects WHERE name = '" + sq(name) + "')";
}

QString protectsOfUserId(int uid)
{
    return "sp.uid = " + QString::number(uid);
}

QString protectsOfUserName(const QString& name)
{
    return "user_name(sp.uid) = '" + sq(name) + "'";
}

QString protectsOfAction(int actionCode)
{
    return "sp.action = " + QString::number(actionCode);
}

QString protectsOfSystemTables(const QString& db, const QString& reference)
{
    return "sp.id IN (SELECT id FROM " + db + ".dbo.sysobjects WHERE type = 'S' AND name IN " +
           "(SELECT name FROM " + reference + ".dbo.sysobjects WHERE type = 'S'))";
}

QStringList sqlAnywhereIndexNames(const QString& table)
{
    return {
        "SELECT si.index_name FROM SYS.SYSINDEX si, SYS.SYSTABLE st WHERE si.table_id = "
        "st.table_id  AND st.table_name = \"" +
        dq(table) + "\" ORDER BY si.index_id"};
}

QStringList sqlAnywhereIndexInfo(const QString& index, const QString& table)
{
    return {
        "SELECT Name = si.index_name, Id = st.table_id, TableName = st.table_name, IndId = "
        "si.index_id, Segment = 0, SegmentName = \"\", MinLen = 0, MaxLen = 0, SoId = 0, "
        "Status = 0, Status2 = 0 FROM SYSINDEX si, SYSTABLE st WHERE si.index_name = \"" +
        dq(index) + "\"  AND st.table_name = \"" + dq(table) + "\" AND st.table_id = si.table_id"};
}

QStringList sqlAnywhereIndexColumns(const QString& tableDotIndex)
{
    return {
        "SELECT sc.column_name",
        " FROM SYSTABLE st,",
        " SYSIXCOL sic,",
        " SYSCOLUMN sc,",
        " SYSINDEX si",
        " WHERE st.table_id = sc.table_id",
        " AND si.table_id = sc.table_id",
        " AND si.index_id = sic.index_id",
        " AND sc.table_id = sic.table_id",
        " AND sc.column_id = sic.column_id",
        " AND st.table_name + '.' + si.index_name = '" + sq(tableDotIndex) + "'",
        " ORDER BY sequence",
    };
}

QStringList objectKind(const QString& db, const QString& name)
{
    return {"SELECT type FROM " + db + ".dbo.sysobjects WHERE name = '" + sq(name) + "'"};
}

QStringList sqlAnywhereObjectText(const QString& name)
{
    return {"SELECT text FROM syscomments WHERE id=object_id('" + sq(name) + "')"};
}

QStringList describeTable(const QString& qualifiedName)
{
    return {"SELECT * FROM " + qualifiedName + " WHERE 1=2"};
}

QStringList procedureParameters(const QString& db, const QString& qualifiedName, bool sqlAnywhere)
{
    if (sqlAnywhere) {
        return {
            "SELECT",
            " sproc.parm_name,",
            " ISNULL(sproc.width,0),",
            " ISNULL(sproc.scale,0),",
            " ISNULL(sproc.width,0),",
            " ISNULL(sut.type_name, sd.domain_name),",
            " 0",
            " FROM SYS.SYSPROCPARM sproc,",
            " SYS.SYSPROCEDURE sp,",
            " SYS.SYSUSERTYPE sut,",
            " SYS.SYSDOMAIN sd",
            " WHERE sproc.proc_id = sp.proc_id",
            " AND sp.proc_name = '" + sq(qualifiedName) + "'",
            " AND sproc.parm_type = 0",
            " AND sproc.domain_id = sd.domain_id",
            " AND sproc.domain_id *= sut.domain_id",
            " AND sproc.user_type *= sut.type_id",
            " ORDER BY sproc.parm_id",
        };
    }
    return {
        "SELECT c.name,",
        " ISNULL(c.length,0),",
        " ISNULL(c.scale,0),",
        " ISNULL(c.prec,0),",
        " t.name,",
        " ISNULL(c.status,0)",
        " FROM " + db + ".dbo.syscolumns c,",
        " " + db + ".dbo.systypes t",
        " WHERE c.usertype = t.usertype",
        " AND c.id = object_id (\"" + dq(qualifiedName) + "\")",
        " AND c.number = 1",
        " ORDER BY colid ASC",
    };
}

QStringList tableColumns(const QString& db, const QString& name, bool sqlAnywhere)
{
    if (sqlAnywhere) {
        // Both user-type conditions are outer joins: a column of a plain domain has no
        // user type (NULL), and an inner condition there would drop the column.
        return {
            "SELECT column_name = sc.column_name,",
            " type_name = ISNULL(sut.type_name, sd.domain_name),",
            " prec = isnull(sc.width, 0),",
            " scale = isnull(sc.scale, 0),",
            " lngth = isnull(sc.width, 0),",
            " ident = \"autoind\",",
            " nullable = sc.nulls",
            " FROM SYSTABLE st,",
            " SYSCOLUMN sc,",
            " SYSDOMAIN sd,",
            " SYSUSERTYPE sut",
            " WHERE st.table_id = sc.table_id",
            " AND sc.domain_id *= sut.domain_id",
            " AND sc.user_type *= sut.type_id",
            " AND sc.domain_id = sd.domain_id",
            " AND st.table_name = \"" + dq(name) + "\"",
            " ORDER BY sc.column_id",
        };
    }
    return {
        "SELECT column_name = c.name,",
        " type_name = rtrim(t.name),",
        " prec = isnull(isnull(convert(int, c.prec),isnull(convert(int, "
        "d.data_precision),convert(int,c.length)))",
        "+isnull(d.aux, convert(int,ascii(substring(\"???AAAFFFCKFOLS\",2*(d.ss_dtype%35+1)+2-8/"
        "c.length,1))-60)), 0),",
        " scale = isnull(isnull(convert(smallint, c.scale),",
        "convert(smallint, d.numeric_scale)) + convert(smallint, isnull(d.aux, "
        "ascii(substring(\"<<<<<<<<<<<<<<?\", 2*(d.ss_dtype%35+1)+2-8/c.length,1))-60)), 0),",
        " length = isnull(isnull(convert(int, c.length), 0),",
        "convert(int, d.length)) + convert(int, isnull(d.aux, ascii(substring("
        "\"AAA<BB<DDDHJSPP\", 2*(d.ss_dtype%35+1)+2-8/c.length,1))-64)),",
        " ident = convert(bit, (c.status & 0x80)),",
        " nullable = convert(smallint, convert(bit, c.status&8))",
        " FROM " + db + ".dbo.syscolumns c,",
        " " + db + ".dbo.sysobjects o,",
        " sybsystemprocs.dbo.spt_datatype_info d,",
        " " + db + ".dbo.systypes t",
        " WHERE o.name = \"" + dq(name) + "\"",
        " AND o.id = c.id",
        " AND c.usertype = t.usertype",
        " AND t.type = d.ss_dtype",
        " AND o.type in (\"U\",\"S\")",
        " AND (d.ss_dtype NOT IN (111, 109, 38, 110)",
        " OR c.usertype >= 100)",
        " ORDER BY colid",
    };
}

QStringList ownersOfType(const QString& db, const QString& name, const QString& type)
{
    return {"SELECT su.name FROM " + db + ".dbo.sysusers su, " + db +
            ".dbo.sysobjects so WHERE su.uid = so.uid AND so.name = \"" + dq(name) +
            "\" AND so.type = '" + sq(type) + "' ORDER BY so.uid"};
}

QStringList ownerInDatabase(const QString& db, int objectId)
{
    return {"SELECT u.name FROM " + db + ".dbo.sysobjects o, " + db +
            ".dbo.sysusers u WHERE o.id = " + QString::number(objectId) + " AND u.uid = o.uid"};
}

QStringList ncharSize()
{
    return {"SELECT @@ncharsize"};
}

QStringList principals(const QString& db)
{
    return {"SELECT u.name, u.uid, (SELECT count(*) FROM " + db +
            ".dbo.sysobjects o WHERE o.uid = u.uid AND o.type = 'U') FROM " + db +
            ".dbo.sysusers u ORDER BY u.name"};
}

QStringList compiledObjects(const QString& db)
{
    return {"SELECT so.id, su.name, so.name, convert(char(19), so.crdate, 23) FROM " + db +
            ".dbo.sysobjects so, " + db +
            ".dbo.sysusers su WHERE so.uid = su.uid AND so.type IN ('V', 'P', 'TR')"};
}

}  // namespace CatalogStatements

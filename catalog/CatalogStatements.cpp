#include "CatalogStatements.h"

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

// The condition that `alias` belongs to `owner`; nothing when no owner is given.
QString ownedBy(const QString& db, const QString& alias, const QString& owner)
{
    if (owner.isEmpty())
        return QString();
    return " AND " + alias + ".uid = (SELECT uid FROM " + db + ".dbo.sysusers WHERE name = \"" +
           dq(owner) + "\")";
}

}  // namespace

QString inLiteral(const QString& value, QChar quote)
{
    QString doubled = value;
    doubled.replace(quote, QString(2, quote));
    return doubled;
}

QStringList objectOwner(const QString& db, const QString& name)
{
    return {
        "SELECT su.name",
        " FROM " + db + ".dbo.sysusers su,",
        " " + db + ".dbo.sysobjects so",
        " WHERE su.uid = so.uid",
        " AND so.name = \"" + dq(name) + "\"",
    };
}

QStringList ownersOfType(const QString& db, const QString& name, const QString& type)
{
    return {"SELECT su.name FROM " + db + ".dbo.sysusers su, " + db +
            ".dbo.sysobjects so WHERE su.uid = so.uid AND so.name = \"" + dq(name) +
            "\" AND so.type = '" + sq(type) + "' ORDER BY so.uid"};
}

QStringList objectInfo(const QString& db, const QString& name, const QString& owner)
{
    return {
        "SELECT Name = so.name, Id = so.id, UId = so.uid, OwnerName = sown.name, ObjType = "
        "so.type, DelTrigId = so.deltrig, DelTrigName = so_del.name, InsTrig = so.instrig, "
        "InsTrigName = so_ins.name, UpdTrig = so.updtrig, UpdTrigName = so_upd.name, "
        "CreateDate = so.crdate, Status = so.sysstat2 FROM " +
        db + ".dbo.sysobjects so, " + db + ".dbo.sysobjects so_del, " + db +
        ".dbo.sysobjects so_ins, " + db + ".dbo.sysobjects so_upd, " + db +
        ".dbo.sysusers sown WHERE so.name = \"" + dq(name) +
        "\" AND so.deltrig *= so_del.id AND so.instrig *= so_ins.id AND so.updtrig *= "
        "so_upd.id AND so.uid *= sown.uid" +
        ownedBy(db, "so", owner)};
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

QStringList indexNames(const QString& db, const QString& owner, const QString& table,
                       bool sqlAnywhere)
{
    if (sqlAnywhere) {
        return {
            "SELECT si.index_name FROM SYS.SYSINDEX si, SYS.SYSTABLE st WHERE si.table_id = "
            "st.table_id  AND st.table_name = \"" +
            dq(table) + "\" ORDER BY si.index_id"};
    }
    // The indexes of primary key and unique constraints belong to the table's definition.
    return {"SELECT name FROM " + db + ".dbo.sysindexes WHERE id = object_id('" + sq(db) + "." +
            sq(owner) + "." + sq(table) + "') and indid <> 0 and status2 & 2 = 0"};
}

QStringList indexInfo(const QString& db, const QString& index, const QString& table,
                      bool sqlAnywhere, const QString& owner)
{
    if (sqlAnywhere) {
        return {
            "SELECT Name = si.index_name, Id = st.table_id, TableName = st.table_name, IndId = "
            "si.index_id, Segment = 0, SegmentName = \"\", MinLen = 0, MaxLen = 0, SoId = 0, "
            "Status = 0, Status2 = 0 FROM SYSINDEX si, SYSTABLE st WHERE si.index_name = \"" +
            dq(index) + "\"  AND st.table_name = \"" + dq(table) +
            "\" AND st.table_id = si.table_id"};
    }
    return {
        "SELECT Name = si.name, Id = si.id, TableName = so.name, IndId = si.indid, Segment = "
        "si.segment, SegmentName = ss.name, MinLen = si.minlen, MaxLen = si.maxlen, SoId = "
        "si.soid, Status = si.status, Status2 = si.status2 FROM " +
        db + ".dbo.sysindexes si, " + db + ".dbo.sysobjects so, " + db +
        ".dbo.syssegments ss WHERE si.name = \"" + dq(index) + "\"  AND so.name = \"" + dq(table) +
        "\" AND so.type in(\"U\",\"S\") AND so.id = si.id AND si.segment = ss.segment" +
        ownedBy(db, "so", owner)};
}

QStringList indexOptions(const QString& db, const QString& qualifiedTable, int tableId, int indid,
                         int maxKeys)
{
    QString orders;
    const QString object = "'" + sq(qualifiedTable) + "'";
    for (int k = 1; k <= maxKeys; ++k)
        orders += QStringLiteral(", index_colorder(%1, %2, %3)").arg(object).arg(indid).arg(k);
    return {
        "SELECT isnull(fill_factor, 0), isnull(maxrowsperpage, 0), isnull(res_page_gap, 0), "
        "status2" +
        orders + " FROM " + db + ".dbo.sysindexes WHERE id = " + QString::number(tableId) +
        " AND indid = " + QString::number(indid)};
}

QStringList indexColumns(const QString& db, const QString& owner, const QString& tableDotIndex,
                         bool sqlAnywhere)
{
    if (sqlAnywhere) {
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
    const QString prefixSingle = sq(db) + "." + sq(owner) + ".";
    const QString prefixDouble = dq(db) + "." + dq(owner) + ".";
    return {
        "SELECT INDEX_COL('" + prefixSingle + "' + so.name , x.indid, c.colid)",
        " FROM " + db + ".dbo.sysindexes x,",
        " " + db + ".dbo.syscolumns c,",
        " " + db + ".dbo.sysobjects so",
        " WHERE x.id = object_id (\"" + prefixDouble + "\" + so.name)",
        " AND indid BETWEEN 1 AND 254",
        " AND x.id = c.id",
        " AND so.id = x.id",
        " AND c.colid <= x.keycnt",
        " AND INDEX_COL(\"" + prefixDouble + "\" + so.name, x.indid, c.colid)<>''",
        " AND so.name + '.' + x.name = '" + sq(tableDotIndex) + "'",
        " ORDER BY x.name, x.indid,",
        " c.colid ASC",
    };
}

QStringList objectKind(const QString& db, const QString& name)
{
    return {"SELECT type FROM " + db + ".dbo.sysobjects WHERE name = '" + sq(name) + "'"};
}

QStringList objectText(const QString& db, const QString& owner, const QString& name,
                       bool sqlAnywhere)
{
    if (sqlAnywhere)
        return {"SELECT text FROM syscomments WHERE id=object_id('" + sq(name) + "')"};
    return {"SELECT text, isnull(status, 0) FROM " + db + ".dbo.syscomments WHERE id=object_id('" +
            sq(db) + "." + sq(owner) + "." + sq(name) + "') ORDER BY number, colid2, colid"};
}

QStringList userInfo(const QString& db, const QString& name)
{
    return {
        "SELECT Name = a.name, SuId = a.suid, UId = a.uid, GId = a.gid, GroupName = b.name "
        "FROM " +
        db + ".dbo.sysusers a, " + db + ".dbo.sysusers b WHERE a.name = \"" + dq(name) +
        "\" AND a.gid = b.gid AND b.uid = b.gid"};
}

QStringList typeInfo(const QString& db, const QString& name)
{
    return {
        "SELECT Type_name = CONVERT(char(15), s.name),Storage_type = CONVERT(char(15), "
        "st.name),Length = ISNULL(s.length,0),Prec = ISNULL(s.prec,0),Scale = "
        "ISNULL(s.scale,0),Nulls = ISNULL(s.allownulls,0),Default_name = CONVERT(char(15), "
        "so_def.name),Rule_name = CONVERT(char(15), so_rul.name),\"Identity\" = s.ident FROM " +
        db + ".dbo.systypes s, " + db + ".dbo.systypes st, " + db + ".dbo.sysobjects so_rul, " +
        db +
        ".dbo.sysobjects so_def  WHERE s.type = st.type AND st.usertype = (SELECT min(b.usertype) "
        "FROM " +
        db +
        ".dbo.systypes b WHERE b.type = s.type) AND s.domain *= so_rul.id AND "
        "s.tdefault *= so_def.id AND s.name = \"" +
        dq(name) + "\" "};
}

QStringList protects(const QString& db, const QString& filterLine)
{
    return {
        "SELECT Id = sp.id, ",
        "ObjectName = so.name, ",
        "UId = sp.uid, ",
        "UserName = su.name, ",
        "Action = sp.action, ",
        "ProtectType = sp.protecttype, ",
        "Grantor = sp.grantor, ",
        "GrantorName = sug.name, ",
        "Columns = sp.columns ",
        "FROM " + db + ".dbo.sysprotects sp,",
        " " + db + ".dbo.sysobjects so,",
        " " + db + ".dbo.sysusers su,",
        " " + db + ".dbo.sysusers sug",
        " WHERE so.id = sp.id",
        " AND sp.uid *= su.uid",
        " AND sp.grantor *= sug.uid",
        filterLine,
    };
}

QString protectsOfObjectId(int id)
{
    return " AND sp.id = " + QString::number(id);
}

QString protectsOfObjectName(const QString& name)
{
    return " AND so.name = \"" + dq(name) + "\"";
}

QString protectsOfUserId(int uid)
{
    return " AND sp.uid = " + QString::number(uid);
}

QString protectsOfUserName(const QString& name)
{
    return " AND user_name(sp.uid) = \"" + dq(name) + "\"";
}

QString protectsOfAction(int actionCode)
{
    return " AND sp.action = " + QString::number(actionCode);
}

QStringList columnNames(const QString& db, int objectId)
{
    return {"SELECT colid, name FROM " + db +
            ".dbo.syscolumns WHERE id = " + QString::number(objectId) + " ORDER BY colid"};
}

QStringList objectId(const QString& db, const QString& owner, const QString& name)
{
    return {"SELECT so.id, so.type FROM " + db + ".dbo.sysobjects so, " + db +
            ".dbo.sysusers su WHERE so.uid = su.uid AND so.name = \"" + dq(name) +
            "\" AND su.name = \"" + dq(owner) + "\""};
}

QStringList tableStorage(const QString& db, int tableId)
{
    const QString id = QString::number(tableId);
    return {
        "SELECT so.sysstat2, isnull(si.maxrowsperpage, 0), isnull(si.exp_rowsize, 0), "
        "isnull(si.res_page_gap, 0), isnull(si.identitygap, 0), ss.name FROM " +
        db + ".dbo.sysobjects so, " + db + ".dbo.sysindexes si, " + db +
        ".dbo.syssegments ss WHERE so.id = " + id + " AND si.id = so.id AND si.indid < 2 " +
        "AND ss.segment = si.segment"};
}

QStringList columnDefinitions(const QString& db, int tableId)
{
    const QString p = db + ".dbo.";
    return {
        "SELECT c.colid, c.name, t.name, c.length, isnull(c.prec, 0), isnull(c.scale, 0), "
        "c.status, c.usertype, c.cdefault, t.tdefault, c.domain, t.domain, "
        "isnull(du.name, ''), isnull(d.name, ''), "
        "(SELECT count(*) FROM " +
            p +
            "sysprocedures sp WHERE sp.id = c.cdefault AND "
            "sp.status & 4096 = 4096), isnull(ru.name, ''), isnull(r.name, ''), "
            "(SELECT count(*) FROM " +
            p + "sysconstraints sk WHERE sk.constrid = c.domain)",
        " FROM " + p + "syscolumns c",
        " JOIN " + p + "systypes t ON t.usertype = c.usertype",
        " LEFT JOIN " + p + "sysobjects d ON d.id = c.cdefault",
        " LEFT JOIN " + p + "sysusers du ON du.uid = d.uid",
        " LEFT JOIN " + p + "sysobjects r ON r.id = c.domain",
        " LEFT JOIN " + p + "sysusers ru ON ru.uid = r.uid",
        " WHERE c.id = " + QString::number(tableId) + " AND c.number = 0",
        // The hidden columns of function-based index keys belong to their index.
        " AND NOT EXISTS (SELECT 1 FROM " + p +
            "sysconstraints sk WHERE sk.tableid = c.id "
            "AND sk.colid = c.colid AND sk.status & 256 = 256)",
        " ORDER BY c.colid",
    };
}

QStringList columnDefaultTexts(const QString& db, int tableId)
{
    return {"SELECT c.colid, t.text FROM " + db + ".dbo.syscolumns c, " + db +
            ".dbo.syscomments t WHERE c.id = " + QString::number(tableId) +
            " AND c.number = 0 AND t.id = c.cdefault ORDER BY c.colid, t.colid2, t.colid"};
}

QStringList keyConstraints(const QString& db, const QString& qualifiedTable, int tableId,
                           int maxKeys)
{
    QString keys;
    const QString object = "'" + sq(qualifiedTable) + "'";
    for (int k = 1; k <= maxKeys; ++k) {
        keys += QStringLiteral(", index_col(%1, si.indid, %2), index_colorder(%1, si.indid, %2)")
                    .arg(object)
                    .arg(k);
    }
    return {
        "SELECT si.name, si.indid, si.status, si.status2, isnull(si.fill_factor, 0), "
        "isnull(si.maxrowsperpage, 0), isnull(si.res_page_gap, 0), ss.name" +
            keys,
        " FROM " + db + ".dbo.sysindexes si, " + db + ".dbo.syssegments ss",
        " WHERE si.id = " + QString::number(tableId) +
            " AND si.indid BETWEEN 1 AND 254 AND si.status2 & 2 = 2"
            " AND ss.segment = si.segment",
        " ORDER BY si.indid"};
}

QStringList checkConstraints(const QString& db, int tableId)
{
    return {"SELECT so.name, sk.colid, sc.text FROM " + db + ".dbo.sysconstraints sk, " + db +
            ".dbo.sysobjects so, " + db +
            ".dbo.syscomments sc WHERE sk.tableid = " + QString::number(tableId) +
            " AND sk.status & 128 = 128 AND so.id = sk.constrid AND sc.id = so.id"
            " ORDER BY sk.constrid, sc.colid2, sc.colid"};
}

QStringList foreignKeys(const QString& db, int tableId, int maxKeys)
{
    QString keys;
    const QString dbid = "db_id('" + sq(db) + "')";
    for (int k = 1; k <= maxKeys; ++k) {
        keys += QStringLiteral(
                    ", col_name(sr.tableid, sr.fokey%1, %2), "
                    "col_name(sr.reftabid, sr.refkey%1, %2)")
                    .arg(k)
                    .arg(dbid);
    }
    return {"SELECT so.name, ru.name, ro.name, sr.keycnt, sr.status" + keys,
            " FROM " + db + ".dbo.sysreferences sr, " + db + ".dbo.sysobjects so, " + db +
                ".dbo.sysobjects ro, " + db + ".dbo.sysusers ru",
            " WHERE sr.tableid = " + QString::number(tableId) +
                " AND sr.frgndbname IS NULL AND sr.pmrydbname IS NULL"
                " AND so.id = sr.constrid AND ro.id = sr.reftabid AND ru.uid = ro.uid",
            " ORDER BY sr.constrid"};
}

QStringList referencingForeignKeys(const QString& db, int tableId)
{
    return {"SELECT so.name, cu.name, co.name FROM " + db + ".dbo.sysreferences sr, " + db +
            ".dbo.sysobjects so, " + db + ".dbo.sysobjects co, " + db +
            ".dbo.sysusers cu WHERE sr.reftabid = " + QString::number(tableId) +
            " AND sr.tableid <> sr.reftabid AND sr.frgndbname IS NULL AND sr.pmrydbname IS NULL"
            " AND so.id = sr.constrid AND co.id = sr.tableid AND cu.uid = co.uid"
            " ORDER BY sr.constrid"};
}

QStringList typeBindings(const QString& db, const QString& name)
{
    const QString p = db + ".dbo.";
    return {
        "SELECT isnull(du.name, ''), isnull(d.name, ''), isnull(ru.name, ''), "
        "isnull(r.name, '')",
        " FROM " + p + "systypes t",
        " LEFT JOIN " + p + "sysobjects d ON d.id = t.tdefault",
        " LEFT JOIN " + p + "sysusers du ON du.uid = d.uid",
        " LEFT JOIN " + p + "sysobjects r ON r.id = t.domain",
        " LEFT JOIN " + p + "sysusers ru ON ru.uid = r.uid",
        " WHERE t.name = \"" + dq(name) + "\" AND t.usertype >= 100"};
}

QStringList aliasesOf(const QString& db, const QString& user)
{
    return {"SELECT l.name FROM " + db + ".dbo.sysalternates a, master.dbo.syslogins l, " + db +
            ".dbo.sysusers u WHERE u.name = \"" + dq(user) +
            "\" AND a.altsuid = u.suid AND l.suid = a.suid ORDER BY l.name"};
}

QStringList loginName(int suid)
{
    return {"SELECT name FROM master.dbo.syslogins WHERE suid = " + QString::number(suid)};
}

QStringList compiledObjects(const QString& db)
{
    return {"SELECT so.id, su.name, so.name, convert(char(19), so.crdate, 23) FROM " + db +
            ".dbo.sysobjects so, " + db +
            ".dbo.sysusers su WHERE so.uid = su.uid AND so.type IN ('V', 'P', 'TR')"};
}

QStringList dependencies(const QString& db)
{
    return {"SELECT DISTINCT id, depid FROM " + db + ".dbo.sysdepends"};
}

QStringList statementPermissions(const QString& db, const QString& principal)
{
    return {"SELECT sp.action, sp.protecttype FROM " + db + ".dbo.sysprotects sp, " + db +
            ".dbo.sysusers su WHERE sp.id = 0 AND su.uid = sp.uid AND su.name = \"" +
            dq(principal) + "\" ORDER BY sp.action"};
}

QStringList danglingDependencies(const QString& db)
{
    return {"SELECT DISTINCT d.id FROM " + db +
            ".dbo.sysdepends d WHERE NOT EXISTS (SELECT 1 "
            "FROM " +
            db + ".dbo.sysobjects o WHERE o.id = d.depid)"};
}

QStringList computedKeyColumns(const QString& db, int tableId)
{
    return {"SELECT c.name, t.text FROM " + db + ".dbo.syscolumns c, " + db +
            ".dbo.syscomments t WHERE c.id = " + QString::number(tableId) +
            " AND c.computedcol <> 0 AND t.id = c.computedcol ORDER BY c.colid, t.colid2, t.colid"};
}

QStringList ncharSize()
{
    return {"SELECT @@ncharsize"};
}

}  // namespace CatalogStatements

#include "CatalogSnapshot.h"

#include "CTLibEnhQuery.h"

#include <QMap>
#include <QRegularExpression>
#include <algorithm>
#include <stdexcept>

namespace {
// Keys an index or a foreign key can have that the comparison reads.
constexpr int kKeys = 16;

QString indexKeys()
{
    QString keys;
    for (int k = 1; k <= kKeys; ++k) {
        keys += QStringLiteral(
                    ", index_col(u.name + '.' + o.name, i.indid, %1), "
                    "index_colorder(u.name + '.' + o.name, i.indid, %1)")
                    .arg(k);
    }
    return keys;
}

QString referenceKeys()
{
    QString keys;
    for (int k = 1; k <= kKeys; ++k) {
        keys += QStringLiteral(", col_name(r.tableid, r.fokey%1), col_name(r.reftabid, r.refkey%1)")
                    .arg(k);
    }
    return keys;
}

// `status` without its bit 0x1 when the table with id `id` is referenced only by tables
// of other databases: a foreign key to it is theirs, and a script of this database does
// not re-create it.
QString withoutReferenceFromElsewhere(const QString& status, const QString& id)
{
    return QStringLiteral(
               "case when exists (select 1 from sysreferences x where x.reftabid = %2 and "
               "x.frgndbname is not null) and not exists (select 1 from sysreferences x where "
               "x.reftabid = %2 and x.frgndbname is null) then %1 - (%1 & 1) else %1 end")
        .arg(status, id);
}

// Rows of each catalog table with every id replaced by the owner and name it stands for.
QStringList snapshotStatements()
{
    return {
        "select 'sysobjects', u.name, o.name, o.type, " +
            withoutReferenceFromElsewhere("o.sysstat2", "o.id") +
            " from sysobjects o, sysusers u where o.uid = u.uid and o.type <> 'S'",
        "select 'syscolumns', u.name, o.name, c.number, c.colid, c.name, c.type, t.name, c.length, "
        "c.prec, c.scale, c.status, isnull(c.status2, 0), du.name, d.name, ru.name, r.name "
        "from syscolumns c "
        "join sysobjects o on c.id = o.id join sysusers u on u.uid = o.uid "
        "join systypes t on c.usertype = t.usertype "
        "left join sysobjects d on d.id = c.cdefault left join sysusers du on du.uid = d.uid "
        "left join sysobjects r on r.id = c.domain left join sysusers ru on ru.uid = r.uid "
        "where o.type <> 'S'",
        "select 'sysindexes', u.name, o.name, i.name, i.indid, i.status, " +
            withoutReferenceFromElsewhere("i.status2", "i.id") +
            ", i.keycnt, "
            "s.name, isnull(i.fill_factor, 0), i.maxrowsperpage, isnull(i.res_page_gap, 0), "
            "isnull(i.exp_rowsize, 0), isnull(i.identitygap, 0)" +
            indexKeys() +
            " from sysindexes i join sysobjects o on i.id = o.id join sysusers u on u.uid = o.uid "
            "left join syssegments s on s.segment = i.segment where o.type <> 'S'",
        "select 'sysconstraints', u.name, o.name, k.name, c.colid, c.status from sysconstraints c "
        "join sysobjects o on o.id = c.tableid join sysusers u on u.uid = o.uid "
        "join sysobjects k on k.id = c.constrid",
        "select 'sysreferences', k.name, cu.name, co.name, pu.name, po.name, r.keycnt, r.status" +
            referenceKeys() +
            " from sysreferences r join sysobjects k on k.id = r.constrid "
            "join sysobjects co on co.id = r.tableid join sysusers cu on cu.uid = co.uid "
            "join sysobjects po on po.id = r.reftabid join sysusers pu on pu.uid = po.uid "
            "where r.pmrydbname is null and r.frgndbname is null",
        // Keys to a table of another database: named by that database and the table's id.
        "select 'sysreferences', k.name, cu.name, co.name, r.pmrydbname, r.reftabid, r.keycnt, "
        "r.status, col_name(r.tableid, r.fokey1), col_name(r.reftabid, r.refkey1, "
        "db_id(r.pmrydbname)) from sysreferences r join sysobjects k on k.id = r.constrid "
        "join sysobjects co on co.id = r.tableid join sysusers cu on cu.uid = co.uid "
        "where r.pmrydbname is not null",
        // Ids too: audit and application tables keep uids.
        "select 'sysusers', u.name, u.uid, g.name, l.name from sysusers u join sysusers g on "
        "u.gid = g.uid left join master.dbo.syslogins l on l.suid = u.suid",
        "select 'sysalternates', l.name, u.name from sysalternates a join "
        "master.dbo.syslogins l on l.suid = a.suid join sysusers u on u.suid = a.altsuid",
        "select 'systypes', t.name, t.type, t.length, t.prec, t.scale, t.allownulls, t.ident, "
        "du.name, d.name, ru.name, r.name from systypes t "
        "left join sysobjects d on d.id = t.tdefault left join sysusers du on du.uid = d.uid "
        "left join sysobjects r on r.id = t.domain left join sysusers ru on ru.uid = r.uid",
        "select 'sysprotects', ou.name, o.name, u.name, p.action, p.protecttype, "
        "convert(varchar(64), p.columns), g.name from sysprotects p left join sysobjects o "
        "on o.id = p.id left join sysusers ou on ou.uid = o.uid join sysusers u on u.uid = p.uid "
        "join sysusers g on g.uid = p.grantor",
    };
}

QStringList rowsOf(TCTLibEnhQuery& query, const QString& statement)
{
    QStringList rows;
    query.setSQL(QStringList{statement});
    // A statement that fails would compare equal on both sides: it ends the comparison.
    if (query.Open() != 1)
        throw std::runtime_error("catalog statement failed: " + statement.toStdString());
    while (query.Next()) {
        QStringList values;
        for (int column = 1; column <= query.ColumnCount(); ++column)
            values << query.ColumnValue(column).trimmed();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

// Each object's text joined from its rows, with the hidden and quoted-identifier bits of
// its rows. A script replayed from a file stores CR LF where the original had LF, and a
// batch ends with the line breaks its tool keeps before "GO"; neither changes the
// definition.
// Objects with a hidden text cannot be re-created and are left out.
QStringList objectTexts(TCTLibEnhQuery& query, QStringList& hidden)
{
    query.setSQL(QStringList{QStringLiteral(
        "select u.name + '.' + o.name, c.number, c.text, isnull(c.status, 0) from syscomments c, "
        "sysobjects o, sysusers u where c.id = o.id and u.uid = o.uid and o.type <> 'S' "
        "order by u.name, o.name, c.number, c.colid2, c.colid")});
    // The pieces keep their blanks: a piece may end or begin inside a run of them.
    query.TrimResults = false;
    QMap<QString, QString> texts;
    QMap<QString, int> statuses;
    if (query.Open() != 1)
        throw std::runtime_error("the text statement failed");
    {
        while (query.Next()) {
            const QString key =
                query.ColumnValue(1).trimmed() + QLatin1Char(';') + query.ColumnValue(2).trimmed();
            texts[key] += query.ColumnValue(3);
            statuses[key] |= query.ColumnValue(4).trimmed().toInt() & 0x5;
        }
    }
    QStringList rows;
    for (auto text = texts.cbegin(); text != texts.cend(); ++text) {
        if (statuses.value(text.key()) & 0x1) {
            hidden << text.key();
            continue;
        }
        QString body = text.value();
        body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        // How many line breaks end a batch depends on the tool that sent it.
        while (body.endsWith(QLatin1Char('\n')))
            body.chop(1);
        // One row a text, its control characters visible in a failed comparison.
        body.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('\n'), QLatin1String("\\n"))
            .replace(QLatin1Char('\r'), QLatin1String("\\r"))
            .replace(QLatin1Char('\t'), QLatin1String("\\t"));
        rows << QStringLiteral("syscomments|") + text.key() + QLatin1Char('|') +
                    QString::number(statuses.value(text.key())) + QLatin1Char('|') + body;
    }
    return rows;
}
}  // namespace

QStringList catalogSnapshot(const QString& database, QStringList* hiddenTexts)
{
    TCTLibEnhQuery query;
    query.DbName = QStringLiteral("db");
    query.setSQL(QStringList{QStringLiteral("USE ") + database});
    query.ExecSQL();
    QStringList rows;
    for (const QString& statement : snapshotStatements())
        rows += rowsOf(query, statement);
    QStringList hidden;
    rows += objectTexts(query, hidden);
    if (hiddenTexts)
        *hiddenTexts = hidden;
    // Names the server generates end in an object id (and index id), which differ in
    // every copy.
    static const QRegularExpression generatedId(QStringLiteral("_\\d{6,}(?=[|;]|$)"));
    for (QString& row : rows)
        row.replace(generatedId, QStringLiteral("_<id>"));
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList serverSnapshot(const QStringList& databases)
{
    TCTLibEnhQuery query;
    query.DbName = QStringLiteral("db");
    QStringList statements{
        "select 'syslogins', suid, name, dbname, language, fullname, status & 2, password, "
        "object_name(procid, db_id(dbname)) from master..syslogins",
        "select 'sysloginroles', l.name, r.name, lr.status from master..sysloginroles lr, "
        "master..syslogins l, master..syssrvroles r where l.suid = lr.suid and r.srid = lr.srid",
        "select 'syssrvroles', srid, name, case when password is null then 0 else 1 end "
        "from master..syssrvroles",
        "select 'role granted', r1.name, r2.name from master..sysattributes a, "
        "master..syssrvroles r1, master..syssrvroles r2 where a.class = 8 and a.attribute = 2 "
        "and r1.srid = a.object and r2.srid = a.object_info1",
        "select 'sysdatabases', name, suser_name(suid), status, status2 from master..sysdatabases",
        "select 'sysusages', d.name, u.lstart, u.size, u.segmap, v.name from master..sysusages u, "
        "master..sysdatabases d, master..sysdevices v where d.dbid = u.dbid and "
        "v.vdevno = u.vdevno and v.status & 16 = 0",
        "select 'sysdevices', name, phyname, status, cntrltype, high - low, vdevno "
        "from master..sysdevices",
        "select 'sysservers', srvid, srvname, srvnetname, srvclass, srvstatus "
        "from master..sysservers",
        "select 'sysconfigures', name, value, value2 from master..sysconfigures"};
    for (const QString& database : databases) {
        statements << QStringLiteral(
                          "select 'syssegments', '%1', segment, name from %1..syssegments")
                          .arg(database)
                   << QStringLiteral(
                          "select 'systhresholds', '%1', s.name, t.free_space, "
                          "t.proc_name, t.status from %1..systhresholds t, "
                          "%1..syssegments s where s.segment = t.segment")
                          .arg(database);
    }
    QStringList rows;
    for (const QString& statement : statements)
        rows += rowsOf(query, statement);
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList snapshotDifferences(const QStringList& before, const QStringList& after)
{
    QStringList differences;
    for (const QString& row : before) {
        if (!after.contains(row))
            differences << QStringLiteral("- ") + row;
    }
    for (const QString& row : after) {
        if (!before.contains(row))
            differences << QStringLiteral("+ ") + row;
    }
    return differences;
}

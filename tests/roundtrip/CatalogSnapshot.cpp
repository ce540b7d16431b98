#include "CatalogSnapshot.h"

#include "CTLibEnhQuery.h"

#include <QMap>
#include <QRegularExpression>
#include <algorithm>

namespace {
// Rows of each catalog table with every id replaced by the name it stands for.
const char* const snapshotStatements[] = {
    "select 'sysobjects', u.name, o.name, o.type from sysobjects o, sysusers u "
    "where o.uid = u.uid and o.type <> 'S'",
    "select 'syscolumns', o.name, c.number, c.colid, c.name, c.type, t.name, c.length, c.prec, "
    "c.scale, c.status, d.name, r.name from syscolumns c join sysobjects o on c.id = o.id "
    "join systypes t on c.usertype = t.usertype left join sysobjects d on d.id = c.cdefault "
    "left join sysobjects r on r.id = c.domain where o.type <> 'S'",
    "select 'sysindexes', o.name, i.name, i.indid, i.status, i.status2, i.keycnt, s.name, "
    "index_col(o.name, i.indid, 1), index_col(o.name, i.indid, 2), "
    "index_col(o.name, i.indid, 3) from sysindexes i join sysobjects o on i.id = o.id "
    "left join syssegments s on s.segment = i.segment where o.type <> 'S'",
    "select 'sysusers', u.name, g.name, suser_name(u.suid) from sysusers u, sysusers g "
    "where u.gid = g.uid",
    "select 'systypes', t.name, t.type, t.length, t.prec, t.scale, t.allownulls, t.ident, "
    "d.name, r.name from systypes t left join sysobjects d on d.id = t.tdefault "
    "left join sysobjects r on r.id = t.domain",
    "select 'sysprotects', o.name, u.name, p.action, p.protecttype, p.columns, g.name "
    "from sysprotects p left join sysobjects o on o.id = p.id join sysusers u on u.uid = p.uid "
    "join sysusers g on g.uid = p.grantor",
};

QStringList rowsOf(TCTLibEnhQuery& query, const QString& statement)
{
    QStringList rows;
    query.setSQL(QStringList{statement});
    if (query.Open() != 1)
        return rows;
    while (query.Next()) {
        QStringList values;
        for (int column = 1; column <= query.ColumnCount(); ++column)
            values << query.ColumnValue(column).trimmed();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

// Each object's text joined from its rows. How the text is cut into rows depends on its
// byte count, and a script replayed from a file stores CR LF where the original had
// LF; neither changes the definition.
QStringList objectTexts(TCTLibEnhQuery& query)
{
    query.setSQL(QStringList{QStringLiteral(
        "select o.name, c.number, c.text from syscomments c, sysobjects o where c.id = o.id "
        "order by o.name, c.number, c.colid2, c.colid")});
    QMap<QString, QString> texts;
    if (query.Open() == 1) {
        while (query.Next())
            texts[query.ColumnValue(1).trimmed() + QLatin1Char(';') + query.ColumnValue(2)] +=
                query.ColumnValue(3);
    }
    QStringList rows;
    for (auto text = texts.cbegin(); text != texts.cend(); ++text) {
        QString body = text.value();
        body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        rows << QStringLiteral("syscomments|") + text.key() + QLatin1Char('|') + body.trimmed();
    }
    return rows;
}
}  // namespace

QStringList catalogSnapshot(const QString& database)
{
    TCTLibEnhQuery query;
    query.DbName = QStringLiteral("db");
    query.setSQL(QStringList{QStringLiteral("USE ") + database});
    query.ExecSQL();
    QStringList rows;
    for (const char* statement : snapshotStatements)
        rows += rowsOf(query, QString::fromLatin1(statement));
    rows += objectTexts(query);
    // Names the server generates end in an object id, which differs in every copy.
    static const QRegularExpression generatedId(QStringLiteral("_\\d{6,}(?=[|;]|$)"));
    for (QString& row : rows)
        row.replace(generatedId, QStringLiteral("_<id>"));
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

// The texts of the catalog statements, line by line. Values that stand inside a string
// literal have that literal's quote character doubled, so a name containing it can
// neither end the literal early nor change the statement; other names are inserted as
// they are.
#pragma once

#include <QString>
#include <QStringList>

namespace CatalogStatements {

// `value` with every `quote` doubled, for use between two `quote` characters.
QString inLiteral(const QString& value, QChar quote);

QStringList objectOwner(const QString& db, const QString& name);
QStringList objectInfo(const QString& db, const QString& name);
QStringList describeTable(const QString& qualifiedName);
QStringList procedureParameters(const QString& db, const QString& qualifiedName, bool sqlAnywhere);
QStringList tableColumns(const QString& db, const QString& name, bool sqlAnywhere);

QStringList indexNames(const QString& db, const QString& owner, const QString& table,
                       bool sqlAnywhere);
QStringList indexInfo(const QString& db, const QString& index, const QString& table,
                      bool sqlAnywhere);
// `owner` is the table's owner; for tables of dbo the text is the classic one.
QStringList indexColumns(const QString& db, const QString& owner, const QString& tableDotIndex,
                         bool sqlAnywhere);

QStringList objectKind(const QString& db, const QString& name);
QStringList objectText(const QString& db, const QString& owner, const QString& name,
                       bool sqlAnywhere);

QStringList userInfo(const QString& db, const QString& name);
QStringList typeInfo(const QString& db, const QString& name);
QStringList protects(const QString& db, const QString& filterLine);
// The column ids and names of a table or view, in column order.
QStringList columnNames(const QString& db, int objectId);

}  // namespace CatalogStatements

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
// The owners of the objects of one type with that name.
QStringList ownersOfType(const QString& db, const QString& name, const QString& type);
// With an owner, only that owner's object.
QStringList objectInfo(const QString& db, const QString& name, const QString& owner = QString());
QStringList describeTable(const QString& qualifiedName);
QStringList procedureParameters(const QString& db, const QString& qualifiedName, bool sqlAnywhere);
QStringList tableColumns(const QString& db, const QString& name, bool sqlAnywhere);

QStringList indexNames(const QString& db, const QString& owner, const QString& table,
                       bool sqlAnywhere);
QStringList indexInfo(const QString& db, const QString& index, const QString& table,
                      bool sqlAnywhere, const QString& owner = QString());
// Fill factor, rows per page, page gap, status2 and the order (ASC/DESC) of each key.
QStringList indexOptions(const QString& db, const QString& qualifiedTable, int tableId, int indid,
                         int maxKeys);
// `owner` is the table's owner; for tables of dbo the text is the classic one.
QStringList indexColumns(const QString& db, const QString& owner, const QString& tableDotIndex,
                         bool sqlAnywhere);

QStringList objectKind(const QString& db, const QString& name);
QStringList objectText(const QString& db, const QString& owner, const QString& name,
                       bool sqlAnywhere);

QStringList userInfo(const QString& db, const QString& name);
QStringList typeInfo(const QString& db, const QString& name);
QStringList protects(const QString& db, const QString& filterLine);
// The filter lines of protects(): the rows of one object, one user or one action.
QString protectsOfObjectId(int id);
QString protectsOfObjectName(const QString& name);
QString protectsOfUserId(int uid);
QString protectsOfUserName(const QString& name);
QString protectsOfAction(int actionCode);
// The column ids and names of a table or view, in column order.
QStringList columnNames(const QString& db, int objectId);

// The reads of a whole table definition, keyed by the table's owner and name or its id.
QStringList objectId(const QString& db, const QString& owner, const QString& name);
QStringList tableStorage(const QString& db, int tableId);
// colid, name, type name, length, prec, scale, status, usertype, the column's and its
// datatype's default and rule ids, the default's owner and name, whether it is declared,
// the rule's owner and name, and whether the column's domain is a check constraint.
QStringList columnDefinitions(const QString& db, int tableId);
// colid and one text row of each column's default, in text order.
QStringList columnDefaultTexts(const QString& db, int tableId);
// Primary key and unique constraints with up to `maxKeys` keys and their orders.
QStringList keyConstraints(const QString& db, const QString& qualifiedTable, int tableId,
                           int maxKeys);
QStringList checkConstraints(const QString& db, int tableId);
QStringList foreignKeys(const QString& db, int tableId, int maxKeys);
// The foreign keys of other tables that reference this one: name, owner and table.
QStringList referencingForeignKeys(const QString& db, int tableId);
// The default and rule bound to a user datatype: owner and name of each.
QStringList typeBindings(const QString& db, const QString& name);
QStringList loginName(int suid);
// The logins aliased to a user of the database.
QStringList aliasesOf(const QString& db, const QString& user);
QStringList ncharSize();
// The hidden columns of function-based index keys: name and a piece of the expression.
QStringList computedKeyColumns(const QString& db, int tableId);
// The statement permissions (GRANT CREATE TABLE ...) of a user or group: action and
// protect type.
QStringList statementPermissions(const QString& db, const QString& principal);
// Views, procedures and triggers: id, owner, name and creation date (style 23).
QStringList compiledObjects(const QString& db);
QStringList dependencies(const QString& db);
// Objects whose sysdepends rows name an object that no longer exists.
QStringList danglingDependencies(const QString& db);

}  // namespace CatalogStatements

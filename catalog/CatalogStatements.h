// The texts of the catalog statements, line by line. Values that stand inside a string
// literal have that literal's quote character doubled, so a name containing it can
// neither end the literal early nor change the statement; other names are inserted as
// they are.
#pragma once

#include <QString>
#include <QStringList>

namespace CatalogStatements {

// The catalog reads that serve one object at a time or a whole database. The read of one
// object is the whole-database read filtered on its key; the whole-database read returns
// the key columns first and then exactly the columns of the read of one object, so that
// the rows of one key are the rows the read of that object returns, in the same order.
enum class CatalogSet {
    // Objects with their owner, triggers, creation date, status and how many columns
    // syscolumns holds for them; keyed by name, owner.
    Objects,
    // The index names of a table other than those of key constraints; by table, owner.
    IndexNames,
    // An index with its table, segment, status, space options and the order of up to
    // kMaxIndexKeys keys; by table, index, owner.
    Indexes,
    // The key columns of an index, in key order; by table id, index name.
    IndexKeys,
    // Computed columns, declared or hidden behind function-based index keys: name, a piece
    // of the expression, the column's status2 and the piece's colid2 and colid; by table id.
    ComputedKeys,
    // The pieces of an object's stored text, their status, number, colid2 and colid; by
    // name, owner.
    Texts,
    // Privilege rows: of an object by its id; statement permissions (GRANT CREATE TABLE
    // ...) have object id 0 and are read by id 0 and the principal's name.
    Protects,
    // Lock scheme and storage options of a table; by table id.
    TableStorage,
    // colid, name, type name (empty when systypes does not hold the usertype), length, prec, scale,
    // status, usertype, the column's and its
    // datatype's default and rule ids, the default's owner and name, whether it is
    // declared, the rule's owner and name, whether the column's domain is a check
    // constraint, and status2; by table id. Function-key columns are left out.
    ColumnDefinitions,
    // colid, one text row of each column's declared default and the row's colid2 and colid,
    // in text order; by table id.
    ColumnDefaultTexts,
    // Primary key and unique constraints with up to kMaxIndexKeys keys and their orders;
    // by table id.
    KeyConstraints,
    // Check constraints: name, column id, one text row and its colid2 and colid; by table id.
    CheckConstraints,
    // Foreign keys with up to kMaxReferenceKeys key pairs, then the referenced table's
    // database when it is another one and its id; by table id.
    ForeignKeys,
    // The foreign keys of other tables that reference a table: name, owner and table; by
    // the referenced table's id.
    ReferencingForeignKeys,
    // The default and rule bound to a user datatype: owner and name of each; by type name.
    TypeBindings,
    // A user with its ids, group and login; by user name.
    Users,
    // The logins aliased to a user of the database; by user name.
    Aliases,
    // A user datatype with its storage type, defaults and rules; by type name.
    Types,
    // sysdepends: an object, an object it refers to and whether that one still exists;
    // by the first object's id. Read whole with an empty key.
    Dependencies,
    // The user datatypes a rule or default (of CREATE RULE or CREATE DEFAULT) is bound to:
    // their names; by the object's name, owner.
    TypesBoundTo,
    // The columns a rule or default is bound to other than through their datatype: the
    // table's owner and name and the column's name; by the object's name, owner.
    ColumnsBoundTo,
};
constexpr int CatalogSetCount = static_cast<int>(CatalogSet::ColumnsBoundTo) + 1;
constexpr int kMaxIndexKeys = 31;
constexpr int kMaxReferenceKeys = 16;
// syscolumns.status2: a computed column, one whose values are stored, and the hidden
// column behind a function-based index key (a bit the documented table does not list).
constexpr int kColumn2Computed = 0x10;
constexpr int kColumn2Materialized = 0x20;
constexpr int kColumn2FunctionKey = 0x200;

// The read of the objects whose key starts with `key` (a prefix of the set's key values;
// every row when it is empty).
QStringList forKey(CatalogSet set, const QString& db, const QStringList& key);
// The read of the whole database: the key columns, then the columns of forKey().
QStringList wholeDatabase(CatalogSet set, const QString& db);
int keyColumnCount(CatalogSet set);
// The read of the whole database restricted to the rows whose first key is one of
// `firstKeys`: the same columns and order, for the objects of a selection.
QStringList scopedRead(CatalogSet set, const QString& db, const QStringList& firstKeys);
// Whether a set's first key is an object id rather than a name.
bool keyedById(CatalogSet set);

// `value` with every `quote` doubled, for use between two `quote` characters.
QString inLiteral(const QString& value, QChar quote);
// `value` as a string literal in single quotes.
QString singleQuoted(const QString& value);

QStringList describeTable(const QString& qualifiedName);
QStringList procedureParameters(const QString& db, const QString& qualifiedName, bool sqlAnywhere);
QStringList tableColumns(const QString& db, const QString& name, bool sqlAnywhere);
// The owners of the objects of one type with that name.
QStringList ownersOfType(const QString& db, const QString& name, const QString& type);

// SQL Anywhere's index reads.
QStringList sqlAnywhereIndexNames(const QString& table);
QStringList sqlAnywhereIndexInfo(const QString& index, const QString& table);
QStringList sqlAnywhereIndexColumns(const QString& tableDotIndex);

QStringList objectKind(const QString& db, const QString& name);
QStringList sqlAnywhereObjectText(const QString& name);

// Privilege rows that meet `condition` (one of the conditions below).
QStringList protects(const QString& db, const QString& condition);
// The conditions of protects(): the rows of one object, one user or one action.
QString protectsOfObjectId(int id);
QString protectsOfObjectName(const QString& db, const QString& name);
QString protectsOfUserId(int uid);
QString protectsOfUserName(const QString& name);
QString protectsOfAction(int actionCode);
// The rows on the system tables of `db` that `reference` has too.
QString protectsOfSystemTables(const QString& db, const QString& reference);

QStringList ncharSize();
// The owner's name of an object of another database.
QStringList ownerInDatabase(const QString& db, int objectId);
// Users and groups by name: name, uid (a group's is its gid) and how many tables each owns.
QStringList principals(const QString& db);
// Views, procedures and triggers: id, owner, name and creation date (style 23).
QStringList compiledObjects(const QString& db);

}  // namespace CatalogStatements

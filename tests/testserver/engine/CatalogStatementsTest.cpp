// The client's catalog statements, taken from the client's own statement builders and
// sent as the client sends them, against the demo database. Expected values follow from
// the catalog rules (ids, status bits, lengths), not from a recording of the engine's
// output.
#include "CTLibEnhQuery.h"
#include "CTLibTypes.h"
#include "CatalogStatements.h"
#include "DemoDatabase.h"
#include "ObjectListing.h"

#include <map>

namespace Sql = CatalogStatements;
using Sql::CatalogSet;

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

const QString kDemo = QStringLiteral("demo");

// The bytes the client's query sends for the lines of a statement.
std::string sent(const QStringList& lines)
{
    return TCTLibCustomQuery::sentText(lines).toStdString();
}

std::string sent(const QString& statement)
{
    return sent(QStringList{statement});
}

// The explorer's listing of one kind on Adaptive Server.
std::string listing(ObjectKind kind, const QString& database = kDemo)
{
    return sent(objectListingStatement(kind, database, kSybaseSqlServer));
}

class CatalogStatements : public DemoFixture {
protected:
    std::string columnStatement(const QString& table)
    {
        return sent(Sql::tableColumns(kDemo, table, false));
    }
    std::string keyed(CatalogSet set, const QStringList& key)
    {
        return sent(Sql::forKey(set, kDemo, key));
    }
    std::string objectInfo(const QString& name) { return keyed(CatalogSet::Objects, {name}); }
    std::string indexInfo(const QString& index, const QString& table)
    {
        return keyed(CatalogSet::Indexes, {table, index});
    }
    std::string indexNames(const QString& owner, const QString& table)
    {
        return keyed(CatalogSet::IndexNames, {table, owner});
    }
    std::string indexColumns(const QString& table, const QString& index)
    {
        return keyed(CatalogSet::IndexKeys,
                     {QString::fromStdString(objectId(table.toStdString())), index});
    }
    std::string typeInfo(const QString& name) { return keyed(CatalogSet::Types, {name}); }
    std::string protects(const QString& filterLine)
    {
        return sent(Sql::protects(kDemo, filterLine));
    }
};

TEST_F(CatalogStatements, DatabaseListIsDescendingByName)
{
    EXPECT_EQ(
        column(sent(databaseListingStatement(kSybaseSqlServer))),
        (Rows{"tempdb", "sybsystemprocs", "sybsystemdb", "model", "master", "inventory", "demo"}));
}

TEST_F(CatalogStatements, TreeFoldersListUsersGroupsAndObjects)
{
    EXPECT_EQ(column(listing(ObjectKind::Users)),
              (Rows{"ann", "bob", "dbo", "guest", "john", "mary"}));
    // Groups include public and the system role rows (uid = gid, from 16384).
    Rows groups = column(listing(ObjectKind::Groups));
    EXPECT_EQ(groups.front(), "engineering");
    for (const char* name : {"public", "readers", "sales", "sa_role"}) {
        EXPECT_NE(std::find(groups.begin(), groups.end(), name), groups.end()) << name;
    }
    EXPECT_EQ(column(listing(ObjectKind::Tables)),
              (Rows{"dbo.all_types", "dbo.customers", "mary.notes", "dbo.nullable_types",
                    "dbo.order_lines", "dbo.orders", "dbo.table_name_with_thirty_chars_x"}));
    EXPECT_EQ(column(listing(ObjectKind::Views)), (Rows{"dbo.v_customers", "dbo.v_order_totals"}));
    EXPECT_EQ(column(listing(ObjectKind::Triggers)),
              (Rows{"dbo.customers_ins", "dbo.customers_upd", "dbo.order_lines_insupd",
                    "dbo.orders_del"}));
    EXPECT_EQ(column(listing(ObjectKind::Procedures)),
              (Rows{"dbo.p_customer_report", "dbo.p_get_customer", "dbo.p_orders",
                    "dbo.p_rename_customer"}));
    // Rules and the defaults of CREATE DEFAULT; the declared defaults of customers are
    // type 'D' rows as well, yet belong to their table.
    EXPECT_EQ(column(listing(ObjectKind::Rules)),
              (Rows{"dbo.d_country", "dbo.d_zero", "dbo.r_positive", "dbo.r_zip"}));
    EXPECT_EQ(scalar("select count(*) from sysobjects where type = 'D'"), "4");
    // The first user type gets usertype 100.
    EXPECT_EQ(column(listing(ObjectKind::DataTypes)),
              (Rows{"amount", "row_id", "short_note", "ssn", "zipcode"}));
}

TEST_F(CatalogStatements, IndexListingCoversUserAndSystemTables)
{
    Rows indexes = column(listing(ObjectKind::Indexes));
    Rows userPart(indexes.begin(), indexes.begin() + 6);
    EXPECT_EQ(userPart, (Rows{"all_types.tall_types", "customers.customers_pk",
                              "customers.customers_name", "order_lines.order_lines_ci",
                              "orders.orders_by_customer", "orders.orders_id"}));
    EXPECT_NE(std::find(indexes.begin(), indexes.end(), "sysobjects.sysobjects"), indexes.end());
}

TEST_F(CatalogStatements, OneListingOfEveryKindHasEachKindsOwnListingInKindOrder)
{
    for (const QString& database : {kDemo, QStringLiteral("inventory")}) {
        Rows separately;
        QList<ObjectKind> kinds;
        for (ObjectKind kind : AllObjectKinds) {
            kinds << kind;
            for (const std::string& caption : column(listing(kind, database)))
                separately.push_back(std::to_string(static_cast<int>(kind)) + " " + caption);
        }
        Rows together;
        for (const Row& row : query(sent(objectsListingStatement(kinds, database))).rows)
            together.push_back(text(row.at(0)) + " " + text(row.at(3)));
        EXPECT_EQ(together, separately) << database.toStdString();
    }
}

TEST_F(CatalogStatements, ObjectOwnerOfTableOwnedByAnotherUser)
{
    ResultSet notes = query(objectInfo("notes"));
    ASSERT_EQ(notes.rows.size(), 1u);
    EXPECT_EQ(text(notes.rows[0][3]), "mary");
    EXPECT_TRUE(query(keyed(CatalogSet::Objects, {"notes", "dbo"})).rows.empty());
    EXPECT_EQ(query(keyed(CatalogSet::Objects, {"notes", "mary"})).rows.size(), 1u);
    EXPECT_TRUE(query(objectInfo("nothing")).rows.empty());
}

TEST_F(CatalogStatements, ObjectInfoLinksTriggersThroughOuterJoins)
{
    ResultSet set = query(objectInfo("customers"));
    ASSERT_EQ(set.rows.size(), 1u);
    const Row& row = set.rows[0];
    EXPECT_EQ(text(row[1]), objectId("customers"));
    EXPECT_EQ(text(row[3]), "dbo");
    EXPECT_EQ(text(row[4]), "U ");
    EXPECT_EQ(text(row[5]), "0");     // no delete trigger
    EXPECT_EQ(text(row[6]), "NULL");  // so its name comes from the outer join as NULL
    EXPECT_EQ(text(row[7]), objectId("customers_ins"));
    EXPECT_EQ(text(row[8]), "customers_ins");
    EXPECT_EQ(text(row[10]), "customers_upd");
    // allpages (0x2000), 11.9+ (0x10000), identity (0x40), clustered index (0x20000)
    EXPECT_EQ(row[12].intValue, 0x2000 | 0x10000 | 0x40 | 0x20000);
    EXPECT_EQ(set.columns[6].type, ColumnType::VarChar);
    EXPECT_TRUE(set.columns[6].nullable);
    EXPECT_EQ(set.columns[4].type, ColumnType::Char);
    EXPECT_EQ(set.columns[11].type, ColumnType::DateTime);

    // A trigger row points at its table through deltrig.
    ResultSet trigger = query(objectInfo("orders_del"));
    ASSERT_EQ(trigger.rows.size(), 1u);
    EXPECT_EQ(text(trigger.rows[0][4]), "TR");
    EXPECT_EQ(text(trigger.rows[0][5]), objectId("orders"));
    EXPECT_EQ(text(trigger.rows[0][6]), "orders");
    EXPECT_TRUE(query(objectInfo("no_such_object")).rows.empty());
}

TEST_F(CatalogStatements, TableDescriptionHasDeclaredTypes)
{
    ResultSet set = query(sent(Sql::describeTable("demo.dbo.customers")));
    EXPECT_TRUE(set.rows.empty());
    ASSERT_EQ(set.columns.size(), 8u);
    EXPECT_EQ(set.columns[0].name, "cust_id");
    EXPECT_EQ(set.columns[0].type, ColumnType::Numeric);
    EXPECT_EQ(set.columns[0].precision, 10);
    EXPECT_FALSE(set.columns[0].nullable);
    EXPECT_EQ(set.columns[3].type, ColumnType::VarChar);  // zipcode: nullable char
    EXPECT_TRUE(set.columns[3].nullable);
    EXPECT_EQ(set.columns[4].scale, 2);       // amount numeric(12,2)
    EXPECT_GE(set.columns[2].userType, 100);  // ssn, a user type
}

TEST_F(CatalogStatements, ProcedureParametersWithGroupNumberOne)
{
    std::string statement = sent(Sql::procedureParameters(kDemo, "demo.dbo.p_get_customer", false));
    // numeric(10,0) takes 6 bytes; parameters are nullable (8), output ones add 0x40.
    EXPECT_EQ(rows(statement),
              (Rows{"@cust_id\t6\t0\t10\tnumeric\t8", "@name\t40\t0\t0\tvarchar\t72"}));
}

TEST_F(CatalogStatements, ColumnStatementForEveryBuiltinType)
{
    Rows expected = {"c_tinyint\ttinyint\t3\t0\t1\t0\t0",
                     "c_smallint\tsmallint\t5\t0\t2\t0\t0",
                     "c_int\tint\t10\t0\t4\t0\t0",
                     "c_bigint\tbigint\t19\t0\t8\t0\t0",
                     "c_bit\tbit\t1\t0\t1\t0\t0",
                     "c_numeric\tnumeric\t10\t2\t6\t0\t0",
                     "c_decimal\tdecimal\t18\t4\t9\t0\t0",
                     "c_float\tfloat\t15\t0\t8\t0\t0",
                     "c_real\treal\t7\t0\t4\t0\t0",
                     "c_money\tmoney\t19\t4\t8\t0\t0",
                     "c_smallmoney\tsmallmoney\t10\t4\t4\t0\t0",
                     "c_datetime\tdatetime\t23\t3\t8\t0\t0",
                     "c_smalldatetime\tsmalldatetime\t16\t0\t4\t0\t0",
                     "c_date\tdate\t10\t0\t4\t0\t0",
                     "c_time\ttime\t12\t3\t4\t0\t0",
                     "c_char\tchar\t10\t0\t10\t0\t0",
                     "c_varchar\tvarchar\t100\t0\t100\t0\t0",
                     "c_nchar\tnchar\t5\t0\t5\t0\t0",
                     "c_nvarchar\tnvarchar\t20\t0\t20\t0\t0",
                     "c_binary\tbinary\t8\t0\t8\t0\t0",
                     "c_varbinary\tvarbinary\t16\t0\t16\t0\t0",
                     "c_unichar\tunichar\t8\t0\t8\t0\t0",
                     "c_univarchar\tunivarchar\t20\t0\t20\t0\t0",
                     "c_usmallint\tusmallint\t5\t0\t2\t0\t0",
                     "c_uint\tuint\t10\t0\t4\t0\t0",
                     "c_ubigint\tubigint\t20\t0\t8\t0\t0",
                     "c_sysname\tsysname\t30\t0\t30\t0\t0",
                     "c_timestamp\ttimestamp\t8\t0\t8\t0\t0",
                     "c_text\ttext\t2147483647\t0\t16\t0\t1",
                     "c_image\timage\t2147483647\t0\t16\t0\t1",
                     "c_unitext\tunitext\t2147483647\t0\t16\t0\t1"};
    EXPECT_EQ(rows(columnStatement("all_types")), expected);
    ResultSet set = query(columnStatement("all_types"));
    EXPECT_EQ(set.columns[0].name, "column_name");
    EXPECT_EQ(set.columns[2].type, ColumnType::Int);
    EXPECT_EQ(set.columns[5].type, ColumnType::Bit);
    EXPECT_EQ(set.columns[6].type, ColumnType::SmallInt);
}

TEST_F(CatalogStatements, ColumnStatementForNullableAndUserTypes)
{
    Rows nullable = rows(columnStatement("nullable_types"));
    ASSERT_EQ(nullable.size(), 16u);
    EXPECT_EQ(nullable[0],
              "n_tinyint\ttinyint\t3\t0\t1\t0\t1");  // stored as intn, read as declared
    EXPECT_EQ(nullable[10], "n_datetime\tdatetime\t23\t3\t8\t0\t1");
    EXPECT_EQ(nullable[15], "n_default_null\tint\t10\t0\t4\t0\t0");  // NOT NULL by default
    EXPECT_EQ(rows(columnStatement("customers")),
              (Rows{"cust_id\trow_id\t10\t0\t6\t1\t0", "name\tvarchar\t40\t0\t40\t0\t0",
                    "ssn\tssn\t11\t0\t11\t0\t0", "zip\tzipcode\t5\t0\t5\t0\t1",
                    "balance\tamount\t12\t2\t6\t0\t1", "country\tchar\t3\t0\t3\t0\t0",
                    "created\tdatetime\t23\t3\t8\t0\t0", "notes\tshort_note\t40\t0\t40\t0\t1"}));
    EXPECT_EQ(column(columnStatement("table_name_with_thirty_chars_x")),
              (Rows{"a_column_named_with_thirty_chr", "short_col"}));
    EXPECT_TRUE(query(columnStatement("p_get_customer")).rows.empty());  // procedures excluded
}

TEST_F(CatalogStatements, IndexNamesInStorageOrderIncludingTextChain)
{
    EXPECT_EQ(column(indexNames("dbo", "customers")), (Rows{"customers_pk", "customers_name"}));
    EXPECT_EQ(column(indexNames("dbo", "all_types")), (Rows{"tall_types"}));
    EXPECT_TRUE(query(indexNames("dbo", "nullable_types")).rows.empty());
    EXPECT_EQ(column(indexNames("mary", "notes")), Rows{});
}

TEST_F(CatalogStatements, IndexInfoStatusBitsAndSegments)
{
    // name, indid, segment, segment name, status, status2
    auto summary = [&](const QString& index, const QString& table) {
        ResultSet set = query(indexInfo(index, table));
        if (set.rows.size() != 1)
            return std::string("rows: ") + std::to_string(set.rows.size());
        const Row& r = set.rows[0];
        return text(r[0]) + " " + text(r[3]) + " " + text(r[4]) + " " + text(r[5]) + " " +
               text(r[9]) + " " + text(r[10]);
    };
    EXPECT_EQ(summary("customers_pk", "customers"),
              "customers_pk 1 1 default 19 0");  // 0x1|0x2|0x10
    EXPECT_EQ(summary("customers_name", "customers"),
              "customers_name 2 3 demo_seg 512 0");  // sorted_data
    EXPECT_EQ(summary("orders_by_customer", "orders"),
              "orders_by_customer 1 1 default 80 0");  // 0x10|0x40
    EXPECT_EQ(summary("order_lines_ci", "order_lines"),
              "order_lines_ci 1 1 default 20 0");  // 0x10|0x4
    EXPECT_EQ(summary("orders_id", "orders"), "orders_id 2 1 default 2 0");
    EXPECT_EQ(summary("customers_pk", "orders"), "rows: 0");
    EXPECT_EQ(scalar("select keycnt from sysindexes where name = 'customers_name'"),
              "3");  // keys + 1
    EXPECT_EQ(scalar("select keycnt from sysindexes where name = 'orders_by_customer'"), "2");
}

TEST_F(CatalogStatements, IndexColumnsInKeyOrder)
{
    EXPECT_EQ(column(indexColumns("customers", "customers_name")), (Rows{"name", "zip"}));
    EXPECT_EQ(column(indexColumns("orders", "orders_by_customer")),
              (Rows{"cust_id", "order_date"}));
    EXPECT_EQ(column(indexColumns("order_lines", "order_lines_ci")), (Rows{"order_id", "line_no"}));
    EXPECT_TRUE(query(indexColumns("customers", "no_such_index")).rows.empty());
}

TEST_F(CatalogStatements, ObjectTextComesBackInPiecesOf255Bytes)
{
    EXPECT_EQ(column(sent(Sql::objectKind(kDemo, "p_customer_report"))), (Rows{"P "}));
    EXPECT_EQ(column(sent(Sql::objectKind(kDemo, "customers"))), (Rows{"U "}));
    Rows pieces = column(keyed(CatalogSet::Texts, {"p_customer_report", "dbo"}));
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 255u);
    EXPECT_EQ(pieces[1].size(), 255u);
    std::string joined = pieces[0] + pieces[1] + pieces[2];
    std::string script = readTestData("demo.sql");
    size_t start = script.find("create procedure p_customer_report");
    size_t end = script.find("\ngo\n", start);
    EXPECT_EQ(joined, script.substr(start, end + 1 - start));

    Rows rename = column(keyed(CatalogSet::Texts, {"p_rename_customer", "dbo"}));
    ASSERT_GE(rename.size(), 2u);
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(rename[0].back())));
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(rename[1].front())));  // cut inside a word
}

TEST_F(CatalogStatements, ProcedureGroupKeepsOneObjectWithNumberedText)
{
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'p_orders'"), "1");
    EXPECT_EQ(
        column("select number from syscomments where id = object_id('p_orders') order by number"),
        (Rows{"1", "2"}));
    EXPECT_EQ(
        column(
            "select c.name from syscolumns c where c.id = object_id('p_orders') order by number"),
        (Rows{"@cust_id", "@order_id"}));
}

TEST_F(CatalogStatements, UserInfoWithGroupName)
{
    auto forUser = [&](const QString& name) { return rows(keyed(CatalogSet::Users, {name})); };
    // Logins get suids after sa (1) in creation order; users uids from 3; groups uids
    // follow the six role rows (16384..16389). guest has no login.
    EXPECT_EQ(forUser("mary"), (Rows{"mary\t2\t3\t16390\tsales\tmary"}));
    EXPECT_EQ(forUser("john"), (Rows{"john\t3\t4\t16391\tengineering\tjohn"}));
    EXPECT_EQ(forUser("bob"), (Rows{"bob\t5\t6\t0\tpublic\tbob"}));
    EXPECT_EQ(forUser("guest"), (Rows{"guest\t-1\t2\t0\tpublic\tNULL"}));
    EXPECT_TRUE(forUser("nobody").empty());
}

TEST_F(CatalogStatements, TypeInfoWithBoundRuleAndDefault)
{
    EXPECT_EQ(
        rows(typeInfo("amount")),
        (Rows{
            "amount         \tnumeric        \t6\t12\t2\t1\td_zero         \tr_positive     \t0"}));
    EXPECT_EQ(rows(typeInfo("row_id")),
              (Rows{"row_id         \tnumeric        \t6\t10\t0\t0\tNULL\tNULL\t1"}));
    EXPECT_EQ(rows(typeInfo("zipcode")),
              (Rows{"zipcode        \tchar           \t5\t0\t0\t1\tNULL\tr_zip          \t0"}));
    // The storage type is the built-in of that type with the lowest usertype: varchar,
    // not sysname or longsysname, which share its type.
    Rows ssn = rows(typeInfo("ssn"));
    ASSERT_FALSE(ssn.empty());
    EXPECT_EQ(ssn.back(), "ssn            \tvarchar        \t11\t0\t0\t0\tNULL\tNULL\t0");
    EXPECT_EQ(ssn.size(), 1u);
    EXPECT_TRUE(rows(typeInfo("int")).empty() == false);  // built-ins match themselves
    EXPECT_TRUE(rows(typeInfo("nosuchtype")).empty());
}

TEST_F(CatalogStatements, ProtectsWithGrantsAndRevoke)
{
    std::string id = objectId("customers");
    // The last column is the column bitmap: 0x01 for the whole table, bits of colids
    // for a column grant, NULL where columns do not apply (insert).
    Rows expected = {id + "\tcustomers\t0\tpublic\t193\t1\t1\tdbo\t\x01",
                     id + "\tcustomers\t4\tjohn\t193\t1\t1\tdbo\t\x14",
                     id + "\tcustomers\t16390\tsales\t195\t1\t1\tdbo\tNULL",
                     id + "\tcustomers\t5\tann\t197\t2\t1\tdbo\t\x01",
                     id + "\tcustomers\t16390\tsales\t197\t1\t1\tdbo\t\x01"};
    // Rows come in sysprotects order: id, action, grantor, uid, protecttype.
    EXPECT_EQ(rows(protects(Sql::protectsOfObjectName(kDemo, "customers"))), expected);
    Rows executes = rows(protects(Sql::protectsOfUserId(16390)));
    const std::string execute =
        objectId("p_customer_report") + "\tp_customer_report\t16390\tsales\t224\t0\t1\tdbo\t";
    EXPECT_NE(std::find_if(executes.begin(), executes.end(),
                           [&](const std::string& row) { return row.rfind(execute, 0) == 0; }),
              executes.end());
    EXPECT_TRUE(rows(protects(Sql::protectsOfObjectName(kDemo, "all_types"))).empty());
    EXPECT_EQ(rows(protects(Sql::protectsOfUserName("readers"))).size(), 1u);
    // Column grant: bits 2 and 3 of the bitmap for name (colid 2) and zip (colid 4).
    EXPECT_EQ(query("select columns from sysprotects where uid = 4").rows.at(0).at(0).bytes,
              std::string("\x14", 1));
    EXPECT_EQ(query("select columns from sysprotects where uid = 0 and action = 193 and id = " + id)
                  .rows.at(0)
                  .at(0)
                  .bytes,
              std::string("\x01", 1));
}

// The demo database has no constraints: the script comparisons cover those sets.
TEST_F(CatalogStatements, EachKeyOfAWholeDatabaseReadHasTheRowsOfItsOwnRead)
{
    for (int n = 0; n < Sql::CatalogSetCount; ++n) {
        const auto set = static_cast<CatalogSet>(n);
        const int keyCount = Sql::keyColumnCount(set);
        ResultSet whole = query(sent(Sql::wholeDatabase(set, kDemo)));
        std::map<std::vector<std::string>, Rows> byKey;
        for (const Row& row : whole.rows) {
            std::vector<std::string> key;
            std::string rest;
            for (size_t column = 0; column < row.size(); ++column) {
                if (int(column) < keyCount)
                    key.push_back(text(row[column]));
                else
                    rest += (int(column) == keyCount ? "" : "\t") + text(row[column]);
            }
            byKey[key].push_back(rest);
        }
        for (const auto& [key, expected] : byKey) {
            QStringList values;
            for (const std::string& value : key)
                values << QString::fromStdString(value);
            EXPECT_EQ(rows(keyed(set, values)), expected)
                << "set " << n << " key " << values.join(',').toStdString();
        }
    }
}

TEST_F(CatalogStatements, SecondDatabaseIsSeparate)
{
    EXPECT_EQ(column("select name from inventory..sysobjects where type = 'U'"), (Rows{"items"}));
    EXPECT_EQ(scalar("select count(*) from inventory.dbo.items"), "2");
    EXPECT_EQ(column(listing(ObjectKind::Users, "inventory")), (Rows{"dbo", "mary"}));
}

}  // namespace
}  // namespace tdsim::test

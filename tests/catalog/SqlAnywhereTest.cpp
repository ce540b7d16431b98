// The SQL Anywhere path of the connection, the query and the catalog reader, end to end
// through FreeTDS against tdsim's SQL Anywhere persona serving testdata/sqlanywhere.sql.
#include "CTLibException.h"
#include "CatalogFixture.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <memory>

// Failed comparisons print the text, not its code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// FreeTDS puts the interfaces entry's name into the login record's server field, where
// SQL Anywhere reads the database: the entry is named after the database.
const QString kDatabase = QStringLiteral("sademo");

class SqlAnywhereTest : public CatalogTest {
protected:
    static void SetUpTestSuite()
    {
        s_demo = std::make_unique<ConnectedServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/sqlanywhere.sql")},
            QStringList{"--product", "sqlanywhere"}, [](TdsimServer& server, TCTLibDatabase& db) {
                server.writeIniFile(entry(server, kDatabase));
                loginAsDba(server, db, kDatabase);
            });
    }

    void SetUp() override
    {
        CatalogTest::SetUp();
        info->setSelectDb(kDatabase);
    }

    static QString entry(const TdsimServer& server, const QString& name)
    {
        return QStringLiteral("[%1]\n    host = 127.0.0.1\n    port = %2\n    tds version = 5.0\n")
            .arg(name)
            .arg(server.port());
    }

    // Sets `db` up to log in to the interfaces entry `entryName` as DBA, the product's
    // default login.
    static void loginAsDba(const TdsimServer& server, TCTLibDatabase& db, const QString& entryName)
    {
        server.configure(db);
        db.ServerName = entryName;
        db.UserName = QStringLiteral("DBA");
        db.Password = QStringLiteral("sql");
        db.Rdbms = QStringLiteral("SQLAnywhere");
        db.setDbName(QStringLiteral("master"));
    }

    // Another connection to the interfaces entry `entryName` as DBA.
    static std::unique_ptr<TCTLibDatabase> connection(const QString& entryName,
                                                      const QString& name = QStringLiteral("db"))
    {
        auto db = std::make_unique<TCTLibDatabase>();
        db->SetName(name);
        loginAsDba(s_demo->server, *db, entryName);
        return db;
    }

    static QStringList firstColumn(TCTLibEnhQuery& query)
    {
        QStringList values;
        if (query.Open() != 1)
            return values;
        while (query.Next())
            values << query.ColumnValue(1);
        return values;
    }

    static std::unique_ptr<TCTLibEnhQuery> query(const QString& text, bool cursor)
    {
        auto q = std::make_unique<TCTLibEnhQuery>();
        q->DbName = "db";
        q->IsCursor = cursor;
        q->ReadOnly = true;
        q->CurFetchRows = 2;
        q->setSQL(QStringList{text});
        return q;
    }
};

TEST_F(SqlAnywhereTest, LoginTakesTheDatabaseFromTheEntryAndSendsNoUse)
{
    // The login left "master" alone: the server refuses USE, and the session is in sademo.
    EXPECT_EQ(firstColumn(*query("SELECT db_name()", false)), QStringList{kDatabase});
    EXPECT_EQ(firstColumn(*query("select @@version", false)), QStringList{"12.0.1.3152"});
    auto use = query("use master", false);
    EXPECT_THROW(use->ExecSQL(), EDatabaseError);
    EXPECT_EQ(firstColumn(*query("SELECT db_name()", false)), QStringList{kDatabase});
}

TEST_F(SqlAnywhereTest, LoginToAnEntryThatNamesNoDatabaseIsRefused)
{
    s_demo->server.writeIniFile(entry(s_demo->server, kDatabase) +
                                entry(s_demo->server, QStringLiteral("nodb")));
    std::unique_ptr<TCTLibDatabase> other = connection(QStringLiteral("nodb"), "other");
    other->ConnectError = false;
    EXPECT_NO_THROW(other->Connect());
    EXPECT_FALSE(other->connected());
    EXPECT_EQ(other->LastServerMessage().number, 4002);
}

TEST_F(SqlAnywhereTest, QuotedIdentifierOptionReachesTheSession)
{
    // "unique" names SYSINDEX's column only with quoted identifiers on; off, it is a string.
    const QString uniqueIndexes =
        QStringLiteral("SELECT count(*) FROM SYSINDEX WHERE \"unique\" = 'Y'");
    s_demo->db.ApplyProcOptions(poAnsiNull | poQuotedIdent);
    EXPECT_EQ(firstColumn(*query(uniqueIndexes, false)), QStringList{"2"});
    s_demo->db.ApplyProcOptions(poAnsiNull);
    EXPECT_EQ(firstColumn(*query(uniqueIndexes, false)), QStringList{"0"});
}

TEST_F(SqlAnywhereTest, CursorRowsStartWithTheFirstRow)
{
    // Nothing is discarded before the rows on SQL Anywhere: the first row must be there,
    // also across fetches of two rows each.
    auto cursor = query(
        "SELECT rtrim(table_name) FROM SYSTABLE WHERE table_type = 'BASE' AND creator = "
        "user_id('DBA') ORDER BY table_name",
        true);
    EXPECT_EQ(firstColumn(*cursor), (QStringList{"customer", "sales_order"}));
    auto many = query(
        "SELECT rtrim(column_name) FROM SYSCOLUMN WHERE table_id = object_id('customer') "
        "ORDER BY column_id",
        true);
    EXPECT_EQ(firstColumn(*many),
              (QStringList{"id", "name", "phone", "country", "created", "balance"}));
}

TEST_F(SqlAnywhereTest, TableScriptHasEveryColumnWithDomainOrUserType)
{
    EXPECT_EQ(
        info->GetTableScript("customer"),
        (QStringList{"CREATE TABLE DBA.customer", "(",
                     " id                            integer                      NOT NULL,",
                     " name                          varchar(40)                  NOT NULL,",
                     " phone                         phone_number                 NULL,",
                     " country                       country_code                 NULL,",
                     " created                       datetime                     NULL,",
                     " balance                       money                        NULL", ")"}));
    EXPECT_EQ(info->GetTableScript("no_such_table"), QStringList{"/* Data not available */"});
}

TEST_F(SqlAnywhereTest, ProcedureParametersComeFromSysProcParm)
{
    std::optional<TCTColumnList> parameters = info->GetColumns("customer_total", "P");
    ASSERT_TRUE(parameters);
    ASSERT_EQ(parameters->size(), 3);
    EXPECT_EQ(parameters->at(0).Name, "@customer");
    EXPECT_EQ(parameters->at(0).TypeName, "integer");
    EXPECT_EQ(parameters->at(0).Length, 4);
    EXPECT_EQ(parameters->at(1).TypeName, "datetime");
    EXPECT_EQ(parameters->at(2).Name, "@total");
    EXPECT_EQ(parameters->at(2).TypeName, "price");
    EXPECT_EQ(parameters->at(2).Length, 10);
    EXPECT_EQ(parameters->at(2).Scale, 2);
    EXPECT_EQ(parameters->at(2).Prec, 10);
    EXPECT_EQ(parameters->at(2).Status, 0);
    std::optional<TCTColumnList> none = info->GetColumns("ping", "P");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

TEST_F(SqlAnywhereTest, IndexesFromSysIndexWithoutThePrimaryKey)
{
    EXPECT_EQ(info->GetIndexNames("sales_order"),
              (QStringList{"sales_order_no", "sales_order_customer"}));
    // SQL Anywhere 9 keeps the primary key out of SYSINDEX.
    EXPECT_EQ(info->GetIndexNames("customer"), QStringList{"customer_name"});
    EXPECT_EQ(info->GetIndexScript("sales_order_customer", "sales_order"),
              (QStringList{"CREATE INDEX sales_order_customer ON sales_order",
                           "(customer_id,order_no)"}));
    // Unique or not, the head names neither UNIQUE nor CLUSTERED on this product.
    EXPECT_EQ(info->GetIndexScript("sales_order_no", "sales_order"),
              (QStringList{"CREATE INDEX sales_order_no ON sales_order", "(order_no)"}));
    EXPECT_EQ(info->GetIndexScript("sales_order_no", "customer"),
              QStringList{"/* Data not available */"});
}

TEST_F(SqlAnywhereTest, TextOfViewsProceduresAndTriggers)
{
    EXPECT_EQ(info->GetObjectText("big_order"),
              "create view big_order as\n"
              "    select order_no, customer_id, total from sales_order where total > 100");
    EXPECT_TRUE(info->GetObjectText("sales_order_check").startsWith("create trigger"));
    EXPECT_TRUE(info->GetObjectText(" ping ").endsWith("select 1"));
    EXPECT_THROW(info->GetObjectText("customer"), EDatabaseError);
}

}  // namespace

// Names and tables beyond the classic limits: quote characters in names, database
// names over 30 characters, tables of more than 255 columns, and the indexes of tables
// owned by a user other than dbo.
#include "CTLibException.h"
#include "CatalogFixture.h"
#include "CatalogStatements.h"

namespace {

const QString kLongDb = "a_database_name_that_is_longer_than_thirty";

QString columnLine(const QString& name, const QString& type, bool nullable)
{
    return " " + name.leftJustified(30) + type.leftJustified(29) + (nullable ? "NULL" : "NOT NULL");
}

class UnusualNamesAndShapes : public CatalogTest {
protected:
    static void SetUpTestSuite()
    {
        CatalogTest::SetUpTestSuite();
        execute({"create table [o'hara] (id int not null, [col\"q] int null)"});
        execute({"create index [ix'q] on [o'hara] (id)"});
        execute({"create table [say\"when] (x int null)"});
        execute({"create index notes_id on mary.notes (note_id)"});
        execute({"create database " + kLongDb});
        execute({"use " + kLongDb});
        execute({"create table t1 (a int not null)"});
        execute({"use demo"});
        QStringList wide{"create table wide_table ("};
        for (int n = 1; n <= 300; ++n)
            wide
                << QString("c%1 int not null%2").arg(n, 3, 10, QChar('0')).arg(n < 300 ? "," : ")");
        execute(wide);
        execute({"create table dup (k int not null)"});
        execute({"create view mary.dup as select note_id, body from mary.notes"});
        execute({"create table priced (id int not null, price money null, cost money null)"});
        execute({"grant select on priced to public"});
        execute({"grant update (price, cost) on priced to john"});
        execute({"revoke select (cost) on priced from ann"});
    }
};

TEST_F(UnusualNamesAndShapes, NamesWithQuoteCharactersAreRead)
{
    EXPECT_EQ(info->GetObjectOwner("o'hara"), "dbo");
    // Such names are quoted identifiers in the script, their double quotes doubled.
    EXPECT_EQ(info->GetTableScript("o'hara"),
              (QStringList{"CREATE TABLE dbo.\"o'hara\"", "(", columnLine("id", "int", false) + ",",
                           columnLine("\"col\"\"q\"", "int", true), ")", "LOCK ALLPAGES"}));
    EXPECT_TRUE(info->LastScriptQuotesNames());
    EXPECT_EQ(info->GetTableScript("say\"when"),
              (QStringList{"CREATE TABLE dbo.\"say\"\"when\"", "(", columnLine("x", "int", true),
                           ")", "LOCK ALLPAGES"}));
    EXPECT_FALSE(info->GetTableScript("orders").isEmpty());
    EXPECT_FALSE(info->LastScriptQuotesNames());
    EXPECT_EQ(info->GetIndexNames("o'hara"), QStringList{"ix'q"});
    EXPECT_EQ(info->GetIndexScript("ix'q", "o'hara"),
              (QStringList{"CREATE INDEX \"ix'q\" ON \"o'hara\"", "(id)", "ON 'default'"}));
    EXPECT_TRUE(info->LastScriptQuotesNames());
    std::optional<TCTObject> object = info->GetObjectInfo("say\"when", false, true);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->ObjType, "U");
    EXPECT_FALSE(object->Protects);
}

TEST_F(UnusualNamesAndShapes, QuoteCharactersCannotChangeTheStatement)
{
    // Each name would close its literal and turn the rest into a condition that is true.
    EXPECT_EQ(info->GetObjectOwner("x\" or \"1\"=\"1"), "");
    EXPECT_EQ(info->GetUserScript("x\" or \"1\"=\"1"), "/* Data not available */");
    EXPECT_EQ(info->GetTypeScript("x\" or \"1\"=\"1"), "/* Data not available */");
    EXPECT_FALSE(info->GetProtects(TProtectFilter::pfObjectName, "x\" or \"1\"=\"1",
                                   TProtectAction::paNone));
    EXPECT_THROW(info->GetObjectText("x' or '1'='1"), EDatabaseError);
}

TEST_F(UnusualNamesAndShapes, LongDatabaseNamesAreKeptWhole)
{
    info->setSelectDb(kLongDb);
    info->PrefixWithDbName = true;
    EXPECT_EQ(info->GetTableScript("t1"),
              (QStringList{"CREATE TABLE " + kLongDb + ".dbo.t1", "(",
                           columnLine("a", "int", false), ")", "LOCK ALLPAGES"}));
    EXPECT_EQ(info->GetObjectOwner("t1"), "dbo");
    EXPECT_EQ(info->SelectDb(), kLongDb);
}

TEST_F(UnusualNamesAndShapes, TablesOfMoreThan255ColumnsAreScriptedWhole)
{
    const QStringList lines = info->GetTableScript("wide_table");
    ASSERT_EQ(lines.size(), 300 + 4);
    EXPECT_EQ(info->ColumnCount(), 0);  // the column table is released afterwards
    EXPECT_EQ(lines[2], columnLine("c001", "int", false) + ",");
    EXPECT_EQ(lines[2 + 255], columnLine("c256", "int", false) + ",");
    EXPECT_EQ(lines[2 + 299], columnLine("c300", "int", false));
    EXPECT_EQ(lines.last(), "LOCK ALLPAGES");
}

TEST_F(UnusualNamesAndShapes, IndexesOfTablesOwnedByAnotherUser)
{
    EXPECT_EQ(info->GetIndexNames("notes"), QStringList{"notes_id"});
    EXPECT_EQ(info->GetIndexScript("notes_id", "notes"),
              (QStringList{"CREATE INDEX notes_id ON notes", "(note_id)", "ON 'default'"}));
    EXPECT_EQ(info->GetIndexColumns("notes.notes_id"), QStringList{"note_id"});
}

TEST_F(UnusualNamesAndShapes, ColumnLevelPrivilegesNameTheirColumns)
{
    std::optional<TCTProtectList> rows =
        info->GetProtects(TProtectFilter::pfObjectName, "priced", TProtectAction::paNone);
    ASSERT_TRUE(rows);
    QStringList found;
    for (const TCTProtect& row : *rows)
        found << row.UserName + ":" + row.ColumnNames.join(",");
    found.sort();
    EXPECT_EQ(found, (QStringList{"ann:cost", "john:price,cost", "public:"}));

    // Columns beyond the first byte of the bitmap: colid 9 is bit 1 of the second byte.
    execute({"grant select (c009, c300) on wide_table to john"});
    rows = info->GetProtects(TProtectFilter::pfObjectName, "wide_table", TProtectAction::paNone);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 1);
    EXPECT_EQ(rows->at(0).ColumnNames, (QStringList{"c009", "c300"}));
}

TEST_F(UnusualNamesAndShapes, AViewOfTheSameNameAddsNoColumnsToTheTable)
{
    const QStringList lines = info->GetTableScript("dup");
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.mid(1),
              (QStringList{"(", columnLine("k", "int", false), ")", "LOCK ALLPAGES"}));
}

}  // namespace

// The catalog reader end to end: FreeTDS's Client-Library against tdsim serving the
// demo database. Expected values follow from the demo script and the catalog rules.
#include "CTLibException.h"
#include "CatalogFixture.h"

namespace {

const QString kNotAvailable = "/* Data not available */";

// A column line as the table layout places it: name from position 2, type from 32,
// nullability from 61.
QString columnLine(const QString& name, const QString& type, bool nullable)
{
    return " " + name.leftJustified(30) + type.leftJustified(29) + (nullable ? "NULL" : "NOT NULL");
}

// The text between the start of `head` in the demo script and the end of its batch.
QString batchText(const QString& script, const QString& head)
{
    const qsizetype start = script.indexOf(head);
    const qsizetype end = script.indexOf("\ngo\n", start);
    return script.mid(start, end - start);
}

using ObjectInfo = CatalogTest;

TEST_F(ObjectInfo, BlankSelectDbBecomesTheConnectionsDatabase)
{
    info->setSelectDb("   ");
    EXPECT_EQ(info->GetObjectOwner("customers"), "dbo");
    EXPECT_EQ(info->SelectDb(), "demo");
}

TEST_F(ObjectInfo, ConnectionNameIsCheckedFirst)
{
    info->DbName = " ";
    try {
        info->GetObjectOwner("customers");
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), "info: Database name missing");
    }
    info->DbName = "nodb";
    try {
        info->GetTableScript("customers");
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), "info: Could not find CTLibDatabase component named nodb");
    }
}

TEST_F(ObjectInfo, OwnerOfObjects)
{
    EXPECT_EQ(info->GetObjectOwner("notes"), "mary");
    EXPECT_EQ(info->GetObjectOwner("  customers  "), "dbo");
    EXPECT_EQ(info->GetObjectOwner("nothing"), "");
}

TEST_F(ObjectInfo, RecordWithTriggerNamesAndStatus)
{
    std::optional<TCTObject> customers = info->GetObjectInfo("customers", false, false);
    ASSERT_TRUE(customers);
    EXPECT_EQ(customers->Name, "customers");
    EXPECT_EQ(customers->OwnerName, "dbo");
    EXPECT_EQ(customers->ObjType, "U");
    EXPECT_EQ(customers->DelTrigId, 0);
    EXPECT_EQ(customers->DelTrigName, "");
    EXPECT_EQ(customers->InsTrigName, "customers_ins");
    EXPECT_EQ(customers->UpdTrigName, "customers_upd");
    EXPECT_NE(customers->InsTrig, 0);
    // sysstat2 holds 0x40 (identity column) among bits that are not kept.
    EXPECT_EQ(customers->Status, 1 << 6);
    EXPECT_FALSE(customers->Columns);
    EXPECT_FALSE(customers->Protects);
    EXPECT_LE(customers->CreateDate.size(), 28);

    std::optional<TCTObject> orders = info->GetObjectInfo("orders", false, false);
    ASSERT_TRUE(orders);
    EXPECT_EQ(orders->DelTrigName, "orders_del");
    EXPECT_EQ(orders->InsTrigName, "");
    EXPECT_EQ(orders->UpdTrig, 0);

    EXPECT_FALSE(info->GetObjectInfo("no_such_object", false, true));
}

TEST_F(ObjectInfo, RecordWithPrivilegesAndColumns)
{
    std::optional<TCTObject> customers = info->GetObjectInfo("customers", true, true);
    ASSERT_TRUE(customers);
    ASSERT_TRUE(customers->Protects);
    EXPECT_EQ(customers->Protects->size(), 5);
    ASSERT_TRUE(customers->Columns);
    ASSERT_EQ(customers->Columns->size(), 8);
    EXPECT_EQ(customers->Columns->at(0).Name, "cust_id");
    EXPECT_EQ(customers->Columns->at(4).Scale, 2);  // balance: amount, numeric(12,2)
    EXPECT_EQ(customers->Columns->at(7).Name, "notes");

    std::optional<TCTObject> allTypes = info->GetObjectInfo("all_types", false, true);
    ASSERT_TRUE(allTypes);
    EXPECT_FALSE(allTypes->Protects);
}

TEST_F(ObjectInfo, ProcedureParametersOfGroupNumberOne)
{
    std::optional<TCTColumnList> parameters = info->GetColumns("demo.dbo.p_get_customer", "p");
    ASSERT_TRUE(parameters);
    ASSERT_EQ(parameters->size(), 2);
    const TCTColumn& id = parameters->at(0);
    EXPECT_EQ(id.Name, "@cust_id");
    EXPECT_EQ(id.TypeName, "numeric");
    EXPECT_EQ(id.Length, 6);  // numeric(10,0) is stored in 6 bytes
    EXPECT_EQ(id.Prec, 10);
    EXPECT_EQ(id.Status, 0);
    EXPECT_EQ(parameters->at(1).Name, "@name");
    EXPECT_EQ(parameters->at(1).Length, 40);

    std::optional<TCTColumnList> group = info->GetColumns("demo.dbo.p_orders", "P");
    ASSERT_TRUE(group);
    ASSERT_EQ(group->size(), 1);
    EXPECT_EQ(group->at(0).Name, "@cust_id");

    EXPECT_FALSE(info->GetColumns("demo.dbo.r_zip", "R"));
}

using TableScript = CatalogTest;

TEST_F(TableScript, UserTypesIdentityAndNullability)
{
    EXPECT_EQ(
        info->GetTableScript("customers"),
        (QStringList{
            "CREATE TABLE dbo.customers", "(",
            columnLine("cust_id", "row_id identity", false) + ",",
            columnLine("name", "varchar(40)", false) + ",", columnLine("ssn", "ssn", false) + ",",
            columnLine("zip", "zipcode", true) + ",", columnLine("balance", "amount", true) + ",",
            columnLine("country", "char(3) default 'USA'", false) + ",",
            columnLine("created", "datetime default getdate()", false) + ",",
            columnLine("notes", "short_note", true), ")", "LOCK ALLPAGES"}));
}

TEST_F(TableScript, BuiltInTypes)
{
    const QStringList lines = info->GetTableScript("all_types");
    ASSERT_GT(lines.size(), 3);
    // The column line of `name`, with its comma if it has one.
    auto lineOf = [&lines](const QString& name) {
        for (const QString& line : lines) {
            if (line.startsWith(" " + name + " "))
                return line;
        }
        return QString();
    };
    EXPECT_EQ(lines[2], columnLine("c_tinyint", "tinyint", false) + ",");
    EXPECT_EQ(lineOf("c_numeric"), columnLine("c_numeric", "numeric(10,2)", false) + ",");
    EXPECT_EQ(lineOf("c_decimal"), columnLine("c_decimal", "decimal(18,4)", false) + ",");
    EXPECT_EQ(lineOf("c_float"), columnLine("c_float", "float", false) + ",");
    EXPECT_EQ(lineOf("c_char"), columnLine("c_char", "char(10)", false) + ",");
    EXPECT_EQ(lineOf("c_varchar"), columnLine("c_varchar", "varchar(100)", false) + ",");
    // nchar's length in characters: the bytes divided by the server's @@ncharsize.
    EXPECT_EQ(lineOf("c_nchar"), columnLine("c_nchar", "nchar(5)", false) + ",");
    EXPECT_EQ(lineOf("c_nvarchar"), columnLine("c_nvarchar", "nvarchar(20)", false) + ",");
    EXPECT_EQ(lineOf("c_usmallint"), columnLine("c_usmallint", "unsigned smallint", false) + ",");
    EXPECT_EQ(lineOf("c_binary"), columnLine("c_binary", "binary(8)", false) + ",");
    EXPECT_EQ(lineOf("c_varbinary"), columnLine("c_varbinary", "varbinary(16)", false) + ",");
    EXPECT_EQ(lineOf("c_unichar"), columnLine("c_unichar", "unichar(4)", false) + ",");
    EXPECT_EQ(lineOf("c_univarchar"), columnLine("c_univarchar", "univarchar(10)", false) + ",");
    EXPECT_EQ(lineOf("c_text"), columnLine("c_text", "text", true) + ",");
    EXPECT_FALSE(lines[lines.size() - 3].endsWith(","));
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{")", "LOCK ALLPAGES"}));

    const QStringList nullable = info->GetTableScript("nullable_types");
    ASSERT_EQ(nullable.size(), 16 + 4);
    EXPECT_EQ(nullable[2], columnLine("n_tinyint", "tinyint", true) + ",");
    EXPECT_EQ(nullable[16], columnLine("n_binary", "binary(8)", true) + ",");
    EXPECT_EQ(nullable[17], columnLine("n_default_null", "int", false));
}

TEST_F(TableScript, ThirtyCharacterColumnNameOwnerAndPrefix)
{
    const QStringList thirty = info->GetTableScript("table_name_with_thirty_chars_x");
    ASSERT_EQ(thirty.size(), 6);
    EXPECT_TRUE(thirty[2].startsWith(" a_column_named_with_thirty_chr int "));
    EXPECT_EQ(thirty[2].mid(60), "NOT NULL,");

    EXPECT_EQ(info->GetTableScript("notes").first(), "CREATE TABLE mary.notes");
    // The statement reads the trimmed name; the head keeps the name as passed.
    const QStringList padded = info->GetTableScript("orders  ");
    EXPECT_EQ(padded.first(), "CREATE TABLE dbo.orders  ");
    // Five columns, the parentheses and the lock scheme. The table was created on demo_seg,
    // but its clustered index, made later on the default segment, took the data along.
    EXPECT_EQ(padded.last(), "LOCK ALLPAGES");
    EXPECT_EQ(padded.size(), 5 + 4);

    info->PrefixWithDbName = true;
    info->PrefixDbName = "archive";
    EXPECT_EQ(info->GetTableScript("orders").first(), "CREATE TABLE archive.dbo.orders");
    info->PrefixDbName = "  ";
    EXPECT_EQ(info->GetTableScript("orders").first(), "CREATE TABLE demo.dbo.orders");
}

TEST_F(TableScript, NotATableGivesDataNotAvailable)
{
    EXPECT_EQ(info->GetTableScript("no_such_table"), QStringList{kNotAvailable});
    EXPECT_EQ(info->GetTableScript("p_get_customer"), QStringList{kNotAvailable});
    EXPECT_EQ(info->ColumnCount(), 0);
}

using IndexScript = CatalogTest;

TEST_F(IndexScript, NamesInStorageOrderWithTextChain)
{
    EXPECT_EQ(info->GetIndexNames("customers"), (QStringList{"customers_pk", "customers_name"}));
    EXPECT_EQ(info->GetIndexNames("all_types"), QStringList{"tall_types"});
    EXPECT_EQ(info->GetIndexNames("nullable_types"), QStringList{});
}

TEST_F(IndexScript, KeywordsOptionsAndSegment)
{
    EXPECT_EQ(info->GetIndexScript("customers_pk", "customers"),
              (QStringList{"CREATE UNIQUE CLUSTERED INDEX customers_pk ON customers", "(cust_id)",
                           "WITH IGNORE_DUP_KEY", "ON 'default'"}));
    EXPECT_EQ(info->GetIndexScript("customers_name", "customers"),
              (QStringList{"CREATE INDEX customers_name ON customers", "(name,zip)",
                           "WITH SORTED_DATA", "ON 'demo_seg'"}));
    EXPECT_EQ(info->GetIndexScript("orders_by_customer", "orders"),
              (QStringList{"CREATE CLUSTERED INDEX orders_by_customer ON orders",
                           "(cust_id,order_date)", "WITH ALLOW_DUP_ROW", "ON 'default'"}));
    EXPECT_EQ(info->GetIndexScript("order_lines_ci", "order_lines"),
              (QStringList{"CREATE CLUSTERED INDEX order_lines_ci ON order_lines",
                           "(order_id,line_no)", "WITH IGNORE_DUP_ROW", "ON 'default'"}));
    EXPECT_EQ(
        info->GetIndexScript("orders_id", "orders"),
        (QStringList{"CREATE UNIQUE INDEX orders_id ON orders", "(order_id)", "ON 'default'"}));
}

TEST_F(IndexScript, RecordAndMissingIndex)
{
    std::optional<TCTIndex> index = info->GetIndexInfo("customers_name", " customers ");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->IndId, 2);
    EXPECT_EQ(index->SegmentName, "demo_seg");
    EXPECT_EQ(index->Status, 1 << isSortedData);
    EXPECT_EQ(info->GetIndexScript("customers_pk", "orders"), QStringList{kNotAvailable});
    EXPECT_EQ(info->GetIndexScript("no_such_index", "customers"), QStringList{kNotAvailable});
    EXPECT_EQ(info->GetIndexColumns("orders.orders_by_customer"),
              (QStringList{"cust_id", "order_date"}));
}

using ObjectText = CatalogTest;

TEST_F(ObjectText, PiecesOf255BytesAreJoinedWithoutLoss)
{
    const QString script = demoScript();
    const QString report = batchText(script, "create procedure p_customer_report");
    ASSERT_GT(report.size(), 510);
    EXPECT_EQ(info->GetObjectText("p_customer_report"), report);
    EXPECT_EQ(info->GetObjectText("p_rename_customer"),
              batchText(script, "create procedure p_rename_customer"));
    EXPECT_EQ(info->GetObjectText(" customers_ins\t"),
              batchText(script, "create trigger customers_ins"));
    EXPECT_EQ(info->GetObjectText("v_order_totals"),
              batchText(script, "create view v_order_totals"));
    EXPECT_EQ(info->GetObjectText("r_zip"), batchText(script, "create rule r_zip"));
    EXPECT_EQ(info->GetObjectText("d_country"), batchText(script, "create default d_country"));
}

TEST_F(ObjectText, OtherKindsAreRefusedWithoutComponentName)
{
    for (const QString& name : {QString("customers"), QString("no_such_thing  ")}) {
        try {
            info->GetObjectText(name);
            FAIL() << "no error for " << name.toStdString();
        } catch (const EDatabaseError& error) {
            EXPECT_EQ(error.message(),
                      "Object '" + name.trimmed() +
                          "' is not a Stored Procedure, View ,Trigger, Default or Rule");
        }
    }
}

using UsersAndTypes = CatalogTest;

TEST_F(UsersAndTypes, AddUserStatements)
{
    EXPECT_EQ(info->GetUserScript("mary"), "EXECUTE sp_adduser \"mary\",\"mary\",\"sales\"");
    EXPECT_EQ(info->GetUserScript("  bob "), "EXECUTE sp_adduser \"bob\",\"bob\",\"public\"");
    EXPECT_EQ(info->GetUserScript("nobody"), kNotAvailable);
    std::optional<TCTUser> john = info->GetUserInfo("john");
    ASSERT_TRUE(john);
    EXPECT_EQ(john->GroupName, "engineering");
    EXPECT_EQ(john->UId, 4);  // the second user added
}

TEST_F(UsersAndTypes, AddTypeStatements)
{
    EXPECT_EQ(info->GetTypeScript("ssn"), "EXECUTE sp_addtype ssn,\"varchar(11)\",\"NONULL\"");
    EXPECT_EQ(info->GetTypeScript("zipcode"), "EXECUTE sp_addtype zipcode,\"char(5)\",\"NULL\"");
    EXPECT_EQ(info->GetTypeScript("amount"),
              "EXECUTE sp_addtype amount,\"numeric(12,2)\",\"NULL\"");
    EXPECT_EQ(info->GetTypeScript(" row_id "),
              "EXECUTE sp_addtype row_id,\"numeric(10,0)\",\"identity\"");
    EXPECT_EQ(info->GetTypeScript("nosuchtype"), kNotAvailable);

    std::optional<TCTType> amount = info->GetTypeInfo("amount");
    ASSERT_TRUE(amount);
    EXPECT_EQ(amount->DefaultName, "d_zero");
    EXPECT_EQ(amount->RuleName, "r_positive");
}

// On a server whose national characters take several bytes, an nchar- or nvarchar-based
// datatype is stored as char or varchar of that many bytes: the script says what it
// cannot know.
class MultiByteNCharTypes : public CatalogTest {
protected:
    // A procedure whose text has a two-byte character across the first 255-byte row end.
    static QString straddlingProcedure()
    {
        const QString head = QStringLiteral("create procedure p_straddle as select '");
        return head + QString(254 - head.size(), QLatin1Char('a')) + QStringLiteral("\u00e9 done'");
    }

    static void SetUpTestSuite()
    {
        startServer({"--charset", "utf8"});
        execute({straddlingProcedure()});
        execute({"create table names (short_name nchar(5) not null, long_name nvarchar(20) null)",
                 "exec sp_addtype nname, \"nchar(10)\"", "exec sp_addtype code9, \"varchar(9)\"",
                 "exec sp_addtype code10, \"varchar(10)\""});
    }
};

TEST_F(MultiByteNCharTypes, ACharacterAcrossTextRowsIsReadWhole)
{
    // The batch sent ends with a line break, which the stored text keeps.
    EXPECT_EQ(info->GetStoredText("p_straddle", "dbo").Text.trimmed().toStdString(),
              straddlingProcedure().toStdString());
}

TEST_F(MultiByteNCharTypes, ColumnsKeepTheirLengthInCharacters)
{
    const QStringList lines = info->GetTableScript("names");
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[2].contains("nchar(5)")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].contains("nvarchar(20)")) << lines[3].toStdString();
}

TEST_F(MultiByteNCharTypes, LengthsThatCouldBeNationalCharactersAreNoted)
{
    EXPECT_EQ(info->GetTypeScript("nname").toStdString(),
              "EXECUTE sp_addtype nname,\"char(30)\",\"NONULL\" "
              "/* char(30) may have been declared as nchar(10): the catalog cannot tell */");
    EXPECT_EQ(info->GetTypeScript("code9").toStdString(),
              "EXECUTE sp_addtype code9,\"varchar(9)\",\"NONULL\" "
              "/* varchar(9) may have been declared as nvarchar(3): the catalog cannot tell */");
    EXPECT_EQ(info->GetTypeScript("code10").toStdString(),
              "EXECUTE sp_addtype code10,\"varchar(10)\",\"NONULL\"");
}

using Privileges = CatalogTest;

TEST_F(Privileges, RowsDecodedInServerOrder)
{
    std::optional<TCTProtectList> rows =
        info->GetProtects(TProtectFilter::pfObjectName, "customers", TProtectAction::paNone);
    ASSERT_TRUE(rows);
    struct Expected {
        QString user;
        TProtectAction action;
        TProtectType type;
    };
    const std::vector<Expected> expected = {
        {"public", TProtectAction::paSelect, TProtectType::ptGrant},
        {"john", TProtectAction::paSelect, TProtectType::ptGrant},
        {"sales", TProtectAction::paInsert, TProtectType::ptGrant},
        {"ann", TProtectAction::paUpdate, TProtectType::ptRevoke},
        {"sales", TProtectAction::paUpdate, TProtectType::ptGrant}};
    ASSERT_EQ(rows->size(), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const TCTProtect& row = rows->at(int(i));
        EXPECT_EQ(row.ObjectName, "customers");
        EXPECT_EQ(row.UserName, expected[i].user) << i;
        EXPECT_EQ(row.Action, expected[i].action) << i;
        EXPECT_EQ(row.ProtectType, expected[i].type) << i;
        EXPECT_EQ(row.GrantorName, "dbo");
        // Only john's grant is on some columns (name and zip, columns 2 and 4).
        EXPECT_EQ(row.ColumnNames,
                  expected[i].user == "john" ? QStringList({"name", "zip"}) : QStringList())
            << i;
    }

    std::optional<TCTProtectList> report = info->GetProtects(
        TProtectFilter::pfObjectName, "p_customer_report", TProtectAction::paNone);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->size(), 1);
    EXPECT_EQ(report->at(0).Action, TProtectAction::paExecute);
    EXPECT_EQ(report->at(0).ProtectType, TProtectType::ptGrantWithGrant);

    std::optional<TCTProtectList> readers =
        info->GetProtects(TProtectFilter::pfUserName, "readers", TProtectAction::paNone);
    ASSERT_TRUE(readers);
    EXPECT_EQ(readers->at(0).ObjectName, "v_customers");

    TCTLibObjInfo::FreeProtectList(rows, true);
    EXPECT_FALSE(rows);
    TCTLibObjInfo::FreeProtectList(rows, true);  // none is accepted
    EXPECT_FALSE(
        info->GetProtects(TProtectFilter::pfObjectName, "all_types", TProtectAction::paNone));
}

TEST_F(Privileges, NumericFiltersTakeNumbersOnly)
{
    EXPECT_THROW(info->GetProtects(TProtectFilter::pfUserId, "0 or 1=1", TProtectAction::paNone),
                 ESkelderError);
    std::optional<TCTProtectList> byAction =
        info->GetProtects(TProtectFilter::pfAction, QString(), TProtectAction::paExecute);
    ASSERT_TRUE(byAction);
    EXPECT_EQ(byAction->size(), 2);  // p_get_customer to public, p_customer_report to sales
}

using ReadFailures = CatalogTest;

TEST_F(ReadFailures, ServerErrorRestoresCursorAndLeavesTheConnectionUsable)
{
    struct CursorLog : RecordingUserInterface {
        bool setBusyCursor(bool busy) override
        {
            calls.push_back(busy);
            return RecordingUserInterface::setBusyCursor(busy);
        }
        std::vector<bool> calls;
    } ui;
    info->setSelectDb("no_such_database");
    EXPECT_ANY_THROW(info->GetObjectOwner("customers"));
    EXPECT_FALSE(ui.busy_);
    ASSERT_FALSE(ui.calls.empty());
    EXPECT_TRUE(ui.calls.front());

    info->setSelectDb("demo");
    EXPECT_EQ(info->GetObjectOwner("customers"), "dbo");
    info->UseExecCursor = false;
    ui.calls.clear();
    EXPECT_EQ(info->GetUserScript("ann"), "EXECUTE sp_adduser \"ann\",\"ann\",\"sales\"");
    EXPECT_TRUE(ui.calls.empty());
}

}  // namespace

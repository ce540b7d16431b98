// The SQL Anywhere persona's catalog: SYS tables derived from the engine's own catalog,
// over testdata/sqlanywhere.sql, read by DBA in the database named at login.
#include "DemoDatabase.h"

namespace tdsim::test {
namespace {

class SqlAnywhereCatalog : public EngineFixture {
protected:
    void SetUp() override
    {
        config.product = Product::SqlAnywhere;
        config.logins.emplace_back("DBA", "sql");
        engine = Engine::create(config, stats);
        for (const Message& message : engine->runScript(readTestData("sqlanywhere.sql")))
            ADD_FAILURE() << "sqlanywhere.sql: " << message.number << ": " << message.text;
        session = engine->openSessionIn("DBA", 5, "sademo");
        ASSERT_TRUE(session);
    }
};

TEST_F(SqlAnywhereCatalog, LoginDatabaseOnlyAndUseRefused)
{
    EXPECT_EQ(scalar("select db_name()"), "sademo");
    EXPECT_EQ(error("use master").number, 7777);
    EXPECT_EQ(scalar("select db_name()"), "sademo");
    EXPECT_FALSE(engine->openSessionIn("DBA", 6, "nodb"));
    EXPECT_FALSE(engine->openSessionIn("DBA", 7, "master"));  // DBA is no user there
}

TEST_F(SqlAnywhereCatalog, SysTableHoldsTablesAndViewsUnderTheirCreator)
{
    EXPECT_EQ(rows("select rtrim(table_name), rtrim(table_type), user_name(creator) from SYSTABLE"
                   " where creator = user_id('DBA') order by table_name"),
              (std::vector<std::string>{"big_order VIEW DBA", "customer BASE DBA",
                                        "sales_order BASE DBA"}));
    // The SYS tables themselves, qualified or found through the SYS group.
    EXPECT_EQ(scalar("select count(*) from SYS.SYSTABLE where table_name = 'SYSPROCPARM'"), "1");
    EXPECT_EQ(scalar("select user_name(creator) from SYSTABLE where table_name = 'SYSIXCOL'"),
              "SYS");
}

TEST_F(SqlAnywhereCatalog, SysColumnGivesDomainsWidthsNullsKeysAndUserTypes)
{
    EXPECT_EQ(
        rows("select sc.column_id, rtrim(sd.domain_name), sc.width, sc.scale, sc.nulls,"
             " sc.pkey, isnull(rtrim(sut.type_name), '-')"
             " from SYSCOLUMN sc, SYSDOMAIN sd, SYSUSERTYPE sut, SYSTABLE st"
             " where st.table_name = 'customer' and sc.table_id = st.table_id"
             " and sc.domain_id = sd.domain_id and sc.user_type *= sut.type_id"
             " order by sc.column_id"),
        (std::vector<std::string>{"1 integer 4 0 N Y -", "2 varchar 40 0 N N -",
                                  "3 varchar 20 0 Y N phone_number", "4 char 2 0 Y N country_code",
                                  "5 timestamp 8 0 Y N datetime", "6 numeric 19 4 Y N money"}));
    // A user type: its domain, width and scale, numbered above the predefined ones.
    EXPECT_EQ(rows("select rtrim(d.domain_name), t.width, t.scale, t.nulls from SYSUSERTYPE t,"
                   " SYSDOMAIN d where t.type_name = 'price' and t.domain_id = d.domain_id"
                   " and t.type_id > 108"),
              std::vector<std::string>{"numeric 10 2 N"});
}

TEST_F(SqlAnywhereCatalog, SysIndexLeavesOutThePrimaryKeyAndSysIxColCountsFromZero)
{
    run("set quoted_identifier on");  // "unique" and "order" are keywords
    EXPECT_EQ(rows("select rtrim(st.table_name), rtrim(si.index_name), si.\"unique\""
                   " from SYSINDEX si, SYSTABLE st where si.table_id = st.table_id"
                   " order by st.table_name, si.index_id"),
              (std::vector<std::string>{"customer customer_name Y", "sales_order sales_order_no Y",
                                        "sales_order sales_order_customer N"}));
    EXPECT_EQ(rows("select ic.sequence, rtrim(sc.column_name), ic.\"order\" from SYSIXCOL ic,"
                   " SYSINDEX si, SYSCOLUMN sc where si.index_name = 'sales_order_customer'"
                   " and ic.table_id = si.table_id and ic.index_id = si.index_id"
                   " and sc.table_id = ic.table_id and sc.column_id = ic.column_id"
                   " order by ic.sequence"),
              (std::vector<std::string>{"0 customer_id A", "1 order_no A"}));
}

TEST_F(SqlAnywhereCatalog, SysProcParmAndSysProcedure)
{
    EXPECT_EQ(rows("select p.parm_id, rtrim(p.parm_name), p.parm_mode_in, p.parm_mode_out,"
                   " p.parm_type from SYSPROCPARM p, SYSPROCEDURE s where p.proc_id = s.proc_id"
                   " and s.proc_name = 'customer_total' order by p.parm_id"),
              (std::vector<std::string>{"1 @customer Y N 0", "2 @since Y N 0", "3 @total Y Y 0"}));
    EXPECT_EQ(scalar("select left(proc_defn, 32) from SYSPROCEDURE where proc_name = 'ping'"),
              "create procedure ping\nas\n    sel");
}

TEST_F(SqlAnywhereCatalog, TrimIsTheProductsOwn)
{
    EXPECT_EQ(scalar("select '[' + trim('  a b  ') + ']'"), "[a b]");
    EngineConfig ase;
    ServerStats aseStats;
    auto adaptiveServer = Engine::create(ase, aseStats);
    auto saSession = adaptiveServer->openSession("sa", 8);
    bool unknown = false;
    for (const StatementResult& result : saSession->execute("select trim('a')")) {
        for (const Message& message : result.messages)
            unknown = unknown || message.number == 195;
    }
    EXPECT_TRUE(unknown);
}

}  // namespace
}  // namespace tdsim::test

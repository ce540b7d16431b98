// What the section writers write where the plain templates would give a script the
// server refuses, against a tdsim serving the demo database.
#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "ConnectedServer.h"
#include "ObjectListing.h"
#include "ProgressReporter.h"
#include "RecordingUserInterface.h"
#include "ScriptGenerator.h"
#include "SilentProgress.h"
#include "TdsimServer.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <memory>

namespace {

class ReplayableSections : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_demo = std::make_unique<ConnectedServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
    }
    static void TearDownTestSuite() { s_demo.reset(); }

    // The script of `objects` of database demo, without header, one text line a line.
    static QStringList script(const TMarkedObjectList& objects, const TScriptOptions& options)
    {
        TCTLibObjInfo info;
        info.SetName("info");
        info.DbName = "db";
        info.UseExecCursor = false;
        info.PrefixWithDbName = options.PrefixWithDb;
        TScriptGenerator generator(info, options);
        SilentProgress progress;
        const QStringList entries =
            generator.BuildScript(objects, {}, true, nullptr, progress, false);
        QStringList lines;
        for (const QString& entry : entries)
            lines += entry.split('\n');
        return lines.mid(3);  // after the USE batch
    }
    static TScriptOptions options(bool drop)
    {
        TScriptOptions result;
        result.AddDrop = drop;
        result.PrefixWithDb = false;
        return result;
    }

    static inline std::unique_ptr<ConnectedServer> s_demo;
};

TEST_F(ReplayableSections, BuiltInPrincipalsAndSystemIndexesBecomeNotes)
{
    const TMarkedObjectList objects{{"demo", ObjectKind::Groups, "public"},
                                    {"demo", ObjectKind::Groups, "sa_role"},
                                    {"demo", ObjectKind::Users, "dbo"},
                                    {"demo", ObjectKind::Indexes, "all_types.tall_types"},
                                    {"demo", ObjectKind::Indexes, "sysusers.ncsysusers1"}};
    EXPECT_EQ(script(objects, options(true)),
              QStringList({"", "/* public: built-in group, not scripted */", "",
                           "/* sa_role: built-in group, not scripted */", "",
                           "/* dbo: built-in user, not scripted */", "",
                           // The logins aliased to dbo come with it.
                           "IF NOT EXISTS(SELECT * FROM dbo.sysalternates WHERE suid = "
                           "suser_id('carol'))",
                           "  EXECUTE sp_addalias 'carol', 'dbo'", "GO", "",
                           "/* all_types.tall_types: text and image storage, not scripted */", "",
                           "/* sysusers.ncsysusers1: index of a system table, not scripted */"}));
}

TEST_F(ReplayableSections, PrincipalsAndDatatypesAreAddedOnlyWhenMissing)
{
    const TMarkedObjectList objects{{"demo", ObjectKind::Groups, "sales"},
                                    {"demo", ObjectKind::Users, "mary"},
                                    {"demo", ObjectKind::DataTypes, "ssn"}};
    EXPECT_EQ(
        script(objects, options(true)),
        QStringList({"", "/************ sales ************/",
                     "IF NOT EXISTS(SELECT * FROM dbo.sysusers WHERE name = \"sales\")",
                     "  EXECUTE sp_addgroup sales", "GO", "", "/************ mary ************/",
                     "IF NOT EXISTS(SELECT * FROM dbo.sysusers WHERE name = \"mary\")",
                     "  EXECUTE sp_adduser \"mary\",\"mary\",\"sales\"", "GO", "",
                     "/************ ssn ************/",
                     "IF NOT EXISTS(SELECT * FROM dbo.systypes WHERE name = \"ssn\")",
                     "  EXECUTE sp_addtype ssn,\"varchar(11)\",\"NONULL\"", "GO"}));
    // Without drop guards the templates stay as they were.
    EXPECT_EQ(
        script({objects[0]}, options(false)),
        QStringList({"", "/************ sales ************/", "EXECUTE sp_addgroup sales", "GO"}));
}

TEST_F(ReplayableSections, OtherOwnersObjectsAreDroppedByTheirQualifiedName)
{
    // The section runs as the owner, who creates, binds and grants.
    const QStringList lines = script({{"demo", ObjectKind::Tables, "mary.notes"}}, options(true));
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines.mid(2, 4),
              QStringList({"SETUSER 'mary'", "GO",
                           "IF EXISTS(SELECT * FROM dbo.sysobjects WHERE name = \"notes\" AND "
                           "type = \"U\" AND uid = user_id(\"mary\"))",
                           "  DROP TABLE mary.notes"}));
    EXPECT_EQ(lines.mid(lines.size() - 2), QStringList({"SETUSER", "GO"}));
    const QStringList dbo = script({{"demo", ObjectKind::Tables, "dbo.orders"}}, options(true));
    EXPECT_EQ(dbo[3], "  DROP TABLE orders");
}

TEST_F(ReplayableSections, AGrantOnSomeColumnsNamesThem)
{
    TScriptOptions withGrants = options(false);
    withGrants.PrivilegeScript = true;
    const QStringList lines = script({{"demo", ObjectKind::Tables, "dbo.customers"}}, withGrants);
    const qsizetype grants = lines.indexOf("GRANT SELECT ON customers TO public");
    ASSERT_GE(grants, 0) << qPrintable(lines.join('\n'));
    EXPECT_EQ(lines.mid(grants, 5), QStringList({"GRANT SELECT ON customers TO public",
                                                 "GRANT SELECT (name,zip) ON customers TO john",
                                                 "GRANT INSERT,UPDATE ON customers TO sales",
                                                 "REVOKE UPDATE ON customers FROM ann", "GO"}));
}

TEST_F(ReplayableSections, ATriggerForSeveralActionsIsWrittenOnce)
{
    TScriptOptions withTriggers = options(false);
    withTriggers.TriggerScript = true;
    const QStringList lines =
        script({{"demo", ObjectKind::Tables, "dbo.order_lines"}}, withTriggers);
    EXPECT_EQ(lines.count("/************ order_lines_insupd ************/"), 1);
}

TEST_F(ReplayableSections, EachMemberOfAProcedureGroupIsABatchOfItsOwn)
{
    const QStringList lines =
        script({{"demo", ObjectKind::Procedures, "dbo.p_orders"}}, options(false));
    const int second = lines.indexOf(QRegularExpression("^create procedure p_orders;2 .*"));
    ASSERT_GT(second, 0);
    EXPECT_EQ(lines[second - 1], "GO");
    EXPECT_TRUE(lines[second - 2].endsWith("where cust_id = @cust_id"));
    EXPECT_EQ(lines.count("GO"), 2);
}

// Objects listed and then dropped before their turn: named as not scripted, and the run
// goes on.
TEST_F(ReplayableSections, AnObjectDroppedSinceItWasListedIsNamedAndTheRunGoesOn)
{
    TCTLibObjInfo info;
    info.SetName("info");
    info.DbName = "db";
    info.UseExecCursor = false;
    TScriptGenerator generator(info, options(true));
    SilentProgress progress;
    const TMarkedObjectList objects{{"demo", ObjectKind::Procedures, "dbo.dropped_proc"},
                                    {"demo", ObjectKind::Triggers, "dbo.dropped_trigger"},
                                    {"demo", ObjectKind::Views, "dbo.dropped_view"},
                                    {"demo", ObjectKind::Rules, "dbo.r_positive"}};
    const QStringList entries = generator.BuildScript(objects, {}, true, nullptr, progress, false);
    EXPECT_EQ(generator.Unscripted, QStringList({"demo: procedure dbo.dropped_proc: not found",
                                                 "demo: trigger dbo.dropped_trigger: not found",
                                                 "demo: view dbo.dropped_view: not found"}));
    EXPECT_TRUE(entries.join('\n').contains("create rule r_positive"));
}

TEST_F(ReplayableSections, TheFirstUserDatatypeIsListed)
{
    TCTLibEnhQuery query;
    query.DbName = "db";
    query.setSQL({objectListingStatement(ObjectKind::DataTypes, "demo", "Sybase SQL Server")});
    ASSERT_EQ(query.Open(), 1);
    QStringList names;
    while (query.Next())
        names << query.ColumnValue(1).trimmed();
    EXPECT_EQ(names, QStringList({"amount", "row_id", "short_note", "ssn", "zipcode"}));
}

}  // namespace

// A rule or default scripted with drop guards replaces an older one of the same name in
// the database the script runs in, wherever that database has it bound: the new text,
// the scripted database's bindings, and no error, run after run.
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Both databases: a rule and a default bound to a datatype and to columns of tables of
// dbo and of rowan, and a rule of rowan's. The target's are older, with other texts and
// other bindings. A third database has a check constraint of the rule's name, a fourth a
// hidden default bound to a column.
const char* const kSetup = R"(exec sp_addlogin 'rowan', 'rowan_pw'
go
create database rules_src
go
create database rules_tgt
go
use rules_src
go
exec sp_adduser rowan
go
create rule r_range as @v between 0 and 100
go
create default d_level as 5
go
exec sp_addtype level_t, int, 'null'
go
exec sp_bindrule r_range, level_t
exec sp_bindefault d_level, level_t
go
create table readings (id int not null, level level_t, score int null)
go
exec sp_bindrule r_range, 'readings.score'
exec sp_bindefault d_level, 'readings.score'
go
setuser 'rowan'
go
create table notes (mark int null, plain int null)
go
exec sp_bindrule 'dbo.r_range', 'notes.mark'
go
create rule r_own as @v <> 13
go
exec sp_bindrule 'rowan.r_own', 'notes.plain'
go
setuser
go
use rules_tgt
go
exec sp_adduser rowan
go
create rule r_range as @v > 0
go
create default d_level as 1
go
exec sp_addtype level_t, int, 'null'
go
exec sp_bindrule r_range, level_t
exec sp_bindefault d_level, level_t
go
create table readings (id int not null, level level_t, score int null)
go
create table leftover (c int null, d level_t)
go
exec sp_bindrule r_range, 'leftover.c'
exec sp_bindefault d_level, 'leftover.c'
go
setuser 'rowan'
go
create table notes (mark int null, plain int null, extra int null)
go
exec sp_bindrule 'dbo.r_range', 'notes.plain'
exec sp_bindefault 'dbo.d_level', 'notes.plain'
go
create rule r_own as @v <> 7
go
exec sp_bindrule 'rowan.r_own', 'notes.extra'
go
setuser
go
create database rules_chk
go
use rules_chk
go
exec sp_adduser rowan
go
create table guarded (v int null constraint r_range check (v > 0))
go
create database rules_hid
go
use rules_hid
go
create default d_secret as 42
go
create table vault (v int null)
go
exec sp_bindefault d_secret, 'vault.v'
go
exec sp_hidetext d_secret
go
)";

// Every binding of the rule and the default: datatype or owner.table.column, then the
// object's name, one line each; then the two texts.
const char* const kBindings =
    R"(select b = convert(varchar(80), t.name + ' ' + object_name(t.domain) ) from systypes t where t.domain = object_id('r_range')
select b = convert(varchar(80), t.name + ' ' + object_name(t.tdefault) ) from systypes t where t.tdefault = object_id('d_level')
select b = convert(varchar(80), user_name(o.uid) + '.' + o.name + '.' + c.name + ' ' + object_name(c.domain) ) from syscolumns c, sysobjects o where o.id = c.id and c.domain = object_id('r_range') order by 1
select b = convert(varchar(80), user_name(o.uid) + '.' + o.name + '.' + c.name + ' ' + object_name(c.cdefault) ) from syscolumns c, sysobjects o where o.id = c.id and c.cdefault = object_id('d_level') order by 1
select b = convert(varchar(80), user_name(o.uid) + '.' + o.name + '.' + c.name + ' ' + object_name(c.domain) ) from syscolumns c, sysobjects o where o.id = c.id and c.domain = object_id('rowan.r_own') order by 1
select b = convert(varchar(80), text) from syscomments where id in (object_id('r_range'), object_id('d_level'), object_id('rowan.r_own')) order by id
go
)";

class RuleReplacement : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<TdsimServer>(QStringList{});
        qputenv("FREETDSCONF", QFile::encodeName(s_server->iniFile()));
        s_work = std::make_unique<QTemporaryDir>();
        ASSERT_EQ(replay("setup.sql", QString::fromLatin1(kSetup)), QStringList());
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_work.reset();
    }

    static QStringList replay(const QString& name, const QString& script)
    {
        return replayWithBsqldb(TdsimServer::serverName(), s_work->filePath(name), script);
    }

    // The bindings and texts of `database`, as kBindings lists them, in order.
    static QStringList bindingsOf(const QString& database)
    {
        const QString path = s_work->filePath(database + QStringLiteral("-bindings.sql"));
        writeText(path, QByteArray(kBindings));
        const ToolResult result = runFisql(TdsimServer::serverName(), path, database);
        EXPECT_EQ(fisqlErrors(result), QStringList()) << qPrintable(result.out + result.err);
        static const QRegularExpression noRow(
            QStringLiteral("^(b|-*|\\(\\d+ rows? affected\\)|Changed database context.*)$"));
        QStringList rows;
        for (const QString& line : result.out.split(QLatin1Char('\n'))) {
            if (!noRow.match(line.trimmed()).hasMatch())
                rows << line.trimmed();
        }
        rows.sort();
        return rows;
    }

    static QString script(const QStringList& options, const QString& target = "rules_tgt")
    {
        const QString path = s_work->filePath(QStringLiteral("rules.sql"));
        const ToolResult scripted = runSkelderCliOnServer(
            TdsimServer::serverName(),
            QStringList{"-D", "rules_src", "-o", path, "--no-prefix-db", "--no-header"} + options);
        EXPECT_EQ(scripted.exitCode, 0) << qPrintable(scripted.err);
        QString text = readText(path);
        return text.replace(QRegularExpression(QStringLiteral("^USE rules_src(?=\\r?$)"),
                                               QRegularExpression::MultilineOption),
                            QStringLiteral("USE ") + target);
    }

    static inline std::unique_ptr<TdsimServer> s_server;
    static inline std::unique_ptr<QTemporaryDir> s_work;
};

TEST_F(RuleReplacement, OlderBoundRuleAndDefaultGetTheNewTextsAndTheScriptedBindings)
{
    QStringList expected = bindingsOf("rules_src");
    ASSERT_TRUE(expected.contains("create rule r_range as @v between 0 and 100"))
        << qPrintable(expected.join('\n'));
    ASSERT_TRUE(expected.contains("rowan.notes.mark r_range")) << qPrintable(expected.join('\n'));
    ASSERT_TRUE(expected.contains("rowan.notes.plain r_own")) << qPrintable(expected.join('\n'));
    // Where the target has a column of the datatype, the column has it through the type.
    expected << "dbo.leftover.d d_level"
             << "dbo.leftover.d r_range";
    expected.sort();
    ASSERT_NE(bindingsOf("rules_tgt"), expected);

    // The rules folder alone: the tables stay as the target has them, so the bindings
    // the script leaves are the rule's and the default's own.
    const QString rules = script({"--drop", "--kind", "rules"});
    EXPECT_EQ(replay("rules-1.sql", rules), QStringList());
    EXPECT_EQ(bindingsOf("rules_tgt"), expected);
    EXPECT_EQ(replay("rules-2.sql", rules), QStringList());
    EXPECT_EQ(bindingsOf("rules_tgt"), expected);

    // With the tables and the datatype, the defaults come before the tables that need them.
    const QString everything = script({"--drop"});
    EXPECT_EQ(replay("all-1.sql", everything), QStringList());
    EXPECT_EQ(replay("all-2.sql", everything), QStringList());
    EXPECT_EQ(bindingsOf("rules_tgt"), expected);
}

TEST_F(RuleReplacement, ACheckConstraintOfTheRulesNameIsNeitherUnboundNorDropped)
{
    const QString rules = script({"--drop", "--kind", "rules"}, "rules_chk");
    const QString path = s_work->filePath("check.sql");
    ASSERT_TRUE(writeText(path, rules.toUtf8()));
    // Only the CREATE fails, on the constraint that holds the name.
    const QStringList errors = fisqlErrors(runFisql(TdsimServer::serverName(), path, "rules_chk"));
    ASSERT_EQ(errors.size(), 1) << qPrintable(errors.join('\n'));
    EXPECT_TRUE(errors[0].contains("2714")) << qPrintable(errors[0]);
    const QString left = bindingsOf("rules_chk").join('\n');
    EXPECT_TRUE(left.contains("v > 0")) << qPrintable(left);
}

TEST_F(RuleReplacement, AHiddenDefaultReachedThroughItsTableIsReportedAndNeverDropped)
{
    const QString path = s_work->filePath("hidden.sql");
    const ToolResult scripted = runSkelderCliOnServer(
        TdsimServer::serverName(),
        {"-D", "rules_hid", "-o", path, "--drop", "--kind", "tables", "--no-header"});
    EXPECT_EQ(scripted.exitCode, 4) << qPrintable(scripted.err);
    EXPECT_TRUE(scripted.err.contains("default dbo.d_secret: its text cannot be read"))
        << qPrintable(scripted.err);
    const QString script = readText(path);
    EXPECT_FALSE(script.contains("DROP DEFAULT")) << qPrintable(script);
    EXPECT_TRUE(script.contains("CREATE TABLE")) << qPrintable(script);
}

TEST_F(RuleReplacement, WithoutDropGuardsTheTextIsWrittenAsStored)
{
    const QString plain = script({"--no-drop", "--kind", "rules"}).remove(QLatin1Char('\r'));
    EXPECT_TRUE(plain.contains("\ncreate rule r_range as @v between 0 and 100\nGO"))
        << qPrintable(plain);
    EXPECT_FALSE(plain.contains("sp_unbindrule")) << qPrintable(plain);
}

}  // namespace

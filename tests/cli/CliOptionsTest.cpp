// Parsing of skelder-cli's command line, without a server.
#include "CliOptions.h"

#include <gtest/gtest.h>
#include <QMap>
#include <QRegularExpression>

namespace {

TCliParseResult parse(const QStringList& arguments, const TAppSettings& settings = {})
{
    return parseCliArguments(arguments, settings);
}

TEST(CliOptions, DefaultsComeFromTheSettings)
{
    TAppSettings settings;
    settings.ServerName = "PROD";
    settings.UserName = "dba";
    settings.Options.TriggerScript = true;
    settings.Options.AddDrop = false;
    settings.Options.extension(ObjectKind::Tables) = "sql";
    const TCliParseResult result = parse({}, settings);
    ASSERT_TRUE(result.options);
    EXPECT_EQ(result.options->Server, "PROD");
    EXPECT_EQ(result.options->User, "dba");
    EXPECT_FALSE(result.options->PasswordGiven);
    EXPECT_TRUE(result.options->Options.TriggerScript);
    EXPECT_FALSE(result.options->Options.AddDrop);
    EXPECT_EQ(result.options->Options.extension(ObjectKind::Tables), "sql");
    EXPECT_TRUE(result.options->Header);
    EXPECT_TRUE(result.options->Databases.isEmpty());
    EXPECT_TRUE(result.options->Kinds.isEmpty());
    EXPECT_EQ(result.options->LoginTimeout, 30);
    EXPECT_EQ(result.options->CommandTimeout, 600);
}

TEST(CliOptions, CommandLineOverridesTheSettingsAndTheLastOfAPairWins)
{
    TAppSettings settings;
    settings.Options.TriggerScript = true;
    const TCliParseResult result = parse({"-S",
                                          "DEMO",
                                          "--user=bob",
                                          "-P",
                                          "",
                                          "--no-triggers",
                                          "--drop",
                                          "--no-drop",
                                          "--no-prefix-db",
                                          "--prefix-db",
                                          "--indexes",
                                          "--grants",
                                          "--no-grants",
                                          "-D",
                                          "b",
                                          "-D",
                                          "a",
                                          "--kind",
                                          "Tables",
                                          "--kind",
                                          "tables",
                                          "--kind",
                                          "rules",
                                          "--ext",
                                          "tables=sql",
                                          "--ext",
                                          "views=",
                                          "--no-header",
                                          "--quiet",
                                          "--list",
                                          "--command-timeout",
                                          "5"},
                                         settings);
    ASSERT_TRUE(result.options) << qPrintable(result.message);
    const TCliOptions& options = *result.options;
    EXPECT_EQ(options.Server, "DEMO");
    EXPECT_EQ(options.User, "bob");
    EXPECT_TRUE(options.PasswordGiven);
    EXPECT_EQ(options.Password, "");
    EXPECT_FALSE(options.Options.TriggerScript);
    EXPECT_FALSE(options.Options.AddDrop);
    EXPECT_TRUE(options.Options.PrefixWithDb);
    EXPECT_TRUE(options.Options.IndexScript);
    EXPECT_FALSE(options.Options.PrivilegeScript);
    EXPECT_EQ(options.Databases, QStringList({"b", "a"}));
    EXPECT_EQ(options.Kinds, QList<ObjectKind>({ObjectKind::Tables, ObjectKind::Rules}));
    EXPECT_EQ(options.Options.extension(ObjectKind::Tables), "sql");
    EXPECT_EQ(options.Options.extension(ObjectKind::Views), "");
    EXPECT_FALSE(options.Header);
    EXPECT_TRUE(options.Quiet);
    EXPECT_TRUE(options.List);
    EXPECT_EQ(options.CommandTimeout, 5);
    EXPECT_EQ(options.LoginTimeout, 30);
}

TEST(CliOptions, OutputGoesToOneFileOrOneFilePerObject)
{
    TCliParseResult result = parse({"-o", "x.sql"});
    ASSERT_TRUE(result.options);
    EXPECT_EQ(result.options->OutputFile, "x.sql");
    EXPECT_FALSE(result.options->Options.SeparateFiles);

    TAppSettings settings;
    settings.Options.SeparateFiles = true;  // the GUI's switch does not choose the mode here
    result = parse({}, settings);
    ASSERT_TRUE(result.options);
    EXPECT_FALSE(result.options->Options.SeparateFiles);
    result = parse({"--separate-files", "dir"});
    ASSERT_TRUE(result.options);
    EXPECT_TRUE(result.options->Options.SeparateFiles);
    EXPECT_EQ(result.options->SeparateFilesDir, "dir");
}

TEST(CliOptions, BadUsageExitsWithTwoAndSaysWhy)
{
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"--kind", "tabels"}, "Unknown --kind: tabels"},
        {{"--ext", "tables"}, "Bad --ext"},
        {{"--ext", "nothing=x"}, "Bad --ext"},
        {{"-o", "a", "--separate-files", "d"}, "exclude each other"},
        {{"--repository", "r", "--separate-files", "d"}, "exclude each other"},
        {{"--check"}, "--check goes with --repository"},
        {{"--compare", "x"}, "--compare compares one database"},
        {{"-D", "a", "--compare", "x", "-o", "f"}, "--compare writes a report"},
        {{"--migration", "m.sql"}, "--migration goes with --compare"},
        {{"-D", "a", "--compare", "x", "--drop-extra"}, "go with --migration"},
        {{"stray"}, "Unexpected argument: stray"},
        {{"--rdbms", "Oracle"}, "Unknown --rdbms"},
        {{"--bogus"}, "Unknown option"},
        // Qt's --help-all would otherwise be accepted and then ignored: the run went on.
        {{"--help-all"}, "Unknown option"},
        {{"--trace"}, "Missing value"},
        {{"-S"}, "Missing value"},
        {{"--login-timeout", "0"}, "--login-timeout needs a whole number of seconds"},
        {{"--command-timeout", "10m"}, "--command-timeout needs a whole number of seconds"},
        {{"--whole-server", "-D", "demo"}, "--whole-server takes every database and kind"},
        {{"--whole-server", "--kind", "tables"}, "--whole-server takes every database and kind"},
        {{"--kind", "logins", "--rdbms", "SQLAnywhere"}, "Adaptive Server's master only"},
    };
    for (const auto& c : cases) {
        const TCliParseResult result = parse(c.arguments);
        EXPECT_FALSE(result.options) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(result.exitCode, 2) << qPrintable(c.arguments.join(' '));
        EXPECT_TRUE(result.message.contains(QLatin1String(c.message)))
            << qPrintable(result.message);
    }
}

TEST(CliOptions, EveryOptionTheHelpDescribesIsAccepted)
{
    const TCliParseResult help = parse({"--help"});
    EXPECT_FALSE(help.options);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.message.contains("SKELDER_PASSWORD"));
    // Each "--name" of the help, with a value where the help names one.
    static const QRegularExpression described(
        QStringLiteral("^\\s+(?:-\\w, )?--([a-z-]+)( <([a-z=]+)>)?"),
        QRegularExpression::MultilineOption);
    int options = 0;
    for (QRegularExpressionMatchIterator it = described.globalMatch(help.message); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        if (name == QLatin1String("help") || name == QLatin1String("version"))
            continue;
        QStringList arguments{QStringLiteral("--") + name};
        // A value the option takes; the help's own placeholder where any text will do.
        static const QMap<QString, QString> samples{{"kind", "tables"},
                                                    {"ext", "tables=sql"},
                                                    {"rdbms", "SQLAnywhere"},
                                                    {"login-timeout", "5"},
                                                    {"command-timeout", "5"}};
        if (match.hasCaptured(3))
            arguments << samples.value(name, match.captured(3));
        // Options that qualify another one come with it.
        if (name == QLatin1String("check"))
            arguments << "--repository"
                      << "repo";
        if (name.startsWith(QLatin1String("compare")) || name == QLatin1String("migration"))
            arguments << QStringList{"-D", "demo", "--compare", "other"};
        if (name == QLatin1String("drop-extra") || name == QLatin1String("allow-data-loss"))
            arguments << QStringList{"-D", "demo", "--compare", "other", "--migration", "m.sql"};
        const TCliParseResult result = parse(arguments);
        EXPECT_TRUE(result.options) << qPrintable(arguments.join(' ') + ": " + result.message);
        ++options;
    }
    EXPECT_GT(options, 20);
}

// The whole server is every kind but the devices, which need asking for.
TEST(CliOptions, WholeServerTakesEveryKindAndDevicesOnRequest)
{
    const TCliParseResult whole = parse({"--whole-server"});
    ASSERT_TRUE(whole.options);
    EXPECT_EQ(whole.options->Kinds.size(), EveryKindCount - 1);
    EXPECT_FALSE(whole.options->Kinds.contains(ObjectKind::Devices));
    const TCliParseResult withDevices = parse({"--whole-server", "--devices"});
    ASSERT_TRUE(withDevices.options);
    EXPECT_TRUE(withDevices.options->Kinds.contains(ObjectKind::Devices));
    EXPECT_EQ(withDevices.options->Kinds.size(), EveryKindCount);
}

TEST(CliOptions, VersionIsAnsweredWithoutRunning)
{
    const TCliParseResult result = parse({"-S", "PROD", "--version"});
    EXPECT_FALSE(result.options);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.message.startsWith(QLatin1String("skelder-cli (Skelder) ")))
        << qPrintable(result.message);
    const TCliParseResult traced = parse({"--trace", "run.log"});
    ASSERT_TRUE(traced.options);
    EXPECT_EQ(traced.options->TraceFile, "run.log");
}

TEST(CliOptions, SettingsFileIsFoundInEitherForm)
{
    EXPECT_EQ(settingsFileArgument({"-S", "x", "--settings", "a.ini"}), "a.ini");
    EXPECT_EQ(settingsFileArgument({"--settings=b.ini"}), "b.ini");
    EXPECT_EQ(settingsFileArgument({"-S", "x"}), QString::fromLatin1(TAppSettings::FileName));
}

TEST(CliOptions, KindNamesRoundTrip)
{
    for (ObjectKind kind : EveryKind)
        EXPECT_EQ(kindFromName(kindName(kind)), kind);
    EXPECT_EQ(kindFromName("DataTypes"), ObjectKind::DataTypes);
    EXPECT_FALSE(kindFromName(""));
}

TEST(LikeMatch, PercentAndUnderscoreAsTheServerTakesThem)
{
    EXPECT_TRUE(likeMatch("dbo.%", "dbo.orders"));
    EXPECT_TRUE(likeMatch("%", ""));
    EXPECT_TRUE(likeMatch("%orders", "dbo.orders"));
    EXPECT_TRUE(likeMatch("%.order_", "dbo.orders"));
    EXPECT_TRUE(likeMatch("%s%s%", "customers"));
    EXPECT_TRUE(likeMatch("a%b%c", "aXbYbZc"));
    EXPECT_FALSE(likeMatch("a%b%c", "aXbYbZ"));
    EXPECT_FALSE(likeMatch("dbo.order_", "dbo.order"));
    EXPECT_FALSE(likeMatch("", "x"));
    EXPECT_FALSE(likeMatch("DBO.%", "dbo.orders"));  // case-sensitive, as the server compares
    EXPECT_TRUE(likeMatch("orders", "orders"));
    EXPECT_FALSE(likeMatch("orders", "orders2"));
}

}  // namespace

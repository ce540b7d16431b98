// `cmake --install` into a temporary prefix, and what a user of the installed tree sees.
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

namespace {

// The options a --help text lists: the words starting with a dash in the option column,
// that is on lines indented by at most four blanks, before the description.
QSet<QString> optionsOfHelp(const QString& help)
{
    static const QRegularExpression optionLine(QStringLiteral("^ {1,4}(-\\S.*?)(?:  |$)"));
    static const QRegularExpression name(QStringLiteral("(?<![\\w-])--?[A-Za-z][\\w-]*"));
    QSet<QString> options;
    for (const QString& line : help.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch column = optionLine.match(line);
        if (!column.hasMatch())
            continue;
        auto names = name.globalMatch(column.captured(1));
        while (names.hasNext())
            options << names.next().captured(0);
    }
    return options;
}

// The options a manual page describes: the tags (the line after each .TP) of its
// OPTIONS section, with the escapes and fonts taken out.
QSet<QString> optionsOfManualPage(const QString& page)
{
    static const QRegularExpression font(QStringLiteral(R"(\\f[BIRP])"));
    static const QRegularExpression name(QStringLiteral("(?<![\\w-])--?[A-Za-z][\\w-]*"));
    QSet<QString> options;
    bool inOptions = false;
    bool tagFollows = false;
    for (const QString& line : page.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String(".SH "))) {
            inOptions = line.mid(4).trimmed() == QLatin1String("OPTIONS");
            continue;
        }
        if (!inOptions)
            continue;
        if (line.startsWith(QLatin1String(".TP"))) {
            tagFollows = true;
            continue;
        }
        if (!tagFollows)
            continue;
        tagFollows = false;
        QString tag = line;
        tag.remove(QRegularExpression(QStringLiteral(R"(^\.[A-Z]+\s*)")));
        tag.remove(font).replace(QLatin1String("\\-"), QLatin1String("-"));
        tag.remove(QLatin1Char('"'));
        auto names = name.globalMatch(tag);
        while (names.hasNext())
            options << names.next().captured(0);
    }
    return options;
}

// The options of a set, sorted and joined, for messages that name them.
QString sorted(const QSet<QString>& set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list.join(QLatin1Char(' '));
}

// An environment as on a machine without a desktop.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

const QStringList kPrograms{"skelder", "skelder-cli", "tdsim"};

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_prefix = std::make_unique<QTemporaryDir>();
        s_install = runProgram(QStringLiteral(SKELDER_CMAKE_COMMAND),
                               {"--install", SKELDER_BINARY_DIR, "--prefix", s_prefix->path()});
    }
    static void TearDownTestSuite() { s_prefix.reset(); }

    void SetUp() override
    {
        ASSERT_EQ(s_install.exitCode, 0) << qPrintable(s_install.out + s_install.err);
    }

    static QString installed(const QString& relative) { return s_prefix->filePath(relative); }
    static QString manualPagePath(const QString& program)
    {
        return installed("share/man/man1/" + program + ".1.gz");
    }
    static QString manualPageSource(const QString& program)
    {
        return runProgram("gzip", {"-dc", manualPagePath(program)}).out;
    }

    static inline std::unique_ptr<QTemporaryDir> s_prefix;
    static inline ToolResult s_install;
};

TEST_F(InstallTest, PutsEveryFileInItsPlace)
{
    for (const QString& program : kPrograms) {
        const QFileInfo binary(installed("bin/" + program));
        EXPECT_TRUE(binary.isFile() && binary.isExecutable()) << qPrintable(program);
        EXPECT_TRUE(QFileInfo(manualPagePath(program)).isFile()) << qPrintable(program);
    }
    for (const char* file :
         {"share/applications/skelder.desktop", "share/icons/hicolor/scalable/apps/skelder.svg",
          "share/bash-completion/completions/skelder-cli", "share/skelder-tdsim/demo.sql"})
        EXPECT_TRUE(QFileInfo(installed(QString::fromLatin1(file))).isFile()) << file;
    // Nothing of the build itself: no tests, benchmarks, libraries or headers.
    EXPECT_EQ(QDir(installed("bin")).entryList(QDir::Files),
              QStringList({"skelder", "skelder-cli", "tdsim"}));
    EXPECT_FALSE(QFileInfo::exists(installed("lib")));
    EXPECT_FALSE(QFileInfo::exists(installed("include")));
}

TEST_F(InstallTest, DesktopEntryIsValidAndNamesTheInstalledProgramAndIcon)
{
    const QString entry = installed("share/applications/skelder.desktop");
    const ToolResult validation = runProgram("desktop-file-validate", {entry});
    EXPECT_EQ(validation.exitCode, 0) << qPrintable(validation.err);
    EXPECT_EQ(validation.out + validation.err, QString());

    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    const QString exec = QRegularExpression("^Exec=(\\S+)", QRegularExpression::MultilineOption)
                             .match(text)
                             .captured(1);
    const QString icon = QRegularExpression("^Icon=(\\S+)", QRegularExpression::MultilineOption)
                             .match(text)
                             .captured(1);
    EXPECT_TRUE(QFileInfo(installed("bin/" + exec)).isExecutable()) << qPrintable(exec);
    EXPECT_TRUE(QFileInfo(installed("share/icons/hicolor/scalable/apps/" + icon + ".svg")).isFile())
        << qPrintable(icon);
}

TEST_F(InstallTest, ManualPagesRenderWithoutWarningsAndCoverWhatTheyMust)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MANWIDTH", "80");
    environment.insert("LC_ALL", "C.UTF-8");
    for (const QString& program : kPrograms) {
        const ToolResult rendered =
            runProgram("man", {"--warnings", "-l", manualPagePath(program)}, {}, environment);
        EXPECT_EQ(rendered.exitCode, 0) << qPrintable(program);
        EXPECT_EQ(rendered.err, QString()) << qPrintable(program);
        EXPECT_TRUE(rendered.out.contains("Skelder " SKELDER_PROJECT_VERSION))
            << qPrintable(program);
        const QString source = manualPageSource(program);
        EXPECT_FALSE(source.contains(QRegularExpression("@[A-Z_]+@"))) << qPrintable(program);
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "SEE ALSO"})
            EXPECT_TRUE(source.contains(QStringLiteral(".SH ") + QLatin1String(section)))
                << qPrintable(program) << ": " << section;
    }
    for (const QString& program : {QStringLiteral("skelder-cli"), QStringLiteral("tdsim")}) {
        const QString source = manualPageSource(program);
        for (const char* part : {".SH ENVIRONMENT", ".SH FILES", ".SH EXIT STATUS", ".SH EXAMPLES",
                                 "SYBASE", "FREETDSCONF", "SKELDER_PASSWORD"})
            EXPECT_TRUE(source.contains(QLatin1String(part)))
                << qPrintable(program) << ": " << part;
    }
}

TEST_F(InstallTest, ManualPagesDescribeExactlyTheOptionsOfHelp)
{
    for (const QString& program : kPrograms) {
        const ToolResult help =
            runProgram(installed("bin/" + program), {"--help"}, {}, withoutDisplay());
        ASSERT_EQ(help.exitCode, 0) << qPrintable(program + help.err);
        const QSet<QString> inHelp = optionsOfHelp(help.out);
        const QSet<QString> inPage = optionsOfManualPage(manualPageSource(program));
        EXPECT_TRUE(inHelp.contains("--help") && inHelp.contains("--version"))
            << qPrintable(program);
        EXPECT_EQ(sorted(inHelp - inPage), QString())
            << qPrintable(program) << ": in --help, not in the manual page";
        EXPECT_EQ(sorted(inPage - inHelp), QString())
            << qPrintable(program) << ": in the manual page, not in --help";
    }
}

TEST_F(InstallTest, InstalledProgramsTellTheirVersionWithoutADisplay)
{
    for (const QString& program : kPrograms) {
        const ToolResult version =
            runProgram(installed("bin/" + program), {"--version"}, {}, withoutDisplay());
        EXPECT_EQ(version.exitCode, 0) << qPrintable(program + version.err);
        EXPECT_TRUE(version.out.startsWith(program + " (Skelder) " SKELDER_PROJECT_VERSION "\n"))
            << qPrintable(version.out);
    }
}

TEST_F(InstallTest, BashCompletionOffersOptionsKindsAndServers)
{
    QTemporaryDir sybase;
    ASSERT_TRUE(QDir(sybase.path()).mkpath("ini"));
    QFile list(sybase.filePath("ini/sql.ini"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        "[global]\n  tds version = 5.0\n[PROD_ASE]\n  host = db1\n  [test_ase] \n  port = 5000\n");
    list.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("SYBASE", sybase.path());

    // Completes the last of `words` as bash would, one candidate a line.
    const auto complete = [&](const QStringList& words) {
        const QString script = QStringLiteral(
            "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _skelder_cli; "
            "printf '%s\\n' \"${COMPREPLY[@]}\"");
        QStringList arguments{"-c", script, "bash",
                              installed("share/bash-completion/completions/skelder-cli"),
                              installed("bin/skelder-cli")};
        const ToolResult completed = runProgram("bash", arguments + words, {}, environment);
        EXPECT_EQ(completed.err, QString());
        QStringList candidates = completed.out.split('\n', Qt::SkipEmptyParts);
        candidates.sort();
        return candidates;
    };
    EXPECT_EQ(complete({"-S", ""}), QStringList({"PROD_ASE", "test_ase"}));
    EXPECT_EQ(complete({"--kind", "t"}), QStringList({"tables", "triggers"}));
    EXPECT_EQ(complete({"--ext", "v"}), QStringList({"views="}));
    EXPECT_EQ(complete({"-D", "sales", "--no-"}),
              QStringList({"--no-drop", "--no-grants", "--no-header", "--no-indexes",
                           "--no-prefix-db", "--no-triggers"}));
    EXPECT_EQ(complete({"--tr"}), QStringList({"--trace", "--triggers"}));
}

}  // namespace

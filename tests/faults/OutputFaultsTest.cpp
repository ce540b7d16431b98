// skelder-cli writing where writing fails: a file-size limit stands in for a full disk.
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

// Ignoring SIGXFSZ survives exec, so a write past the limit fails with EFBIG instead of
// killing the program.
const QString kFullDisk = QStringLiteral("trap '' XFSZ; ulimit -f 2; exec \"$@\"");

class OutputFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
    }
    static void TearDownTestSuite() { s_server.reset(); }

    static ToolResult cliIn(const QString& shell, const QStringList& arguments)
    {
        return runSkelderCliInShell(shell, TdsimServer::serverName(), arguments);
    }

    // Every file under `directory` with its content.
    static QMap<QString, QString> filesUnder(const QString& directory)
    {
        QMap<QString, QString> files;
        QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(QDir(directory).relativeFilePath(path), readText(path));
        }
        return files;
    }

    QTemporaryDir work;
    static inline std::unique_ptr<TdsimServer> s_server;
};

TEST_F(OutputFaults, AFullDiskLeavesTheEarlierScriptAndExitsWithOne)
{
    const QString path = work.filePath("demo.sql");
    ASSERT_TRUE(writeText(path, "previous script\r\n"));
    const ToolResult result = cliIn(kFullDisk, {"-D", "demo", "--drop", "-o", path});
    EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(path)) << qPrintable(result.err);
    // The system's reason, not Qt's "Unknown error" for a write that took part of the bytes.
    EXPECT_TRUE(result.err.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << qPrintable(result.err);
    EXPECT_EQ(readText(path), "previous script\r\n");
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"demo.sql"});
}

// Under /dev, a regular file is replaced as anywhere else; /dev/stdout is written in place
// even when it leads to a regular file.
TEST_F(OutputFaults, ARegularFileUnderDevIsReplacedLikeAnyOther)
{
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        GTEST_SKIP() << "no writable /dev/shm";
    QTemporaryDir shm(QStringLiteral("/dev/shm/skelder-XXXXXX"));
    ASSERT_TRUE(shm.isValid());
    const QString path = shm.filePath("x.sql");
    ASSERT_TRUE(writeText(path, "previous script\r\n"));
    const ToolResult full = cliIn(kFullDisk, {"-D", "demo", "--drop", "-o", path});
    EXPECT_EQ(full.exitCode, 1) << qPrintable(full.err);
    EXPECT_EQ(readText(path), "previous script\r\n");

    const QString redirected = work.filePath("redirected.sql");
    const ToolResult toStdout = cliIn(QStringLiteral("exec \"$@\" > '%1'").arg(redirected),
                                      {"-D", "demo", "--kind", "tables", "-o", "/dev/stdout"});
    EXPECT_EQ(toStdout.exitCode, 0) << qPrintable(toStdout.err);
    EXPECT_TRUE(readText(redirected).contains("CREATE TABLE"));
}

TEST_F(OutputFaults, AFullDiskLeavesEverySeparateFileWholeAndExitsWithOne)
{
    const QString directory = work.filePath("demo");
    ASSERT_EQ(
        cliIn("exec \"$@\"", {"-D", "demo", "--drop", "--no-header", "--separate-files", directory})
            .exitCode,
        0);
    const QMap<QString, QString> before = filesUnder(directory);
    ASSERT_GT(before.size(), 10);

    const ToolResult result =
        cliIn(kFullDisk, {"-D", "demo", "--drop", "--no-header", "--separate-files", directory});
    EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(directory)) << qPrintable(result.err);
    // The same objects give the same texts: every file is the earlier one or the new one,
    // both whole.
    EXPECT_EQ(filesUnder(directory), before);
}

TEST_F(OutputFaults, AFullOrClosedStandardOutputExitsWithOne)
{
    for (const QString& shell :
         {QStringLiteral("exec \"$@\" >/dev/full"), QStringLiteral("exec \"$@\" >&-")}) {
        for (const QStringList& arguments :
             {QStringList{"-D", "demo"}, QStringList{"-D", "demo", "--list"}}) {
            const ToolResult result = cliIn(shell, arguments);
            EXPECT_EQ(result.exitCode, 1) << qPrintable(shell + ' ' + arguments.join(' '));
            EXPECT_TRUE(result.err.contains("standard output")) << qPrintable(result.err);
        }
    }
}

TEST_F(OutputFaults, FifosAndDevicesAreWrittenAsStreams)
{
    const QString fifo = work.filePath("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString copy = work.filePath("copy.sql");
    // The reader gives up when no writer ever opens the pipe (the pipe was replaced).
    const ToolResult piped =
        cliIn(QStringLiteral("timeout 60 cat '%1' > '%2' & \"$@\"; status=$?; wait; exit $status")
                  .arg(fifo, copy),
              {"-D", "demo", "--kind", "tables", "-o", fifo});
    EXPECT_EQ(piped.exitCode, 0) << qPrintable(piped.err);
    EXPECT_TRUE(readText(copy).contains("CREATE TABLE")) << qPrintable(readText(copy));
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    const ToolResult toStdout =
        cliIn("exec \"$@\"", {"-D", "demo", "--kind", "tables", "-o", "/dev/stdout"});
    EXPECT_EQ(toStdout.exitCode, 0) << qPrintable(toStdout.err);
    EXPECT_TRUE(toStdout.out.contains("CREATE TABLE"));
}

TEST_F(OutputFaults, OnlyRegularFilesAreReplaced)
{
    const QString directory = work.filePath("a-directory.sql");
    ASSERT_TRUE(QDir().mkpath(directory));
    const ToolResult result = cliIn("exec \"$@\"", {"-D", "demo", "-o", directory});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(directory)) << qPrintable(result.err);
    EXPECT_TRUE(QFileInfo(directory).isDir());
}

}  // namespace

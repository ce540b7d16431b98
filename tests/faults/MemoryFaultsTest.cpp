// skelder-cli short of memory: an address-space limit (ulimit -v) just above what it needs
// to start makes its allocations fail at every point of startup and argument parsing in
// turn.
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace {

// Bad usage: the run ends once the arguments are parsed, without a server.
ToolResult usageErrorWithin(int kilobytes, const QString& settings)
{
    return runProgram(QStringLiteral("bash"),
                      {"-c", QStringLiteral("ulimit -v %1; exec \"$0\" \"$@\"").arg(kilobytes),
                       QStringLiteral(SKELDER_CLI_PATH), "--settings", settings, "--kind",
                       "nothing", "--object", "x%"});
}

TEST(MemoryFaults, NoAllocationFailureEscapesWhileTheArgumentsAreParsed)
{
    QTemporaryDir work;
    const QString settings = work.filePath("empty.ini");
    ASSERT_TRUE(writeText(settings, {}));
    // The least limit at which the run gets as far as its usage error.
    int low = 16 * 1024, high = 1024 * 1024;
    ASSERT_EQ(usageErrorWithin(high, settings).exitCode, 2);
    while (high - low > 64) {
        const int middle = (low + high) / 2;
        (usageErrorWithin(middle, settings).exitCode == 2 ? high : low) = middle;
    }
    // Around it, allocations fail at one point after another. A library may abort on its
    // own; a C++ exception must never escape.
    for (int kilobytes = high - 1024; kilobytes <= high + 2048; kilobytes += 16) {
        const ToolResult result = usageErrorWithin(kilobytes, settings);
        EXPECT_FALSE(result.err.contains("terminate called"))
            << kilobytes << " KiB: " << qPrintable(result.err);
        if (result.err.contains("skelder-cli: out of memory")) {
            EXPECT_EQ(result.exitCode, 1) << kilobytes << " KiB";
        }
    }
}

}  // namespace

#include "CliRun.h"
#include "StandardOutput.h"

#include <QCoreApplication>
#include <cstdio>
#include <new>

int main(int argc, char* argv[])
{
    // Memory can run out before the run's own error handling is in place: while Qt starts,
    // the settings are read or the arguments are parsed.
    try {
        StandardOutput::guardClosedDescriptor();
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Skelder"));
        return runCli(QCoreApplication::arguments().mid(1));
    } catch (const std::bad_alloc&) {
        std::fputs("skelder-cli: out of memory\n", stderr);
        return ExitFailure;
    }
}

#include "CliRun.h"
#include "StandardOutput.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    StandardOutput::guardClosedDescriptor();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Skelder"));
    return runCli(QCoreApplication::arguments().mid(1));
}

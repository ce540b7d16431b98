#include "CliRun.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Skelder"));
    return runCli(QCoreApplication::arguments().mid(1));
}

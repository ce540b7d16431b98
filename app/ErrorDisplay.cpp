#include "ErrorDisplay.h"

#include "CTLibException.h"
#include "Exceptions.h"
#include "SkelderVersion.h"
#include "UserInterface.h"

#include <QAction>
#include <QIcon>

void showException(const std::exception& error)
{
    if (dynamic_cast<const EAbort*>(&error))
        return;
    // The window's components have internal names ("db", "query"): the user is told what
    // failed without them.
    const auto* database = dynamic_cast<const EDatabaseError*>(&error);
    UserInterface::instance().showMessage(QApplication::applicationName(),
                                          database ? database->text() : exceptionMessage(error),
                                          UserInterface::Icon::Error);
}

void runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        showException(error);
    }
}

void connectCommand(QAction* action, std::function<void()> command)
{
    QObject::connect(action, &QAction::triggered, action,
                     [command = std::move(command)] { runCommand(command); });
}

TSkelderApplication::TSkelderApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Skelder"));
    setApplicationVersion(QStringLiteral(SKELDER_VERSION));
    // Lets the desktop match the windows to skelder.desktop and its icon.
    setDesktopFileName(QStringLiteral("skelder"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("skelder")));
}

bool TSkelderApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(error);
    }
    return false;
}

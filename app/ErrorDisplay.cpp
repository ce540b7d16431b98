#include "ErrorDisplay.h"

#include "Exceptions.h"
#include "UserInterface.h"

#include <QAction>

void showException(const std::exception& error)
{
    if (dynamic_cast<const EAbort*>(&error))
        return;
    UserInterface::instance().showMessage(QApplication::applicationName(), exceptionMessage(error),
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

#include "UserInterface.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <functional>

namespace {
ConsoleUserInterface& consoleInterface()
{
    static ConsoleUserInterface console;
    return console;
}

UserInterface* installedInterface = nullptr;

UserInterface& installedOrConsole()
{
    return installedInterface ? *installedInterface : consoleInterface();
}

// What code running beside the application's thread (a script built in the background)
// gets: each question or message waits until the application's thread has shown it; the
// wait cursor belongs to the application's own blocking calls and is left alone.
class OtherThreadUserInterface : public UserInterface {
public:
    void showMessage(const QString& title, const QString& text, Icon icon) override
    {
        onApplicationThread([&] { installedOrConsole().showMessage(title, text, icon); });
    }
    bool setBusyCursor(bool) override { return false; }
    LoginResult promptLogin(LoginRequest& request) override
    {
        LoginResult result = LoginResult::Cancel;
        onApplicationThread([&] { result = installedOrConsole().promptLogin(request); });
        return result;
    }
    void showMessageWindow(const QString& caption, const QString& text,
                           MessageWindowKind kind) override
    {
        onApplicationThread([&] { installedOrConsole().showMessageWindow(caption, text, kind); });
    }
    void beep() override
    {
        onApplicationThread([] { installedOrConsole().beep(); });
    }

private:
    static void onApplicationThread(const std::function<void()>& call)
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::BlockingQueuedConnection);
    }
};

bool onOtherThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() != application->thread();
}

const char* iconWord(UserInterface::Icon icon)
{
    switch (icon) {
        case UserInterface::Icon::Error:
            return "error";
        case UserInterface::Icon::Warning:
            return "warning";
        case UserInterface::Icon::Question:
            return "question";
        case UserInterface::Icon::Information:
            break;
    }
    return "info";
}
}  // namespace

UserInterface& UserInterface::instance()
{
    if (onOtherThread()) {
        static OtherThreadUserInterface otherThread;
        return otherThread;
    }
    return installedOrConsole();
}

UserInterface* UserInterface::install(UserInterface* ui)
{
    UserInterface* previous = installedInterface;
    installedInterface = ui;
    return previous;
}

void ConsoleUserInterface::showMessage(const QString& title, const QString& text, Icon icon)
{
    std::fprintf(stderr, "%s: %s: %s\n", qPrintable(title), iconWord(icon), qPrintable(text));
}

bool ConsoleUserInterface::setBusyCursor(bool busy)
{
    const bool previous = m_busy;
    m_busy = busy;
    return previous;
}

UserInterface::LoginResult ConsoleUserInterface::promptLogin(LoginRequest&)
{
    return LoginResult::Cancel;
}

void ConsoleUserInterface::showMessageWindow(const QString& caption, const QString& text,
                                             MessageWindowKind kind)
{
    showMessage(caption, text, kind == MessageWindowKind::Error ? Icon::Error : Icon::Information);
}

void ConsoleUserInterface::beep() {}

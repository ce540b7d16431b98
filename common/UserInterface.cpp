#include "UserInterface.h"

#include <cstdio>

namespace {
ConsoleUserInterface& consoleInterface()
{
    static ConsoleUserInterface console;
    return console;
}

UserInterface* installedInterface = nullptr;

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
    return installedInterface ? *installedInterface : consoleInterface();
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

#include "GuiUserInterface.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon boxIcon(UserInterface::Icon icon)
{
    switch (icon) {
        case UserInterface::Icon::Error:
            return QMessageBox::Critical;
        case UserInterface::Icon::Warning:
            return QMessageBox::Warning;
        case UserInterface::Icon::Question:
            return QMessageBox::Question;
        case UserInterface::Icon::Information:
            break;
    }
    return QMessageBox::Information;
}
}  // namespace

void GuiUserInterface::showMessage(const QString& title, const QString& text, Icon icon)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool GuiUserInterface::setBusyCursor(bool busy)
{
    const bool previous = m_busy;
    if (busy && !m_busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!busy && m_busy)
        QApplication::restoreOverrideCursor();
    m_busy = busy;
    return previous;
}

// The login dialog and the message window come with the connection layer; until then
// the prompt is cancelled and the message window is a message box.
UserInterface::LoginResult GuiUserInterface::promptLogin(LoginRequest&)
{
    return LoginResult::Cancel;
}

void GuiUserInterface::showMessageWindow(const QString& caption, const QString& text,
                                         MessageWindowKind kind)
{
    showMessage(caption, text, kind == MessageWindowKind::Error ? Icon::Error : Icon::Information);
}

void GuiUserInterface::beep()
{
    QApplication::beep();
}

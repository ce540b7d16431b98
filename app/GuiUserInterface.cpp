#include "GuiUserInterface.h"

#include "CTLibLogin.h"
#include "u_CTLib_Message.h"

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

UserInterface::LoginResult GuiUserInterface::promptLogin(LoginRequest& request)
{
    return runLoginDialog(request, QApplication::activeWindow());
}

void GuiUserInterface::showMessageWindow(const QString& caption, const QString& text,
                                         MessageWindowKind kind)
{
    showCtlibMessageWindow(caption, text, kind);
}

void GuiUserInterface::beep()
{
    QApplication::beep();
}

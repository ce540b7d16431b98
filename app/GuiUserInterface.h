#pragma once

#include "UserInterface.h"

// Message boxes owned by the active window and the application's wait cursor.
class GuiUserInterface : public UserInterface {
public:
    void showMessage(const QString& title, const QString& text, Icon icon) override;
    bool setBusyCursor(bool busy) override;
    LoginResult promptLogin(LoginRequest& request) override;
    void showMessageWindow(const QString& caption, const QString& text,
                           MessageWindowKind kind) override;
    void beep() override;

private:
    bool m_busy = false;
};

#pragma once

#include "UserInterface.h"

// Message boxes owned by the active window and the application's wait cursor.
class GuiUserInterface : public UserInterface {
public:
    void showMessage(const QString& title, const QString& text, Icon icon) override;
    bool setBusyCursor(bool busy) override;

private:
    bool m_busy = false;
};

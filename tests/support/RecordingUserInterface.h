// A user interface for tests: records every message instead of showing it.
#pragma once

#include "UserInterface.h"

#include <QString>
#include <optional>
#include <vector>

class RecordingUserInterface : public UserInterface {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon;
    };

    RecordingUserInterface() : m_previous(UserInterface::install(this)) {}
    ~RecordingUserInterface() override { UserInterface::install(m_previous); }

    void showMessage(const QString& title, const QString& text, Icon icon) override
    {
        messages.push_back({title, text, icon});
    }
    bool setBusyCursor(bool busy) override
    {
        const bool previous = busy_;
        busy_ = busy;
        return previous;
    }

    LoginResult promptLogin(LoginRequest& request) override
    {
        loginRequests.push_back(request);
        if (!loginAnswer)
            return LoginResult::Cancel;
        request = *loginAnswer;
        return LoginResult::Ok;
    }
    void showMessageWindow(const QString& caption, const QString& text,
                           MessageWindowKind kind) override
    {
        windows.push_back({caption, text, kind});
    }
    void beep() override { ++beeps; }

    struct Window {
        QString caption;
        QString text;
        MessageWindowKind kind;
    };

    std::vector<Shown> messages;
    std::vector<Window> windows;
    std::vector<LoginRequest> loginRequests;
    std::optional<LoginRequest> loginAnswer;  // none: the prompt is cancelled
    int beeps = 0;
    bool busy_ = false;

private:
    UserInterface* m_previous;
};

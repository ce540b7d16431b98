// A user interface for tests: records every message instead of showing it.
#pragma once

#include "UserInterface.h"

#include <QString>
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

    void showMessage(const QString& title, const QString& text, Icon icon) override {
        messages.push_back({title, text, icon});
    }
    bool setBusyCursor(bool busy) override {
        const bool previous = busy_;
        busy_ = busy;
        return previous;
    }

    std::vector<Shown> messages;
    bool busy_ = false;

private:
    UserInterface* m_previous;
};

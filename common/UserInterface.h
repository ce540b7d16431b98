// What the non-visual layers need from a person, asked through one interface that is
// installed once at start: the GUI answers with widgets, the console with stderr,
// tests with a recorder.
#pragma once

#include <QString>

class UserInterface {
public:
    enum class Icon { Information, Warning, Error, Question };

    virtual ~UserInterface() = default;

    // A modal message box owned by the active window (or its console equivalent).
    virtual void showMessage(const QString& title, const QString& text, Icon icon) = 0;

    // The wait cursor shown while a long call blocks the user-interface thread.
    // Returns the previous state so that callers can restore it.
    virtual bool setBusyCursor(bool busy) = 0;

    // The installed implementation; a console implementation until one is installed.
    static UserInterface& instance();
    // Installs `ui` (not owned) and returns the previous one; nullptr restores the console.
    static UserInterface* install(UserInterface* ui);
};

// Writes messages to stderr; has no cursor.
class ConsoleUserInterface : public UserInterface {
public:
    void showMessage(const QString& title, const QString& text, Icon icon) override;
    bool setBusyCursor(bool busy) override;

private:
    bool m_busy = false;
};

// Sets the wait cursor for the lifetime of the object and restores the previous state.
class BusyCursor {
public:
    explicit BusyCursor(bool enabled = true)
        : m_enabled(enabled),
          m_previous(enabled && UserInterface::instance().setBusyCursor(true)) {}
    ~BusyCursor() {
        if (m_enabled)
            UserInterface::instance().setBusyCursor(m_previous);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_enabled;
    bool m_previous;
};

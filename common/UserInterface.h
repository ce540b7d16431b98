// What the non-visual layers need from a person, asked through one interface that is
// installed once at start: the GUI answers with widgets, the console with stderr,
// tests with a recorder.
#pragma once

#include <QString>
#include <QStringList>

// What the login prompt shows and, after OK, what the user chose.
struct LoginRequest {
    QString serverName;
    QString userName;
    QString password;
    QString rdbms;
    QStringList serverList;
    bool serverPrompt = true;  // the server can be changed
    bool serverShow = true;    // the server field is shown
    bool rdbmsPrompt = true;
    bool rdbmsShow = true;
};

class UserInterface {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class LoginResult { Ok, Cancel, Other };
    enum class MessageWindowKind { Message, Error };

    virtual ~UserInterface() = default;

    // A modal message box owned by the active window (or its console equivalent).
    virtual void showMessage(const QString& title, const QString& text, Icon icon) = 0;

    // The wait cursor shown while a long call blocks the user-interface thread.
    // Returns the previous state so that callers can restore it.
    virtual bool setBusyCursor(bool busy) = 0;

    // Asks for server, login, password and kind of server; on Ok `request` holds the
    // user's choices.
    virtual LoginResult promptLogin(LoginRequest& request) = 0;

    // The modal message window for server and client messages, with a copy/print tool bar.
    virtual void showMessageWindow(const QString& caption, const QString& text,
                                   MessageWindowKind kind) = 0;

    // The default beep.
    virtual void beep() = 0;

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
    // There is nobody to ask unless a front end says so: the prompt is cancelled.
    LoginResult promptLogin(LoginRequest& request) override;
    void showMessageWindow(const QString& caption, const QString& text,
                           MessageWindowKind kind) override;
    void beep() override;

private:
    bool m_busy = false;
};

// Sets the wait cursor for the lifetime of the object and restores the previous state.
class BusyCursor {
public:
    explicit BusyCursor(bool enabled = true)
        : m_enabled(enabled), m_previous(enabled && UserInterface::instance().setBusyCursor(true))
    {
    }
    ~BusyCursor()
    {
        if (m_enabled)
            UserInterface::instance().setBusyCursor(m_previous);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_enabled;
    bool m_previous;
};

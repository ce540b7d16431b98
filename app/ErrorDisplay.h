// The application's standard error display: command handlers let exceptions pass, and
// this is the one place that shows them.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

class QAction;

// Shows an exception's message in a message box with the error icon; the silent abort
// shows nothing.
void showException(const std::exception& error);

// Runs a command and shows whatever it raises.
void runCommand(const std::function<void()>& command);

// Connects an action to a command handler, shown through the standard error display.
void connectCommand(QAction* action, std::function<void()> command);

// The application object; exceptions escaping any event handler reach the standard
// error display instead of unwinding through the event loop.
class TSkelderApplication : public QApplication {
public:
    TSkelderApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs a blocking call (a login, a listing) on a thread of its own while the calling
// thread's event loop goes on, so that the windows repaint meanwhile.
#pragma once

#include <QString>
#include <chrono>
#include <functional>

// What becomes of user input while a call runs in the background.
enum class InputMeanwhile {
    // Held back until the call has ended, but for the dialogs the call itself shows (a
    // login prompt, a message): nothing can start another request on the same connection.
    Held,
    // Handled at once: for a modal window whose only command is to stop the call.
    Handled,
};

// A call that waits on a server: once it has waited longer than a moment, a small modal
// window says what it waits for and offers Cancel, which ends the wait at once.
struct ServerWait {
    // How long the call has been waiting for the server (not for the user) without a pause.
    std::function<std::chrono::milliseconds()> waitedFor;
    // Ends the wait; the call then fails. Called on the window's thread while it waits.
    std::function<void()> abandon;
    QString waitingFor;  // "Retrieving views from demo"
};

// How long a wait on the server goes unshown.
constexpr std::chrono::milliseconds kWaitShownAfter{700};

// Runs `call` beside the application's thread and returns once it has ended, raising
// again whatever it raised. Meanwhile the windows repaint, and with `wait` a long wait
// for the server is shown with a Cancel button. `call` must leave widgets alone.
void callInBackground(const std::function<void()>& call,
                      InputMeanwhile input = InputMeanwhile::Held,
                      const ServerWait* wait = nullptr);

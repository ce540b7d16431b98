// Runs a blocking call (a login, a listing) on a thread of its own while the calling
// thread's event loop goes on, so that the windows repaint meanwhile.
#pragma once

#include <functional>

// What becomes of user input while a call runs in the background.
enum class InputMeanwhile {
    // Held back until the call has ended, but for the dialogs the call itself shows (a
    // login prompt, a message): nothing can start another request on the same connection.
    Held,
    // Handled at once: for a modal window whose only command is to stop the call.
    Handled,
};

// Runs `call` beside the application's thread and returns once it has ended, raising
// again whatever it raised. Meanwhile the windows repaint. `call` must leave widgets
// alone.
void callInBackground(const std::function<void()>& call,
                      InputMeanwhile input = InputMeanwhile::Held);

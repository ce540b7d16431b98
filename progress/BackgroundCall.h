// Runs a blocking call (a login, a listing) on a thread of its own while the calling
// thread's event loop goes on, so that the windows repaint meanwhile.
#pragma once

#include <functional>

// Runs `call` beside the application's thread and returns once it has ended, raising
// again whatever it raised. Meanwhile the windows repaint and take the dialogs the call
// shows (a login prompt, a message), but user input to them is held back until the call
// has ended: nothing can start another request on the same connection. `call` must leave
// widgets alone.
void callInBackground(const std::function<void()>& call);

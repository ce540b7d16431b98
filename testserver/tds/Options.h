// Option commands: the client's set/clear/get of session options, applied to
// the engine's SessionOptions.
#pragma once

#include "Reply.h"
#include "Request.h"
#include "engine/Engine.h"

namespace tdsim::tds {

// Appends the reply (an info token for a get, then DONE). Options the server
// does not keep are accepted and ignored, as are the client's option-0 calls.
void applyOption(const OptionCommand& command, SessionOptions& options, Reply& reply);

}  // namespace tdsim::tds

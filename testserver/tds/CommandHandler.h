// Executes a request's commands for one logged-in session and builds the reply:
// language batches go to the engine, cursors and dynamic statements are kept
// here, options are applied to the session.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "CursorTable.h"
#include "Reply.h"
#include "Request.h"
#include "ResultWriter.h"
#include "engine/Engine.h"

namespace tdsim::tds {

class CommandHandler {
public:
    CommandHandler(Session& session, ServerStats& stats, std::string serverName,
                   Product product = Product::AdaptiveServer);

    // The whole reply to one request, each command closed by its own DONE and
    // every DONE but the last carrying the MORE bit.
    Reply handle(const std::vector<Command>& commands);
    bool loggedOut() const { return loggedOut_; }

private:
    void handleOne(const Command& command, Reply& reply);
    void language(const LanguageCommand& command, Reply& reply);
    void dynamic(const DynamicCommand& command, Reply& reply);
    void internalError(const std::string& what, Reply& reply);

    Session& session_;
    ResultWriter results_;
    CursorTable cursors_;
    std::map<std::string, std::string> preparedStatements_;
    bool loggedOut_ = false;
};

}  // namespace tdsim::tds

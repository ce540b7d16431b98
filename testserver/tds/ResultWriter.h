// Turns what the engine produced for a batch into reply tokens.
#pragma once

#include <string>
#include <vector>

#include "Reply.h"
#include "engine/Engine.h"

namespace tdsim::tds {

class ResultWriter {
public:
    ResultWriter(std::string serverName, std::string currentDatabase)
        : serverName_(std::move(serverName)), currentDatabase_(std::move(currentDatabase))
    {
    }

    // One statement after another, each closed by its own DONE (or DONEPROC).
    // Consecutive procedure results share one procedure: only the one carrying
    // the return status closes it.
    void write(Reply& reply, const std::vector<StatementResult>& results);
    void writeMessages(Reply& reply, const std::vector<Message>& messages) const;

    const std::string& serverName() const { return serverName_; }
    const std::string& currentDatabase() const { return currentDatabase_; }

private:
    void writeStatement(Reply& reply, const StatementResult& result, bool procedureContinues);
    void writeRows(Reply& reply, const ResultSet& rs);

    std::string serverName_;
    std::string currentDatabase_;  // the old value of the next database change
};

}  // namespace tdsim::tds

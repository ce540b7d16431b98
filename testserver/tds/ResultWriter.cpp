#include "ResultWriter.h"

namespace tdsim::tds {

void ResultWriter::write(Reply& reply, const std::vector<StatementResult>& results) {
    for (size_t i = 0; i < results.size(); ++i) {
        const StatementResult& r = results[i];
        bool procedureContinues = r.isProcedure && !r.returnStatus && r.outputParams.empty() &&
                                  i + 1 < results.size() && results[i + 1].isProcedure;
        writeStatement(reply, r, procedureContinues);
    }
}

void ResultWriter::writeMessages(Reply& reply, const std::vector<Message>& messages) const {
    for (const Message& m : messages) {
        reply.message(m, serverName_);
    }
}

void ResultWriter::writeStatement(Reply& reply, const StatementResult& r, bool procedureContinues) {
    if (r.newDatabase) {
        reply.envChange(envchange::kDatabase, *r.newDatabase, currentDatabase_);
        currentDatabase_ = *r.newDatabase;
    }
    writeMessages(reply, r.messages);
    uint16_t status = r.failed ? done::kError : done::kFinal;
    int32_t count = r.rowCount;
    if (r.hasRowCount) {
        status |= done::kCount;
    }
    if (r.resultSet) {
        auto columns = WireColumn::forResultSet(*r.resultSet);
        reply.rowFormat(columns);
        for (const Row& row : r.resultSet->rows) {
            reply.row(columns, row);
        }
        status |= done::kCount;
        if (!r.hasRowCount) {
            count = static_cast<int32_t>(r.resultSet->rows.size());
        }
    }
    if (!r.isProcedure) {
        // The status must come straight before the parameters or the DONE, or
        // the client drops it.
        if (r.returnStatus) {
            reply.returnStatus(*r.returnStatus);
        }
        if (!r.outputParams.empty()) {
            reply.outputParams(r.outputParams);
        }
        reply.done(status, count);
        return;
    }
    if (r.resultSet || procedureContinues) {
        reply.done(status, count, token::kDoneInProc);
        status = r.failed ? done::kError : done::kFinal;
        count = 0;
    }
    if (procedureContinues) {
        return;
    }
    if (r.returnStatus) {
        reply.returnStatus(*r.returnStatus);
    }
    if (!r.outputParams.empty()) {
        reply.outputParams(r.outputParams);
    }
    reply.done(status, count, token::kDoneProc);
}

}  // namespace tdsim::tds

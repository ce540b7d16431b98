#include "ResultWriter.h"

#include <map>

namespace tdsim::tds {

void ResultWriter::write(Reply& reply, const std::vector<StatementResult>& results)
{
    for (size_t i = 0; i < results.size(); ++i) {
        const StatementResult& r = results[i];
        bool procedureContinues = r.isProcedure && !r.returnStatus && r.outputParams.empty() &&
                                  i + 1 < results.size() && results[i + 1].isProcedure;
        writeStatement(reply, r, procedureContinues);
    }
}

void ResultWriter::writeMessages(Reply& reply, const std::vector<Message>& messages) const
{
    for (const Message& m : messages) {
        reply.message(m, serverName_);
    }
}

// The compute formats follow the row format; each compute row goes out after the
// regular row that closes its group.
void ResultWriter::writeRows(Reply& reply, const ResultSet& rs)
{
    auto columns = WireColumn::forResultSet(rs);
    reply.rowFormat(columns);
    std::map<uint16_t, std::vector<WireColumn>> computeColumns;
    for (const ComputeFormat& format : rs.computeFormats) {
        auto& wire = computeColumns[format.id];
        wire = WireColumn::forCompute(format, rs.computeRows);
        reply.computeFormat(format, wire);
    }
    auto compute = rs.computeRows.begin();
    for (size_t i = 0; i <= rs.rows.size(); ++i) {
        for (; compute != rs.computeRows.end() && compute->afterRows == i; ++compute) {
            reply.computeRow(compute->id, computeColumns[compute->id], compute->values);
        }
        if (i < rs.rows.size()) {
            reply.row(columns, rs.rows[i]);
        }
    }
}

void ResultWriter::writeStatement(Reply& reply, const StatementResult& r, bool procedureContinues)
{
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
        writeRows(reply, *r.resultSet);
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

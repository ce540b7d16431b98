// The read-only cursors of one connection. The cursor's SELECT is run by the
// engine when it is opened; its rows are kept here and served a batch at a time.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Request.h"
#include "ResultWriter.h"
#include "engine/Engine.h"

namespace tdsim::tds {

class CursorTable {
public:
    CursorTable(Session& session, ResultWriter& results, ServerStats& stats,
                Product product = Product::AdaptiveServer)
        : session_(session),
          results_(results),
          stats_(stats),
          declareEndsWithDone_(product == Product::AdaptiveServer)
    {
    }

    // Each appends its reply, ending with one DONE; on SQL Anywhere the replies to a
    // successful declare and set-rows are the cursor information alone, so that a
    // client's first result after declare, rows and open is the cursor's rows.
    void declare(const CursorDeclare& command, Reply& reply);
    void setRows(const CursorSetRows& command, Reply& reply);
    void open(const CursorOpen& command, Reply& reply);
    void fetch(const CursorFetch& command, Reply& reply);
    void close(const CursorClose& command, Reply& reply);

    size_t size() const { return cursors_.size(); }

private:
    struct Cursor {
        uint32_t id = 0;
        std::string name;
        std::string statement;
        Params declareParams;
        std::optional<int32_t> rowsPerFetch;
        bool isOpen = false;
        ResultSet rows;
        std::vector<WireColumn> columns;
        size_t position = 0;  // index of the next row a "next" fetch returns
        uint16_t status() const;
    };

    Cursor* find(const CursorRef& ref);
    void notFound(const CursorRef& ref, Reply& reply);
    void fail(const Message& message, Reply& reply);
    size_t startOf(const Cursor& c, const CursorFetch& command, size_t batch) const;

    Session& session_;
    ResultWriter& results_;
    ServerStats& stats_;
    std::map<uint32_t, Cursor> cursors_;
    bool declareEndsWithDone_;
    uint32_t nextId_ = 1;  // ids are never 0: clients close a cursor by its id
};

// The engine's form of a parameter value (money and scaled numbers become numbers).
ParamValue engineValue(const Parameter& p);
Params engineValues(const std::vector<Parameter>& params);

}  // namespace tdsim::tds

// The commands a client's tokenised request carries, and the parser that
// turns a request message into them.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "Bytes.h"
#include "WireColumn.h"

namespace tdsim::tds {

struct Parameter {
    std::string name;
    WireColumn format;
    Value value;
};

struct LanguageCommand {
    std::string text;
    std::vector<Parameter> params;
};

struct CursorDeclare {
    std::string name;
    std::string statement;
    std::vector<Parameter> params;
};

// A cursor is named by its server-assigned id, or by name when the id is 0.
struct CursorRef {
    uint32_t id = 0;
    std::string name;
};

struct CursorSetRows {
    CursorRef cursor;
    uint8_t command = 0;  // 1 = set rows per fetch; anything else asks for the status
    int32_t rows = 0;
};

struct CursorOpen {
    CursorRef cursor;
    std::vector<Parameter> params;
};

enum class FetchType : uint8_t { Next = 1, Previous, First, Last, Absolute, Relative };

struct CursorFetch {
    CursorRef cursor;
    FetchType type = FetchType::Next;
    int32_t rowNumber = 0;
};

struct CursorClose {
    CursorRef cursor;
    bool deallocate = false;
};

enum class DynamicOp : uint8_t { Prepare = 0x01, Execute = 0x02, Deallocate = 0x04 };

struct DynamicCommand {
    DynamicOp op = DynamicOp::Prepare;
    std::string id;
    std::string statement;
    std::vector<Parameter> params;
};

enum class OptionOp : uint8_t { Set = 1, Clear = 2, Get = 3 };

struct OptionCommand {
    OptionOp op = OptionOp::Set;
    uint8_t option = 0;
    Bytes argument;
};

struct LogoutCommand {};

using Command = std::variant<LanguageCommand, CursorDeclare, CursorSetRows, CursorOpen, CursorFetch,
                             CursorClose, DynamicCommand, OptionCommand, LogoutCommand>;

// Parses the payload of a tokenised request (all its packets joined). Throws
// ProtocolError for anything truncated, unknown or inconsistent.
std::vector<Command> parseRequest(const Bytes& payload);

std::string describe(const Command& command);  // one line for the trace

}  // namespace tdsim::tds

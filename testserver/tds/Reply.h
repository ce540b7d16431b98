// A reply under construction: the server's tokens, in order, with the offsets
// the packetiser and the tracer need (where each token starts, where each DONE is).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Bytes.h"
#include "WireColumn.h"
#include "engine/Engine.h"

namespace tdsim::tds {

namespace token {
enum : uint8_t {
    kParamFormat2 = 0x20,
    kLanguage = 0x21,
    kLogout = 0x71,
    kReturnStatus = 0x79,
    kCurClose = 0x80,
    kCurFetch = 0x82,
    kCurInfo = 0x83,
    kCurOpen = 0x84,
    kCurDeclare = 0x86,
    kOptionCmd = 0xA6,
    kAltName = 0xA7,
    kAltFormat = 0xA8,
    kLoginAck = 0xAD,
    kRow = 0xD1,
    kAltRow = 0xD3,
    kParams = 0xD7,
    kCapability = 0xE2,
    kEnvChange = 0xE3,
    kEed = 0xE5,
    kDynamic = 0xE7,
    kParamFormat = 0xEC,
    kRowFormat = 0xEE,
    kDone = 0xFD,
    kDoneProc = 0xFE,
    kDoneInProc = 0xFF,
};
}  // namespace token

namespace done {
enum : uint16_t {
    kFinal = 0x0000,
    kMore = 0x0001,
    kError = 0x0002,
    kCount = 0x0010,
    kAttention = 0x0020,
};
}  // namespace done

namespace envchange {
enum : uint8_t { kDatabase = 1, kLanguage = 2, kCharset = 3, kPacketSize = 4 };
}

// Cursor status bits, as the client library reports them (CS_CURSTAT_*).
namespace curstat {
enum : uint16_t {
    kDeclared = 0x01,
    kOpen = 0x02,
    kClosed = 0x04,
    kReadOnly = 0x08,
    kRowCount = 0x20,
    kDeallocated = 0x40,
};
}

// The product a login acknowledgement names, with its version bytes. FreeTDS tells the
// products apart by the name (SQL Anywhere: compared case-insensitively).
struct ProductIdentity {
    std::string name;
    std::array<uint8_t, 4> version;
};
inline ProductIdentity adaptiveServer()
{
    return {"Adaptive Server Enterprise", {15, 7, 0, 0}};
}
// The version bytes of SQL Anywhere's acknowledgement are not documented; 12.0.1 is chosen.
inline ProductIdentity sqlAnywhere()
{
    return {"SQL Anywhere", {12, 0, 1, 0}};
}

class Reply {
public:
    const Bytes& bytes() const { return bytes_; }
    const std::vector<size_t>& tokenStarts() const { return tokenStarts_; }
    bool empty() const { return bytes_.empty(); }

    void envChange(uint8_t type, std::string_view newValue, std::string_view oldValue);
    void loginAck(bool accepted, const ProductIdentity& product = adaptiveServer());
    void capability(const Bytes& requestBits, const Bytes& responseBits);
    void message(const Message& m, std::string_view serverName);
    void rowFormat(const std::vector<WireColumn>& columns);
    void row(const std::vector<WireColumn>& columns, const Row& values);
    // A COMPUTE clause's format: ALTNAME (the client requires it first), then ALTFMT.
    void computeFormat(const ComputeFormat& format, const std::vector<WireColumn>& columns);
    void computeRow(uint16_t computeId, const std::vector<WireColumn>& columns, const Row& values);
    void returnStatus(int32_t status);
    void outputParams(const std::vector<std::pair<ColumnInfo, Value>>& params);
    void curInfo(uint32_t cursorId, uint16_t status, std::optional<int32_t> rowsPerFetch);
    void dynamicAck(std::string_view statementId);
    void optionInfo(uint8_t option, const Bytes& argument);
    void done(uint16_t status, int32_t rowCount = 0, uint8_t code = token::kDone);

    // Appends another reply's tokens after this one's.
    void append(const Reply& other);

    // Every DONE but the last gets the MORE bit: the client reads on until a DONE
    // without it, so a missing bit leaves the rest of the reply unread.
    void chainDones();

private:
    size_t begin(uint8_t code);
    Bytes bytes_;
    std::vector<size_t> tokenStarts_;
    std::vector<size_t> doneStatusOffsets_;
};

}  // namespace tdsim::tds

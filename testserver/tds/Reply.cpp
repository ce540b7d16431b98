#include "Reply.h"

namespace tdsim::tds {

namespace {
constexpr uint8_t kTdsVersion[4] = {5, 0, 0, 0};
constexpr uint8_t kLoginAccepted = 5;
constexpr uint8_t kLoginRefused = 6;
}  // namespace

size_t Reply::begin(uint8_t code)
{
    tokenStarts_.push_back(bytes_.size());
    bytes_.push_back(code);
    return bytes_.size();  // where a length field would go
}

void Reply::envChange(uint8_t type, std::string_view newValue, std::string_view oldValue)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kEnvChange);
    w.u16(0);
    w.u8(type);
    w.bstring(newValue);
    w.bstring(oldValue);
    w.patchLength16(len);
}

void Reply::loginAck(bool accepted, const ProductIdentity& product)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kLoginAck);
    w.u16(0);
    w.u8(accepted ? kLoginAccepted : kLoginRefused);
    w.raw(kTdsVersion, 4);
    w.bstring(product.name);
    w.raw(product.version.data(), product.version.size());
    w.patchLength16(len);
}

void Reply::capability(const Bytes& requestBits, const Bytes& responseBits)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kCapability);
    w.u16(0);
    w.u8(1);
    w.u8(static_cast<uint8_t>(requestBits.size()));
    w.raw(requestBits.data(), requestBits.size());
    w.u8(2);
    w.u8(static_cast<uint8_t>(responseBits.size()));
    w.raw(responseBits.data(), responseBits.size());
    w.patchLength16(len);
}

void Reply::message(const Message& m, std::string_view serverName)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kEed);
    w.u16(0);
    w.u32(static_cast<uint32_t>(m.number));
    w.u8(static_cast<uint8_t>(m.state));
    w.u8(static_cast<uint8_t>(m.severity));
    w.bstring("ZZZZZ");  // no SQL state of its own: the client derives one
    w.u8(0);             // no extended error data follows
    w.u16(0);            // transaction state
    // The text must leave room for the rest of the token within its 2-byte length.
    std::string_view text = m.text;
    w.sstring(text.substr(0, 60000));
    w.bstring(serverName);
    w.bstring(m.procName);
    w.u16(static_cast<uint16_t>(m.line));
    w.patchLength16(len);
}

void Reply::rowFormat(const std::vector<WireColumn>& columns)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kRowFormat);
    w.u16(0);
    w.u16(static_cast<uint16_t>(columns.size()));
    for (const auto& c : columns) {
        c.writeFormat(w);
    }
    w.patchLength16(len);
}

void Reply::row(const std::vector<WireColumn>& columns, const Row& values)
{
    ByteWriter w(bytes_);
    begin(token::kRow);
    for (size_t i = 0; i < columns.size(); ++i) {
        columns[i].writeValue(w, i < values.size() ? values[i] : Value::null());
    }
}

void Reply::returnStatus(int32_t status)
{
    ByteWriter w(bytes_);
    begin(token::kReturnStatus);
    w.u32(static_cast<uint32_t>(status));
}

void Reply::computeFormat(const ComputeFormat& format, const std::vector<WireColumn>& columns)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kAltName);
    w.u16(0);
    w.u16(format.id);
    for (const auto& c : columns) {
        w.bstring(c.name());
    }
    w.patchLength16(len);
    len = begin(token::kAltFormat);
    w.u16(0);
    w.u16(format.id);
    w.u8(static_cast<uint8_t>(columns.size()));
    for (size_t i = 0; i < columns.size(); ++i) {
        w.u8(static_cast<uint8_t>(format.columns[i].op));
        w.u8(static_cast<uint8_t>(format.columns[i].operand));
        columns[i].writeComputeFormat(w);
    }
    w.u8(static_cast<uint8_t>(format.byColumns.size()));
    for (int by : format.byColumns) {
        w.u8(static_cast<uint8_t>(by));
    }
    w.patchLength16(len);
}

void Reply::computeRow(uint16_t computeId, const std::vector<WireColumn>& columns,
                       const Row& values)
{
    ByteWriter w(bytes_);
    begin(token::kAltRow);
    w.u16(computeId);
    for (size_t i = 0; i < columns.size(); ++i) {
        columns[i].writeValue(w, i < values.size() ? values[i] : Value::null());
    }
}

void Reply::outputParams(const std::vector<std::pair<ColumnInfo, Value>>& params)
{
    std::vector<WireColumn> formats;
    for (const auto& [info, value] : params) {
        WireColumn c = WireColumn::forColumn(info, value.isNull ? 0 : value.bytes.size());
        c.setStatus(0x01);  // an output parameter
        if (c.name().empty() || c.name()[0] != '@') {
            c.setName("@" + c.name());
        }
        formats.push_back(std::move(c));
    }
    ByteWriter w(bytes_);
    size_t len = begin(token::kParamFormat);
    w.u16(0);
    w.u16(static_cast<uint16_t>(formats.size()));
    for (const auto& c : formats) {
        c.writeFormat(w);
    }
    w.patchLength16(len);
    begin(token::kParams);
    for (size_t i = 0; i < formats.size(); ++i) {
        formats[i].writeValue(w, params[i].second);
    }
}

void Reply::curInfo(uint32_t cursorId, uint16_t status, std::optional<int32_t> rowsPerFetch)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kCurInfo);
    w.u16(0);
    w.u32(cursorId);
    w.u8(3);  // command: inform
    w.u16(status);
    if (rowsPerFetch) {
        w.u32(static_cast<uint32_t>(*rowsPerFetch));
    }
    w.patchLength16(len);
}

void Reply::dynamicAck(std::string_view statementId)
{
    // Only type, status and id: a statement-length field here would be read as
    // the start of the next token.
    ByteWriter w(bytes_);
    size_t len = begin(token::kDynamic);
    w.u16(0);
    w.u8(0x20);
    w.u8(0);
    w.bstring(statementId);
    w.patchLength16(len);
}

void Reply::optionInfo(uint8_t option, const Bytes& argument)
{
    ByteWriter w(bytes_);
    size_t len = begin(token::kOptionCmd);
    w.u16(0);
    w.u8(4);  // command: info
    w.u8(option);
    w.u8(static_cast<uint8_t>(argument.size()));
    w.raw(argument.data(), argument.size());
    w.patchLength16(len);
}

void Reply::done(uint16_t status, int32_t rowCount, uint8_t code)
{
    ByteWriter w(bytes_);
    begin(code);
    doneStatusOffsets_.push_back(bytes_.size());
    w.u16(status);
    w.u16(0);  // transaction state
    w.u32(static_cast<uint32_t>(rowCount));
}

void Reply::append(const Reply& other)
{
    size_t base = bytes_.size();
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    for (size_t start : other.tokenStarts_) {
        tokenStarts_.push_back(base + start);
    }
    for (size_t offset : other.doneStatusOffsets_) {
        doneStatusOffsets_.push_back(base + offset);
    }
}

void Reply::chainDones()
{
    for (size_t i = 0; i + 1 < doneStatusOffsets_.size(); ++i) {
        bytes_[doneStatusOffsets_[i]] |= done::kMore;
    }
}

}  // namespace tdsim::tds

#include "Trace.h"

#include <stdexcept>

namespace tdsim::tds {

namespace {
constexpr size_t kHexBytesPerToken = 48;
}

const char* tokenName(uint8_t code)
{
    switch (code) {
        case token::kReturnStatus:
            return "RETURNSTATUS";
        case token::kCurInfo:
            return "CURINFO";
        case token::kOptionCmd:
            return "OPTIONCMD";
        case token::kLoginAck:
            return "LOGINACK";
        case token::kRow:
            return "ROW";
        case token::kAltName:
            return "ALTNAME";
        case token::kAltFormat:
            return "ALTFMT";
        case token::kAltRow:
            return "ALTROW";
        case token::kParams:
            return "PARAMS";
        case token::kCapability:
            return "CAPABILITY";
        case token::kEnvChange:
            return "ENVCHANGE";
        case token::kEed:
            return "EED";
        case token::kDynamic:
            return "DYNAMIC";
        case token::kParamFormat:
            return "PARAMFMT";
        case token::kRowFormat:
            return "ROWFMT";
        case token::kDone:
            return "DONE";
        case token::kDoneProc:
            return "DONEPROC";
        case token::kDoneInProc:
            return "DONEINPROC";
        default:
            return "TOKEN";
    }
}

Trace::Trace(const std::string& path) : file_(std::fopen(path.c_str(), "a"))
{
    if (!file_) {
        throw std::runtime_error("cannot open trace file " + path);
    }
}

void Trace::line(int spid, const std::string& text)
{
    if (!file_) {
        return;
    }
    std::lock_guard lock(mutex_);
    std::fprintf(file_.get(), "spid %d %s\n", spid, text.c_str());
    std::fflush(file_.get());
}

void Trace::problem(int spid, const std::string& text)
{
    if (file_) {
        line(spid, "!! " + text);
    } else {
        std::lock_guard lock(mutex_);
        std::fprintf(stderr, "tdsim: spid %d: %s\n", spid, text.c_str());
    }
}

void Trace::reply(int spid, const Reply& reply)
{
    if (!file_) {
        return;
    }
    const Bytes& bytes = reply.bytes();
    const auto& starts = reply.tokenStarts();
    std::string text;
    for (size_t i = 0; i < starts.size(); ++i) {
        size_t end = i + 1 < starts.size() ? starts[i + 1] : bytes.size();
        char head[64];
        std::snprintf(head, sizeof head, "spid %d -> %-12s %5zu bytes:", spid,
                      tokenName(bytes[starts[i]]), end - starts[i]);
        text += head;
        for (size_t at = starts[i]; at < end && at < starts[i] + kHexBytesPerToken; ++at) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", bytes[at]);
            text += hex;
        }
        text += end - starts[i] > kHexBytesPerToken ? " ...\n" : "\n";
    }
    std::lock_guard lock(mutex_);
    std::fprintf(file_.get(), "%s", text.c_str());
    std::fflush(file_.get());
}

}  // namespace tdsim::tds

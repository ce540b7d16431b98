#include "Options.h"

namespace tdsim::tds {

namespace {

enum class Kind { Flag, InvertedFlag, ForcedOn, ForcedOff, Byte, Int32 };

struct OptionSpec {
    uint8_t code;
    Kind kind;
    bool SessionOptions::*flag = nullptr;
    int SessionOptions::*number = nullptr;
};

const OptionSpec kOptions[] = {
    {1, Kind::Byte, nullptr, &SessionOptions::dateFirst},
    {2, Kind::Int32, nullptr, &SessionOptions::textSize},
    {3, Kind::Flag, &SessionOptions::statisticsTime},
    {4, Kind::Flag, &SessionOptions::statisticsIo},
    {5, Kind::Int32, nullptr, &SessionOptions::rowCount},
    {7, Kind::Byte, nullptr, &SessionOptions::dateFormat},
    {8, Kind::Byte, nullptr, &SessionOptions::isolation},
    {13, Kind::Flag, &SessionOptions::showPlan},
    {14, Kind::Flag, &SessionOptions::noExec},
    {15, Kind::Flag, &SessionOptions::arithIgnore},
    {17, Kind::Flag, &SessionOptions::arithAbort},
    {18, Kind::Flag, &SessionOptions::parseOnly},
    {21, Kind::Flag, &SessionOptions::noCount},
    {23, Kind::Flag, &SessionOptions::forcePlan},
    {24, Kind::Flag, &SessionOptions::formatOnly},
    {25, Kind::Flag, &SessionOptions::chained},
    {27, Kind::Flag, &SessionOptions::fipsFlagger},
    {34, Kind::Flag, &SessionOptions::ansiNull},
    {35, Kind::Flag, &SessionOptions::quotedIdentifier},
    {36, Kind::ForcedOff, &SessionOptions::arithIgnore},
    {37, Kind::ForcedOff, &SessionOptions::arithAbort},
    // "Truncation abort" is the opposite of the session's truncIgnore.
    {38, Kind::InvertedFlag, &SessionOptions::truncIgnore},
};

const OptionSpec* specFor(uint8_t code) {
    for (const auto& spec : kOptions) {
        if (spec.code == code) {
            return &spec;
        }
    }
    return nullptr;
}

int32_t argumentValue(const Bytes& arg) {
    uint32_t v = 0;
    for (size_t i = 0; i < arg.size() && i < 4; ++i) {
        v |= static_cast<uint32_t>(arg[i]) << (8 * i);
    }
    return static_cast<int32_t>(v);
}

void set(const OptionSpec& spec, SessionOptions& options, int32_t value) {
    switch (spec.kind) {
        case Kind::Flag:
            options.*spec.flag = value != 0;
            break;
        case Kind::InvertedFlag:
            options.*spec.flag = value == 0;
            break;
        case Kind::ForcedOn:
            options.*spec.flag = true;
            break;
        case Kind::ForcedOff:
            options.*spec.flag = false;
            break;
        case Kind::Byte:
        case Kind::Int32:
            options.*spec.number = value;
            break;
    }
}

void reset(const OptionSpec& spec, SessionOptions& options) {
    const SessionOptions defaults;
    if (spec.flag != nullptr) {
        options.*spec.flag = defaults.*spec.flag;
    } else {
        options.*spec.number = defaults.*spec.number;
    }
}

Bytes current(const OptionSpec& spec, const SessionOptions& options) {
    switch (spec.kind) {
        case Kind::Flag:
        case Kind::ForcedOn:
            return {static_cast<uint8_t>(options.*spec.flag ? 1 : 0)};
        case Kind::InvertedFlag:
        case Kind::ForcedOff:
            return {static_cast<uint8_t>(options.*spec.flag ? 0 : 1)};
        case Kind::Byte:
            return {static_cast<uint8_t>(options.*spec.number)};
        case Kind::Int32: {
            auto v = static_cast<uint32_t>(options.*spec.number);
            return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
        }
    }
    return {};
}

}  // namespace

void applyOption(const OptionCommand& command, SessionOptions& options, Reply& reply) {
    const OptionSpec* spec = specFor(command.option);
    switch (command.op) {
        case OptionOp::Set:
            if (spec != nullptr) {
                set(*spec, options, argumentValue(command.argument));
            }
            break;
        case OptionOp::Clear:
            if (spec != nullptr) {
                reset(*spec, options);
            }
            break;
        case OptionOp::Get:
            reply.optionInfo(command.option, spec != nullptr ? current(*spec, options) : Bytes{});
            break;
    }
    reply.done(done::kFinal);
}

}  // namespace tdsim::tds

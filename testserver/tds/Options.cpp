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

const OptionSpec* specFor(uint8_t code)
{
    for (const auto& option : kOptions) {
        if (option.code == code) {
            return &option;
        }
    }
    return nullptr;
}

int32_t argumentValue(const Bytes& arg)
{
    uint32_t v = 0;
    for (size_t i = 0; i < arg.size() && i < 4; ++i) {
        v |= static_cast<uint32_t>(arg[i]) << (8 * i);
    }
    return static_cast<int32_t>(v);
}

void set(const OptionSpec& option, SessionOptions& options, int32_t value)
{
    switch (option.kind) {
        case Kind::Flag:
            options.*option.flag = value != 0;
            break;
        case Kind::InvertedFlag:
            options.*option.flag = value == 0;
            break;
        case Kind::ForcedOn:
            options.*option.flag = true;
            break;
        case Kind::ForcedOff:
            options.*option.flag = false;
            break;
        case Kind::Byte:
        case Kind::Int32:
            options.*option.number = value;
            break;
    }
}

void reset(const OptionSpec& option, SessionOptions& options)
{
    const SessionOptions defaults;
    if (option.flag != nullptr) {
        options.*option.flag = defaults.*option.flag;
    } else {
        options.*option.number = defaults.*option.number;
    }
}

Bytes current(const OptionSpec& option, const SessionOptions& options)
{
    switch (option.kind) {
        case Kind::Flag:
        case Kind::ForcedOn:
            return {static_cast<uint8_t>(options.*option.flag ? 1 : 0)};
        case Kind::InvertedFlag:
        case Kind::ForcedOff:
            return {static_cast<uint8_t>(options.*option.flag ? 0 : 1)};
        case Kind::Byte:
            return {static_cast<uint8_t>(options.*option.number)};
        case Kind::Int32: {
            auto v = static_cast<uint32_t>(options.*option.number);
            return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
        }
    }
    return {};
}

}  // namespace

void applyOption(const OptionCommand& command, SessionOptions& options, Reply& reply)
{
    const OptionSpec* option = specFor(command.option);
    switch (command.op) {
        case OptionOp::Set:
            if (option != nullptr) {
                set(*option, options, argumentValue(command.argument));
            }
            break;
        case OptionOp::Clear:
            if (option != nullptr) {
                reset(*option, options);
            }
            break;
        case OptionOp::Get:
            reply.optionInfo(command.option,
                             option != nullptr ? current(*option, options) : Bytes{});
            break;
    }
    reply.done(done::kFinal);
}

}  // namespace tdsim::tds

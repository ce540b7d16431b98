#include "Request.h"

#include "Reply.h"

namespace tdsim::tds {

namespace {

CursorRef readCursorRef(ByteReader& in)
{
    CursorRef ref;
    ref.id = in.u32();
    if (ref.id == 0) {
        ref.name = in.bstring();
    }
    return ref;
}

Command parseLanguage(ByteReader& in, bool& paramsFollow)
{
    uint32_t length = in.u32();
    if (length < 1) {
        throw ProtocolError("language token without status byte");
    }
    ByteReader body = in.sub(length);
    paramsFollow = (body.u8() & 0x01) != 0;
    return LanguageCommand{body.str(body.remaining()), {}};
}

Command parseCurDeclare(ByteReader& body, bool& paramsFollow)
{
    CursorDeclare d;
    d.name = body.bstring();
    body.u8();  // options: the client always asks for read-only
    paramsFollow = (body.u8() & 0x01) != 0;
    d.statement = body.sstring();
    return d;  // update-column list ignored: cursors here are read-only
}

Command parseCurInfo(ByteReader& body)
{
    CursorSetRows s;
    s.cursor = readCursorRef(body);
    s.command = body.u8();
    body.u16();  // status: the client's bytes are unreliable, the command byte decides
    if (body.remaining() >= 4) {
        s.rows = static_cast<int32_t>(body.u32());
    }
    return s;
}

Command parseCurFetch(ByteReader& body)
{
    CursorFetch f;
    f.cursor = readCursorRef(body);
    uint8_t type = body.u8();
    if (type < 1 || type > 6) {
        throw ProtocolError("unknown fetch type " + std::to_string(type));
    }
    f.type = static_cast<FetchType>(type);
    if (f.type == FetchType::Absolute || f.type == FetchType::Relative) {
        f.rowNumber = static_cast<int32_t>(body.u32());
    }
    return f;
}

Command parseDynamic(ByteReader& body, bool& paramsFollow)
{
    DynamicCommand d;
    uint8_t op = body.u8();
    if (op != 0x01 && op != 0x02 && op != 0x04) {
        throw ProtocolError("unsupported dynamic operation " + std::to_string(op));
    }
    d.op = static_cast<DynamicOp>(op);
    paramsFollow = (body.u8() & 0x01) != 0;
    d.id = body.bstring();
    if (body.remaining() >= 2) {
        d.statement = body.sstring();
    }
    return d;
}

Command parseOption(ByteReader& body)
{
    OptionCommand o;
    uint8_t op = body.u8();
    if (op < 1 || op > 3) {
        throw ProtocolError("unknown option command " + std::to_string(op));
    }
    o.op = static_cast<OptionOp>(op);
    o.option = body.u8();
    uint8_t argLength = body.u8();
    std::string arg = body.str(argLength);
    o.argument.assign(arg.begin(), arg.end());
    return o;
}

std::vector<Parameter> parseParamFormat(ByteReader& body, bool wide)
{
    uint16_t count = body.u16();
    std::vector<Parameter> params;
    for (uint16_t i = 0; i < count; ++i) {
        Parameter p;
        p.name = body.bstring();
        wide ? body.u32() : body.u8();  // status
        body.u32();                     // usertype
        p.format = WireColumn::readTypeInfo(body);
        body.skip(body.u8());  // locale
        params.push_back(std::move(p));
    }
    return params;
}

std::vector<Parameter>* paramsOf(Command& c)
{
    if (auto* l = std::get_if<LanguageCommand>(&c)) {
        return &l->params;
    }
    if (auto* d = std::get_if<DynamicCommand>(&c)) {
        return &d->params;
    }
    if (auto* o = std::get_if<CursorOpen>(&c)) {
        return &o->params;
    }
    if (auto* d = std::get_if<CursorDeclare>(&c)) {
        return &d->params;
    }
    return nullptr;
}

}  // namespace

std::vector<Command> parseRequest(const Bytes& payload)
{
    ByteReader in(payload);
    std::vector<Command> commands;
    std::vector<Parameter> pendingFormats;
    bool formatPending = false;
    // Set by a command whose status says parameters follow; the next tokens must
    // then be a format and the values, before any other command.
    bool paramsFollow = false;
    while (!in.atEnd()) {
        uint8_t code = in.u8();
        bool isParamToken =
            code == token::kParamFormat || code == token::kParamFormat2 || code == token::kParams;
        if (paramsFollow != isParamToken) {
            throw ProtocolError(paramsFollow ? "announced parameters are missing"
                                             : "parameters nobody announced");
        }
        switch (code) {
            case token::kLanguage:
                commands.push_back(parseLanguage(in, paramsFollow));
                continue;
            case token::kLogout:
                in.u8();
                commands.push_back(LogoutCommand{});
                continue;
            case token::kParamFormat2: {
                ByteReader body = in.sub(in.u32());
                pendingFormats = parseParamFormat(body, true);
                formatPending = true;
                continue;
            }
            case token::kParams: {
                std::vector<Parameter>* target =
                    commands.empty() ? nullptr : paramsOf(commands.back());
                if (!formatPending || target == nullptr) {
                    throw ProtocolError("parameters without a format or a command");
                }
                for (auto& p : pendingFormats) {
                    p.value = p.format.readValue(in);
                }
                *target = std::move(pendingFormats);
                pendingFormats.clear();
                formatPending = false;
                paramsFollow = false;
                continue;
            }
            default:
                break;
        }
        // The remaining tokens carry a 2-byte length; each is parsed inside it.
        ByteReader body = in.sub(in.u16());
        switch (code) {
            case token::kCurDeclare:
                commands.push_back(parseCurDeclare(body, paramsFollow));
                break;
            case token::kCurInfo:
                commands.push_back(parseCurInfo(body));
                break;
            case token::kCurOpen: {
                CursorOpen o;
                o.cursor = readCursorRef(body);
                paramsFollow = body.remaining() > 0 && (body.u8() & 0x01) != 0;
                commands.push_back(std::move(o));
                break;
            }
            case token::kCurFetch:
                commands.push_back(parseCurFetch(body));
                break;
            case token::kCurClose: {
                CursorClose c;
                c.cursor = readCursorRef(body);
                c.deallocate = body.remaining() > 0 && (body.u8() & 0x01) != 0;
                commands.push_back(std::move(c));
                break;
            }
            case token::kDynamic:
                commands.push_back(parseDynamic(body, paramsFollow));
                break;
            case token::kOptionCmd:
                commands.push_back(parseOption(body));
                break;
            case token::kParamFormat:
                pendingFormats = parseParamFormat(body, false);
                formatPending = true;
                break;
            default:
                throw ProtocolError("unexpected request token " + std::to_string(code));
        }
    }
    if (formatPending || paramsFollow) {
        throw ProtocolError("parameters announced but not sent");
    }
    return commands;
}

namespace {
std::string quoted(const std::string& s)
{
    std::string out = "'";
    for (char ch : s.substr(0, 200)) {
        out += (ch == '\n' || ch == '\r' || ch == '\t') ? ' ' : ch;
    }
    return out + (s.size() > 200 ? "...'" : "'");
}

std::string cursorName(const CursorRef& ref)
{
    return ref.id != 0 ? "id " + std::to_string(ref.id) : quoted(ref.name);
}
}  // namespace

std::string describe(const Command& command)
{
    struct Describer {
        std::string operator()(const LanguageCommand& c) const
        {
            return "LANGUAGE " + quoted(c.text) + " params=" + std::to_string(c.params.size());
        }
        std::string operator()(const CursorDeclare& c) const
        {
            return "CURDECLARE " + quoted(c.name) + " " + quoted(c.statement);
        }
        std::string operator()(const CursorSetRows& c) const
        {
            return "CURINFO " + cursorName(c.cursor) + " command " + std::to_string(c.command) +
                   " rows " + std::to_string(c.rows);
        }
        std::string operator()(const CursorOpen& c) const
        {
            return "CUROPEN " + cursorName(c.cursor);
        }
        std::string operator()(const CursorFetch& c) const
        {
            return "CURFETCH " + cursorName(c.cursor) + " type " +
                   std::to_string(static_cast<int>(c.type));
        }
        std::string operator()(const CursorClose& c) const
        {
            return "CURCLOSE " + cursorName(c.cursor) + (c.deallocate ? " deallocate" : "");
        }
        std::string operator()(const DynamicCommand& c) const
        {
            return "DYNAMIC op " + std::to_string(static_cast<int>(c.op)) + " " + quoted(c.id) +
                   " " + quoted(c.statement) + " params=" + std::to_string(c.params.size());
        }
        std::string operator()(const OptionCommand& c) const
        {
            return "OPTIONCMD op " + std::to_string(static_cast<int>(c.op)) + " option " +
                   std::to_string(c.option) + " arglen " + std::to_string(c.argument.size());
        }
        std::string operator()(const LogoutCommand&) const { return "LOGOUT"; }
    };
    return std::visit(Describer{}, command);
}

}  // namespace tdsim::tds

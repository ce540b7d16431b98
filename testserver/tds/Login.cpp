#include "Login.h"

#include <algorithm>
#include <charconv>

namespace tdsim::tds {

namespace {

constexpr size_t kLoginRecordSize = 568;  // without the trailing capability token
constexpr int kMinPacketSize = 512;
// The server's "max network packet size": larger requests are granted this much.
constexpr int kMaxPacketSize = 8192;
constexpr int kDynamicProcRequestBit = 48;

// The capability bitmaps offered to a client that sent none.
const Bytes kDefaultRequestBits = {0x00, 0x00, 0x60, 0x08, 0x81, 0x81, 0xe8,
                                   0x0e, 0x6d, 0x7f, 0xff, 0xff, 0xff, 0xfe};
const Bytes kDefaultResponseBits = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x02, 0x68, 0x00, 0x00, 0x00};

// A fixed-width name field followed by its used-length byte.
std::string field(const Bytes& p, size_t offset, size_t width)
{
    uint8_t used = p[offset + width];
    if (used > width) {
        throw ProtocolError("login field at " + std::to_string(offset) + " claims " +
                            std::to_string(used) + " bytes");
    }
    return std::string(reinterpret_cast<const char*>(&p[offset]), used);
}

void readCapabilities(const Bytes& p, LoginRecord& login)
{
    if (p.size() <= kLoginRecordSize) {
        return;
    }
    ByteReader in(p.data() + kLoginRecordSize, p.size() - kLoginRecordSize);
    if (in.u8() != token::kCapability) {
        throw ProtocolError("login record without capability token");
    }
    ByteReader body = in.sub(in.u16());
    while (!body.atEnd()) {
        uint8_t type = body.u8();
        std::string bits = body.str(body.u8());
        Bytes& target = type == 1 ? login.requestCapabilities : login.responseCapabilities;
        target.assign(bits.begin(), bits.end());
    }
}

void clearBit(Bytes& bitmap, int bit)
{
    size_t index = bit / 8;
    if (index < bitmap.size()) {
        bitmap[bitmap.size() - 1 - index] &= static_cast<uint8_t>(~(1u << (bit % 8)));
    }
}

}  // namespace

LoginRecord parseLoginRecord(const Bytes& p)
{
    if (p.size() < kLoginRecordSize) {
        throw ProtocolError("login record of " + std::to_string(p.size()) + " bytes");
    }
    LoginRecord login;
    login.hostName = field(p, 0, 30);
    login.userName = field(p, 31, 30);
    login.password = field(p, 62, 30);
    login.appName = field(p, 140, 30);
    login.serverName = field(p, 171, 30);
    login.libraryName = field(p, 462, 10);
    login.language = field(p, 480, 30);
    std::string size = field(p, 557, 6);
    int requested = 0;
    auto [end, ec] = std::from_chars(size.data(), size.data() + size.size(), requested);
    login.requestedPacketSize =
        (ec == std::errc() && end == size.data() + size.size()) ? requested : kMinPacketSize;
    readCapabilities(p, login);
    return login;
}

int negotiatePacketSize(int requested)
{
    return std::clamp(requested, kMinPacketSize, kMaxPacketSize);
}

Reply acceptLogin(const LoginRecord& login, const LoginContext& context, int grantedPacketSize)
{
    Reply r;
    r.envChange(envchange::kDatabase, context.database, "");
    r.envChange(envchange::kLanguage, context.language, "");
    r.envChange(envchange::kCharset, context.charset, "");
    r.loginAck(true, context.product);
    r.envChange(envchange::kPacketSize, std::to_string(grantedPacketSize),
                std::to_string(login.requestedPacketSize));
    // Echoing the dynamic-procedure bit would make clients wrap every prepared
    // statement in "create proc ... as"; clearing it keeps the plain SQL.
    Bytes request = login.requestCapabilities.size() == kDefaultRequestBits.size()
                        ? login.requestCapabilities
                        : kDefaultRequestBits;
    Bytes response = login.responseCapabilities.size() == kDefaultResponseBits.size()
                         ? login.responseCapabilities
                         : kDefaultResponseBits;
    clearBit(request, kDynamicProcRequestBit);
    r.capability(request, response);
    r.done(done::kFinal);
    return r;
}

Reply refuseLogin(const LoginContext& context)
{
    Reply r;
    Message m;
    m.number = 4002;
    m.state = 1;
    m.severity = 14;
    m.text = "Login failed.\n";
    m.line = 1;
    r.message(m, context.serverName);
    r.loginAck(false, context.product);
    r.done(done::kFinal);
    return r;
}

}  // namespace tdsim::tds

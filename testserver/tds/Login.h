// The login record a client sends first, and the replies that accept or refuse it.
#pragma once

#include <string>

#include "Bytes.h"
#include "Reply.h"

namespace tdsim::tds {

struct LoginRecord {
    std::string hostName;
    std::string userName;
    std::string password;
    std::string appName;
    std::string serverName;
    std::string libraryName;
    std::string language;
    int requestedPacketSize = 512;
    Bytes requestCapabilities;
    Bytes responseCapabilities;
};

// Parses the login message (both packets joined). Throws ProtocolError when it
// is too short or a field's length byte exceeds its field.
LoginRecord parseLoginRecord(const Bytes& payload);

// The packet size the server grants for a requested one.
int negotiatePacketSize(int requested);

struct LoginContext {
    std::string database;
    std::string language = "us_english";
    std::string charset = "iso_1";
    std::string serverName;
    ProductIdentity product = adaptiveServer();
};

// database, language and charset changes, acknowledgement, packet size,
// capabilities (with the dynamic-procedure request bit cleared), DONE.
Reply acceptLogin(const LoginRecord& login, const LoginContext& context, int grantedPacketSize);
// Message 4002, the refusal acknowledgement and DONE.
Reply refuseLogin(const LoginContext& context);

}  // namespace tdsim::tds

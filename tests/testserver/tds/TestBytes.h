// Hex helpers for byte-exact protocol tests.
#pragma once

#include <string>
#include <vector>

#include "tds/Bytes.h"

namespace tdsim::testing {

// Hex digits to bytes; anything else (spaces, quotes) separates nothing and is skipped.
// 'text' inside single quotes is taken literally, so dumps can be pasted as written.
inline tds::Bytes hex(const std::string& dump)
{
    tds::Bytes out;
    int pending = -1;
    for (size_t i = 0; i < dump.size(); ++i) {
        char c = dump[i];
        if (c == '\'') {
            size_t end = dump.find('\'', i + 1);
            out.insert(out.end(), dump.begin() + static_cast<long>(i) + 1,
                       dump.begin() + static_cast<long>(end));
            i = end;
            continue;
        }
        int v = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
        if (v < 0) {
            continue;
        }
        if (pending < 0) {
            pending = v;
        } else {
            out.push_back(static_cast<uint8_t>(pending * 16 + v));
            pending = -1;
        }
    }
    return out;
}

inline tds::Bytes joinHex(const std::vector<std::string>& parts)
{
    tds::Bytes out;
    for (const auto& p : parts) {
        auto b = hex(p);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

// The payload of captured packets: headers dropped, packets joined.
inline tds::Bytes payloadOf(const std::vector<std::string>& packets)
{
    tds::Bytes out;
    for (const auto& p : packets) {
        auto b = hex(p);
        out.insert(out.end(), b.begin() + 8, b.end());
    }
    return out;
}

inline std::string toHex(const tds::Bytes& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

}  // namespace tdsim::testing

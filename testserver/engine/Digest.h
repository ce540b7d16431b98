// Message digests for the server's hash() function and stored passwords.
#pragma once

#include <string>

namespace tdsim {

// The 16-byte MD5 digest of `data` (RFC 1321).
std::string md5Digest(const std::string& data);
// The 20-byte SHA-1 digest of `data` (FIPS 180-4).
std::string sha1Digest(const std::string& data);
// The 32-byte SHA-256 digest of `data` (FIPS 180-4).
std::string sha256Digest(const std::string& data);
// Lower-case hexadecimal digits of `bytes`.
std::string hexDigits(const std::string& bytes);

}  // namespace tdsim

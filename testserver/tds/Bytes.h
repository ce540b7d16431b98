// Little-endian byte building and bounds-checked reading for TDS tokens.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tdsim::tds {

using Bytes = std::vector<uint8_t>;

// Raised for any request that does not parse; the connection that sent it is closed.
class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends little-endian integers and length-prefixed strings to a byte vector.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& out) : out_(out) {}

    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v) { le(v, 2); }
    void u32(uint32_t v) { le(v, 4); }
    void u64(uint64_t v) { le(v, 8); }
    void raw(const void* data, size_t size)
    {
        auto p = static_cast<const uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    void raw(std::string_view s) { raw(s.data(), s.size()); }
    void zeros(size_t count) { out_.insert(out_.end(), count, 0); }
    // b-string: 1-byte length, then the bytes (cut at 255).
    void bstring(std::string_view s)
    {
        auto n = s.size() > 255 ? 255 : s.size();
        u8(static_cast<uint8_t>(n));
        raw(s.data(), n);
    }
    // s-string: 2-byte length, then the bytes (cut at 65535).
    void sstring(std::string_view s)
    {
        auto n = s.size() > 65535 ? 65535 : s.size();
        u16(static_cast<uint16_t>(n));
        raw(s.data(), n);
    }
    size_t size() const { return out_.size(); }
    // Overwrites a 2-byte length at `at` with the count of bytes written after it.
    void patchLength16(size_t at)
    {
        size_t len = out_.size() - at - 2;
        if (len > 0xFFFF) {
            throw std::length_error("token longer than its 2-byte length field allows");
        }
        out_[at] = static_cast<uint8_t>(len);
        out_[at + 1] = static_cast<uint8_t>(len >> 8);
    }
    void patchLength32(size_t at)
    {
        uint32_t len = static_cast<uint32_t>(out_.size() - at - 4);
        for (int i = 0; i < 4; ++i) {
            out_[at + i] = static_cast<uint8_t>(len >> (8 * i));
        }
    }

private:
    void le(uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i) {
            out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    Bytes& out_;
};

// Reads from a byte range; every read past the end throws ProtocolError, so a
// length field can never make the parser step outside what actually arrived.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const Bytes& b) : ByteReader(b.data(), b.size()) {}

    size_t remaining() const { return size_ - pos_; }
    size_t position() const { return pos_; }
    bool atEnd() const { return pos_ == size_; }

    uint8_t u8() { return *take(1); }
    uint8_t peek() const
    {
        need(1);
        return data_[pos_];
    }
    uint16_t u16() { return static_cast<uint16_t>(le(2)); }
    uint32_t u32() { return static_cast<uint32_t>(le(4)); }
    uint64_t u64() { return le(8); }
    std::string str(size_t n)
    {
        auto p = take(n);
        return std::string(reinterpret_cast<const char*>(p), n);
    }
    std::string bstring() { return str(u8()); }
    std::string sstring() { return str(u16()); }
    void skip(size_t n) { take(n); }
    // A sub-reader over the next n bytes (a token body with a length field).
    ByteReader sub(size_t n) { return ByteReader(take(n), n); }

private:
    void need(size_t n) const
    {
        if (n > size_ - pos_) {
            throw ProtocolError("truncated data: needed " + std::to_string(n) + " bytes, " +
                                std::to_string(size_ - pos_) + " left");
        }
    }
    const uint8_t* take(size_t n)
    {
        need(n);
        auto p = data_ + pos_;
        pos_ += n;
        return p;
    }
    uint64_t le(int n)
    {
        auto p = take(n);
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) {
            v = (v << 8) | p[i];
        }
        return v;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace tdsim::tds

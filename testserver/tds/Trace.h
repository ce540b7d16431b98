// A readable log of every request and reply token, shared by all connections.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "Reply.h"

namespace tdsim::tds {

class Trace {
public:
    Trace() = default;  // disabled: only problems go to standard error
    explicit Trace(const std::string& path);

    bool enabled() const { return file_ != nullptr; }
    void line(int spid, const std::string& text);
    // A problem worth seeing even without a trace file (a connection dropped for bad input).
    void problem(int spid, const std::string& text);
    void reply(int spid, const Reply& reply);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::mutex mutex_;
};

const char* tokenName(uint8_t code);

}  // namespace tdsim::tds

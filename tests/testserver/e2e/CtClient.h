// A thin RAII layer over Client-Library for the end-to-end tests: one context,
// connection and command, with the server and client messages collected.
#pragma once

#include <ctpublic.h>

#include <string>
#include <vector>

namespace tdsim::e2e {

struct ServerMessage {
    int number = 0;
    int severity = 0;
    int state = 0;
    std::string text;
};

class CtClient {
public:
    CtClient();
    ~CtClient();
    CtClient(const CtClient&) = delete;
    CtClient& operator=(const CtClient&) = delete;

    CS_RETCODE connect(const std::string& user, const std::string& password);
    CS_COMMAND* cmd() const { return cmd_; }
    CS_CONNECTION* connection() const { return con_; }

    // Sends a language batch.
    CS_RETCODE sendLanguage(const std::string& sql);
    // Calls ct_results until CS_END_RESULTS (or a failure), fetching every row
    // (compute rows too) as text; returns the result types seen, in order.
    std::vector<CS_INT> drain(std::vector<std::vector<std::string>>* rows = nullptr);
    // Fetches all rows of the current result as text (NULL as "NULL").
    std::vector<std::vector<std::string>> fetchAll();

    static std::vector<ServerMessage>& serverMessages();
    static std::vector<std::string>& clientMessages();

private:
    CS_CONTEXT* ctx_ = nullptr;
    CS_CONNECTION* con_ = nullptr;
    CS_COMMAND* cmd_ = nullptr;
    bool connected_ = false;
};

}  // namespace tdsim::e2e

// A stand-in engine for protocol tests: a handful of canned statements, enough
// to exercise every token the protocol side writes, without any SQL engine.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "engine/Engine.h"

namespace tdsim::testing {

inline ResultSet demoTable()
{
    ResultSet rs;
    rs.columns = {ColumnInfo{"id", ColumnType::Int, 4, 0, 0, false, 7},
                  ColumnInfo{"name", ColumnType::VarChar, 30, 0, 0, true, 2}};
    const char* names[] = {"alpha", "beta", nullptr, "delta", "epsilon"};
    for (int i = 0; i < 5; ++i) {
        rs.rows.push_back(
            {Value::ofInt(i + 1), names[i] ? Value::ofString(names[i]) : Value::null()});
    }
    return rs;
}

class FakeSession : public Session {
public:
    explicit FakeSession(int spid) : spid_(spid) {}

    std::vector<StatementResult> execute(const std::string& batch, const Params& params) override
    {
        lastParams = params;
        std::vector<StatementResult> results;
        for (const std::string& statement : split(batch)) {
            results.push_back(run(statement, params));
        }
        return results;
    }
    std::string currentDatabase() const override { return database_; }
    SessionOptions& options() override { return options_; }
    int spid() const override { return spid_; }
    void setCancelCheck(std::function<bool()>) override {}

    Params lastParams;

private:
    static std::string lower(std::string s)
    {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return s;
    }
    // Statements start at these keywords; good enough for the canned texts.
    static std::vector<std::string> split(const std::string& batch)
    {
        std::vector<std::string> out;
        std::string low = lower(batch);
        std::vector<size_t> starts;
        for (const char* kw : {"select ", "use ", "set ", "print ", "exec "}) {
            for (size_t at = low.find(kw); at != std::string::npos; at = low.find(kw, at + 1)) {
                if (at == 0 || std::isspace(static_cast<unsigned char>(low[at - 1]))) {
                    starts.push_back(at);
                }
            }
        }
        std::sort(starts.begin(), starts.end());
        for (size_t i = 0; i < starts.size(); ++i) {
            size_t end = i + 1 < starts.size() ? starts[i + 1] : batch.size();
            out.push_back(batch.substr(starts[i], end - starts[i]));
        }
        return out;
    }
    static std::string trimmed(std::string s)
    {
        while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
            s.pop_back();
        return s;
    }
    StatementResult run(const std::string& raw, const Params& params)
    {
        std::string s = trimmed(lower(raw));
        StatementResult r;
        if (s == "select @@spid") {
            r.resultSet = ResultSet{{ColumnInfo{"", ColumnType::Int, 4, 0, 0, false, 0}},
                                    {{Value::ofInt(spid_)}}};
        } else if (s.rfind("use ", 0) == 0) {
            std::string db = trimmed(raw.substr(4));
            if (!db.empty() && db.front() == '[')
                db = db.substr(1, db.size() - 2);
            if (db == "nowhere") {
                r.messages.push_back({911, 1, 11,
                                      "Attempt to locate entry in sysdatabases for database "
                                      "'nowhere' by name failed - no entry found under that name. "
                                      "Make sure that name is entered properly.\n",
                                      "", 1});
                r.failed = true;
            } else {
                database_ = db;
                r.newDatabase = db;
                r.messages.push_back(
                    {5701, 1, 10, "Changed database context to '" + db + "'.\n", "", 1});
            }
        } else if (s == "select * from demo") {
            r.resultSet = demoTable();
        } else if (s == "select * from empty") {
            ResultSet rs = demoTable();
            rs.rows.clear();
            r.resultSet = rs;
        } else if (s == "select * from demo where id = ?") {
            ResultSet all = demoTable();
            ResultSet rs{all.columns, {}};
            for (auto& row : all.rows) {
                if (!params.empty() && row[0].intValue == params[0].value.intValue)
                    rs.rows.push_back(row);
            }
            r.resultSet = rs;
        } else if (s.rfind("set ", 0) == 0) {
            if (s == "set rowcount 2")
                options_.rowCount = 2;
        } else if (s.rfind("print ", 0) == 0) {
            r.messages.push_back({0, 1, 10, "hello", "", 1});
        } else if (s == "exec proc") {
            r.isProcedure = true;
            r.returnStatus = 0;
            r.outputParams.push_back(
                {ColumnInfo{"@out", ColumnType::Int, 4, 0, 0, true, 0}, Value::ofInt(99)});
        } else if (s == "select @@version") {
            r.resultSet = ResultSet{{ColumnInfo{"", ColumnType::VarChar, 255, 0, 0, true, 2}},
                                    {{Value::ofString("Adaptive Server Enterprise/15.7/fake")}}};
        } else {
            r.messages.push_back(
                {102, 181, 15, "Incorrect syntax near '" + trimmed(raw) + "'.\n", "", 1});
            r.failed = true;
        }
        return r;
    }

    int spid_;
    std::string database_ = "master";
    SessionOptions options_;
};

class FakeEngine : public Engine {
public:
    explicit FakeEngine(std::vector<std::pair<std::string, std::string>> logins = {})
        : logins_(std::move(logins))
    {
        logins_.emplace_back("sa", "");
    }
    bool checkLogin(const std::string& user, const std::string& password) override
    {
        return std::find(logins_.begin(), logins_.end(), std::make_pair(user, password)) !=
               logins_.end();
    }
    std::unique_ptr<Session> openSession(const std::string&, int spid, const ClientInfo&) override
    {
        return std::make_unique<FakeSession>(spid);
    }
    std::unique_ptr<Session> openSessionIn(const std::string&, int spid, const std::string&,
                                           const ClientInfo&) override
    {
        return std::make_unique<FakeSession>(spid);
    }
    std::vector<Message> runScript(const std::string&) override { return {}; }

private:
    std::vector<std::pair<std::string, std::string>> logins_;
};

}  // namespace tdsim::testing

#include <sstream>

#include "engine/EngineState.h"
#include "engine/Functions.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

// An Adaptive Server 15.7 version string, fields in the server's order.
const char* const kVersion =
    "Adaptive Server Enterprise/15.7/EBF 25128 SMP SP138 /P/x86_64/Enterprise Linux/"
    "ase157sp138x/4114/64-bit/FBO/Wed Oct 11 10:02:13 2017";

// SQL Anywhere answers @@version with its version number alone (a 12.0.1 build).
const char* const kSqlAnywhereVersion = "12.0.1.3152";

// Splits a script at lines that hold only "go" (any case, optional count ignored).
std::vector<std::string> splitBatches(const std::string& script)
{
    std::vector<std::string> batches;
    std::string current;
    std::istringstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        std::string trimmed = line;
        if (!trimmed.empty() && trimmed.back() == '\r')
            trimmed.pop_back();
        size_t start = trimmed.find_first_not_of(" \t");
        std::string word = start == std::string::npos ? "" : rtrimBlanks(trimmed.substr(start));
        if (toLower(word) == "go") {
            batches.push_back(current);
            current.clear();
        } else {
            current += line + "\n";
        }
    }
    if (current.find_first_not_of(" \t\r\n") != std::string::npos)
        batches.push_back(current);
    return batches;
}

class EngineImpl : public Engine {
public:
    EngineImpl(const EngineConfig& config, ServerStats& stats) : state_(config, stats)
    {
        state_.version = kVersion;
        if (config.product == Product::SqlAnywhere) {
            state_.version = kSqlAnywhereVersion;
            state_.catalog.enableSqlAnywhereCatalog();
        }
        registerFunctions(state_.catalog, state_.appContexts);
        state_.catalog.bootstrap();
        state_.disk.install();
        state_.configuration.install();
        state_.servers.install(config.serverName);
        std::lock_guard lock(state_.turns);
        SessionImpl setup(state_, "sa", 1, 0);
        std::string script = systemProceduresDatabaseScript();
        for (const auto& [name, password] : config.logins) {
            script += "exec sp_addlogin '" + name + "', '" + password + "'\ngo\n";
        }
        runScriptAs(setup, script);
    }

    bool checkLogin(const std::string& user, const std::string& password) override
    {
        std::lock_guard lock(state_.turns);
        return state_.logins.logIn(user, password);
    }

    std::unique_ptr<Session> openSession(const std::string& user, int spid,
                                         const ClientInfo& client) override
    {
        std::lock_guard lock(state_.turns);
        int suid = state_.catalog.loginSuid(user);
        auto session = std::make_unique<SessionImpl>(state_, user, suid, spid);
        std::string database = "master";
        {
            SqliteStatement row(state_.db.handle(),
                                "SELECT dbname FROM " +
                                    Catalog::systemTable("master", "syslogins") +
                                    " WHERE suid = ?1");
            row.bind(1, SqlValue::ofInt(suid));
            if (row.step() && !row.isNull(0))
                database = row.textAt(0);
        }
        StatementResult ignored;
        if (!session->useDatabase(database, ignored)) {
            session->useDatabase("master", ignored);
        }
        session->listProcess(client);
        return session;
    }

    std::unique_ptr<Session> openSessionIn(const std::string& user, int spid,
                                           const std::string& database,
                                           const ClientInfo& client) override
    {
        std::lock_guard lock(state_.turns);
        // The Adaptive Server databases tdsim keeps for itself are no SQL Anywhere
        // databases: a login may name only the databases the scripts created.
        if (state_.catalog.sqlAnywhere() && Catalog::isSystemDatabase(database))
            return nullptr;
        auto session =
            std::make_unique<SessionImpl>(state_, user, state_.catalog.loginSuid(user), spid);
        StatementResult ignored;
        if (!session->useDatabase(database, ignored))
            return nullptr;
        if (state_.catalog.sqlAnywhere())
            session->refuseUse();
        // Listed last: a session refused above goes without a row to remove (its
        // destructor could not take the turn this function holds).
        session->listProcess(client);
        return session;
    }

    void stop() override
    {
        state_.stopping = true;
        // Ends a long SQLite statement too; it fails, and the batch ends after it.
        sqlite3_interrupt(state_.db.handle());
    }

    std::vector<Message> runScript(const std::string& scriptText) override
    {
        std::lock_guard lock(state_.turns);
        SessionImpl session(state_, "sa", 1, 0);
        std::vector<Message> errors = runScriptAs(session, scriptText);
        // Statistics let SQLite pick join orders for catalog queries on large databases.
        state_.db.exec("PRAGMA optimize=0x10002");
        return errors;
    }

private:
    std::vector<Message> runScriptAs(SessionImpl& session, const std::string& scriptText)
    {
        std::vector<Message> errors;
        for (const std::string& batch : splitBatches(scriptText)) {
            for (const StatementResult& result : session.executeLocked(batch, {})) {
                // A statement that succeeded may still warn at severity 11 (2007, a
                // procedure that refers to a missing object): not an error.
                for (const Message& message : result.messages) {
                    if (message.severity > 10 && result.failed)
                        errors.push_back(message);
                }
            }
        }
        return errors;
    }

    static std::string systemProceduresDatabaseScript();

    EngineState state_;
};

}  // namespace

std::unique_ptr<Engine> Engine::create(const EngineConfig& config, ServerStats& stats)
{
    return std::make_unique<EngineImpl>(config, stats);
}

}  // namespace tdsim

#include "engine/SystemDatabase.inc"

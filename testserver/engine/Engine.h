// The boundary between tdsim's protocol side (tds/) and its statement engine
// (engine/). The protocol side knows bytes, tokens and packets; the engine knows
// Transact-SQL and the catalog. Neither includes the other's internals: they meet
// only through the types declared here.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tdsim {

// Server-side column types, named after the server product's storage types. The
// protocol side picks the wire type code from this and from `nullable`.
enum class ColumnType {
    Char,      // char(n): blank-padded
    VarChar,   // varchar(n)
    TinyInt,   // int1
    SmallInt,  // int2
    Int,       // int4
    BigInt,    // int8
    Bit,
    DateTime,
    SmallDateTime,
    Money,
    SmallMoney,
    Numeric,
    Decimal,
    Float,  // 8-byte
    Real,   // 4-byte
    Text,
    Image,
    Binary,
    VarBinary,
    BigDateTime,  // microseconds, 0001-01-01 to 9999-12-31
    BigTime,      // microseconds of a day
};

struct ColumnInfo {
    std::string name;
    ColumnType type = ColumnType::VarChar;
    int length = 0;     // bytes for char/binary kinds; ignored for fixed types
    int precision = 0;  // numeric/decimal
    int scale = 0;      // numeric/decimal
    bool nullable = true;
    int32_t userType = 0;  // systypes.usertype reported to the client
};

// A datetime value as the server stores it.
struct DateTimeValue {
    int32_t days = 0;    // since 1900-01-01
    uint32_t ticks = 0;  // 1/300 seconds since midnight
};

// One cell. Which member is meaningful follows the column's type:
//   integer kinds, Bit                -> intValue
//   Money/SmallMoney                  -> intValue holds the value x 10000
//   Numeric/Decimal                   -> intValue holds the value x 10^scale
//                                        (bigDigits is used instead when it does not fit)
//   Float/Real                        -> floatValue
//   DateTime/SmallDateTime            -> dateTime
//   BigDateTime                       -> intValue: microseconds since 0000-01-01 00:00
//   BigTime                           -> intValue: microseconds since midnight
//   Char/VarChar/Text/Binary/Image... -> bytes
struct Value {
    bool isNull = true;
    int64_t intValue = 0;
    double floatValue = 0.0;
    DateTimeValue dateTime;
    std::string bytes;
    std::string
        bigDigits;  // decimal digits of |scaled value| when it exceeds int64, sign in intValue (<0)

    static Value null() { return Value{}; }
    static Value ofInt(int64_t v)
    {
        Value r;
        r.isNull = false;
        r.intValue = v;
        return r;
    }
    static Value ofFloat(double v)
    {
        Value r;
        r.isNull = false;
        r.floatValue = v;
        return r;
    }
    static Value ofString(std::string v)
    {
        Value r;
        r.isNull = false;
        r.bytes = std::move(v);
        return r;
    }
    static Value ofDateTime(DateTimeValue v)
    {
        Value r;
        r.isNull = false;
        r.dateTime = v;
        return r;
    }
};

using Row = std::vector<Value>;

// A parameter of a dynamic statement or cursor: the type it was sent as and its value.
struct ParamValue {
    ColumnType type = ColumnType::VarChar;
    Value value;
    int precision = 0;  // numeric/decimal
    int scale = 0;
};
using Params = std::vector<ParamValue>;

// The aggregate of a COMPUTE column; the values are the operator codes of the
// compute format token.
enum class ComputeOp : uint8_t { Count = 0x4B, Sum = 0x4D, Avg = 0x4F, Min = 0x51, Max = 0x52 };

struct ComputeColumn {
    ColumnInfo info;  // the aggregate's type
    ComputeOp op = ComputeOp::Sum;
    int operand = 0;  // 1-based select-list column it aggregates
};

// One COMPUTE clause: its aggregates and the select-list columns of its BY list.
struct ComputeFormat {
    uint16_t id = 0;  // 1-based, in clause order
    std::vector<ComputeColumn> columns;
    std::vector<int> byColumns;  // 1-based select-list columns
};

// One compute row: which clause it belongs to and how many regular rows precede it.
struct ComputeRow {
    uint16_t id = 0;
    size_t afterRows = 0;
    Row values;
};

struct ResultSet {
    std::vector<ColumnInfo> columns;
    std::vector<Row> rows;
    // COMPUTE results: the formats, and the compute rows in the order they are sent.
    std::vector<ComputeFormat> computeFormats{};
    std::vector<ComputeRow> computeRows{};
};

// A server message (EED). Severity <= 10 is informational.
struct Message {
    int32_t number = 0;
    int state = 1;
    int severity = 10;
    std::string text;
    std::string procName;
    int line = 1;
};

// Session settings that the client changes through SET statements or option
// commands. The protocol side reads and writes them for OPTIONCMD; the engine
// honours them while executing.
struct SessionOptions {
    int rowCount = 0;  // 0 = no limit
    int textSize = 32768;
    bool quotedIdentifier = false;
    bool noCount = false;
    bool ansiNull = false;
    bool chained = false;
    bool formatOnly = false;  // describe results without rows
    bool parseOnly = false;
    bool noExec = false;
    bool arithAbort = true;
    bool arithIgnore = false;
    bool truncIgnore = false;  // the inverse of "truncation abort"
    bool showPlan = false;
    bool statisticsIo = false;
    bool statisticsTime = false;
    bool forcePlan = false;
    bool fipsFlagger = false;
    int isolation = 1;
    int dateFirst = 7;
    int dateFormat = 1;  // 1 mdy, 2 dmy, 3 ymd, 4 ydm, 5 myd, 6 dym
    std::string language = "us_english";
    std::string charset = "iso_1";
};

// What one statement of a batch produced, in the order the client must see it:
// messages first, then the result set (if any), then return status / output
// parameters, then the DONE that closes it.
struct StatementResult {
    std::vector<Message> messages;  // informational and error messages
    std::optional<ResultSet> resultSet;
    std::optional<int32_t> returnStatus;  // set by EXEC of a procedure
    std::vector<std::pair<ColumnInfo, Value>> outputParams;
    bool failed = false;       // DONE carries the error bit
    bool hasRowCount = false;  // DONE carries the count bit
    int32_t rowCount = 0;
    bool isProcedure = false;                // closed with DONEPROC rather than DONE
    std::optional<std::string> newDatabase;  // a USE changed the database: ENVCHANGE 1
    bool endsConnection = false;             // syb_quit(): the connection closes after this reply
};

// Counters shared by all connections, read by sp_tdsim_stats.
struct ServerStats {
    std::atomic<uint64_t> requests{0};    // request messages received (any packet type but login)
    std::atomic<uint64_t> statements{0};  // statements executed by the engine
    std::atomic<uint64_t> cursorFetches{0};
    std::atomic<uint64_t> bytesIn{0};
    std::atomic<uint64_t> bytesOut{0};
    void reset()
    {
        requests = 0;
        statements = 0;
        cursorFetches = 0;
        bytesIn = 0;
        bytesOut = 0;
    }
};

// The product tdsim imitates: Adaptive Server, or the SQL Anywhere persona (its catalog,
// its default login, no USE).
enum class Product { AdaptiveServer, SqlAnywhere };

struct EngineConfig {
    Product product = Product::AdaptiveServer;
    std::string serverName = "TDSIM";
    std::string charset = "iso_1";  // iso_1 or utf8
    std::vector<std::pair<std::string, std::string>>
        logins;  // name, password (sa/"" always exists)
};

// What a client told the server about itself at login, shown in master..sysprocesses.
struct ClientInfo {
    std::string hostName;
    std::string programName;
    std::string address;  // the client's IP address
    int packetSize = 512;
};

// One client connection's view of the engine. Used by one thread at a time.
class Session {
public:
    virtual ~Session() = default;

    // Runs one language batch (several statements). `params` replace `?` markers in
    // order (dynamic statements). Never throws for SQL errors: they become messages
    // with `failed` set on the statement that failed.
    virtual std::vector<StatementResult> execute(const std::string& batch,
                                                 const Params& params = {}) = 0;

    // Asked between statements of a running batch (at most every few milliseconds): true
    // ends the batch, as the server does when the client sends an attention.
    virtual void setCancelCheck(std::function<bool()> cancelled) = 0;

    virtual std::string currentDatabase() const = 0;
    virtual SessionOptions& options() = 0;
    virtual int spid() const = 0;
};

// The server's catalog and logins, shared by all connections (internally locked).
class Engine {
public:
    virtual ~Engine() = default;

    static std::unique_ptr<Engine> create(const EngineConfig& config, ServerStats& stats);

    virtual bool checkLogin(const std::string& user, const std::string& password) = 0;

    // A session for a logged-in user, starting in the user's default database.
    virtual std::unique_ptr<Session> openSession(const std::string& user, int spid,
                                                 const ClientInfo& client = {}) = 0;
    // A session in the database the login record names (SQL Anywhere); none when the
    // database does not exist or the user may not enter it.
    virtual std::unique_ptr<Session> openSessionIn(const std::string& user, int spid,
                                                   const std::string& database,
                                                   const ClientInfo& client = {}) = 0;

    // Ends every running batch at its next statement (or SQLite step) and every later one
    // at once, so that the connections can be closed whatever their sessions were doing.
    virtual void stop() = 0;

    // Runs a script with "go" batch separators as sa. Returns the error messages (empty on
    // success).
    virtual std::vector<Message> runScript(const std::string& scriptText) = 0;
};

}  // namespace tdsim

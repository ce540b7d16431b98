#include "engine/Functions.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "engine/ApplicationContexts.h"
#include "engine/DateTime.h"
#include "engine/Digest.h"
#include "engine/Errors.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

using Args = sqlite3_value**;

bool isNullArg(sqlite3_value* v)
{
    return sqlite3_value_type(v) == SQLITE_NULL;
}

std::string textArg(sqlite3_value* v)
{
    const void* data = sqlite3_value_blob(v);
    int size = sqlite3_value_bytes(v);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : "";
}

void resultText(sqlite3_context* ctx, const std::string& text)
{
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Zero-length strings are NULL on this server.
void resultTextOrNull(sqlite3_context* ctx, const std::string& text)
{
    if (text.empty()) {
        sqlite3_result_null(ctx);
    } else {
        resultText(ctx, text);
    }
}

void resultError(sqlite3_context* ctx, const EngineError& error)
{
    std::string message = encodeFunctionError(error);
    sqlite3_result_error(ctx, message.c_str(), -1);
}

Catalog& catalogOf(sqlite3_context* ctx)
{
    return *static_cast<Catalog*>(sqlite3_user_data(ctx));
}

// ---- application contexts ---------------------------------------------------------
// Each takes the session's spid first; 0 means success and -1 failure, as documented.

ApplicationContexts& contextsOf(sqlite3_context* ctx)
{
    return *static_cast<ApplicationContexts*>(sqlite3_user_data(ctx));
}

bool anyNullArg(int argc, Args argv)
{
    for (int i = 0; i < argc; ++i) {
        if (isNullArg(argv[i]))
            return true;
    }
    return false;
}

void setAppContextFn(sqlite3_context* ctx, int argc, Args argv)
{
    bool stored =
        !anyNullArg(argc, argv) && contextsOf(ctx).set(sqlite3_value_int(argv[0]), textArg(argv[1]),
                                                       textArg(argv[2]), textArg(argv[3]));
    sqlite3_result_int(ctx, stored ? 0 : -1);
}

void getAppContextFn(sqlite3_context* ctx, int argc, Args argv)
{
    if (anyNullArg(argc, argv))
        return sqlite3_result_null(ctx);
    auto value =
        contextsOf(ctx).get(sqlite3_value_int(argv[0]), textArg(argv[1]), textArg(argv[2]));
    if (!value)
        return sqlite3_result_null(ctx);
    resultTextOrNull(ctx, *value);
}

void rmAppContextFn(sqlite3_context* ctx, int argc, Args argv)
{
    bool removed =
        !anyNullArg(argc, argv) &&
        contextsOf(ctx).remove(sqlite3_value_int(argv[0]), textArg(argv[1]), textArg(argv[2]));
    sqlite3_result_int(ctx, removed ? 0 : -1);
}

// ---- strings --------------------------------------------------------------------

// The bytes sp_hidetext leaves in syscomments: same length, unreadable.
void scrambleFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    std::string bytes = textArg(argv[0]);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ static_cast<char>(0xA5 + i * 7));
    sqlite3_result_blob(ctx, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void concatFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]) && isNullArg(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    resultTextOrNull(ctx, textArg(argv[0]) + textArg(argv[1]));
}

void rtrimFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    resultTextOrNull(ctx, rtrimBlanks(textArg(argv[0])));
}

void ltrimFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    std::string text = textArg(argv[0]);
    size_t start = text.find_first_not_of(' ');
    resultTextOrNull(ctx, start == std::string::npos ? "" : text.substr(start));
}

// trim(s): SQL Anywhere's, leading and trailing blanks removed.
void trimFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    std::string text = rtrimBlanks(textArg(argv[0]));
    size_t start = text.find_first_not_of(' ');
    resultTextOrNull(ctx, start == std::string::npos ? "" : text.substr(start));
}

// substring(s, start, length): characters start..start+length-1 of s, counting from 1;
// the part of that window inside the string is returned, NULL when it is empty.
void substringFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]) || isNullArg(argv[2])) {
        return sqlite3_result_null(ctx);
    }
    std::string text = textArg(argv[0]);
    int64_t start = sqlite3_value_int64(argv[1]);
    int64_t length = sqlite3_value_int64(argv[2]);
    int64_t first = std::max<int64_t>(start, 1);
    int64_t last = std::min<int64_t>(start + length - 1, static_cast<int64_t>(text.size()));
    if (length < 0 || first > last)
        return sqlite3_result_null(ctx);
    std::string piece =
        text.substr(static_cast<size_t>(first - 1), static_cast<size_t>(last - first + 1));
    if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) {
        sqlite3_result_blob(ctx, piece.data(), static_cast<int>(piece.size()), SQLITE_TRANSIENT);
    } else {
        resultText(ctx, piece);
    }
}

// stuff(s, start, length, replacement): NULL for a NULL string, start or length, a
// negative length or a start outside the string; a NULL replacement inserts nothing; a
// length past the end deletes to the end.
void stuffFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]) || isNullArg(argv[2]))
        return sqlite3_result_null(ctx);
    std::string text = textArg(argv[0]);
    int64_t start = sqlite3_value_int64(argv[1]);
    int64_t length = sqlite3_value_int64(argv[2]);
    int64_t size = static_cast<int64_t>(text.size());
    if (length < 0 || start < 1 || start > size)
        return sqlite3_result_null(ctx);
    size_t from = static_cast<size_t>(start - 1);
    size_t removed = static_cast<size_t>(std::min(length, size - (start - 1)));
    std::string replacement = isNullArg(argv[3]) ? std::string() : textArg(argv[3]);
    resultTextOrNull(ctx, text.substr(0, from) + replacement + text.substr(from + removed));
}

void leftRightFn(sqlite3_context* ctx, Args argv, bool left)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]))
        return sqlite3_result_null(ctx);
    std::string text = textArg(argv[0]);
    int64_t n = std::min<int64_t>(sqlite3_value_int64(argv[1]), static_cast<int64_t>(text.size()));
    if (n <= 0)
        return sqlite3_result_null(ctx);
    resultText(ctx, left ? text.substr(0, n) : text.substr(text.size() - n));
}
void leftFn(sqlite3_context* ctx, int, Args argv)
{
    leftRightFn(ctx, argv, true);
}
void rightFn(sqlite3_context* ctx, int, Args argv)
{
    leftRightFn(ctx, argv, false);
}

void asciiFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    std::string text = textArg(argv[0]);
    if (text.empty())
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, static_cast<unsigned char>(text[0]));
}

void charFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    int64_t code = sqlite3_value_int64(argv[0]);
    if (code < 0 || code > 255)
        return sqlite3_result_null(ctx);
    resultText(ctx, std::string(1, static_cast<char>(code)));
}

void lengthFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, static_cast<int64_t>(textArg(argv[0]).size()));
}

void replicateFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]))
        return sqlite3_result_null(ctx);
    std::string unit = textArg(argv[0]);
    int64_t count = sqlite3_value_int64(argv[1]);
    std::string out;
    for (int64_t i = 0; i < count && out.size() < 16384; ++i)
        out += unit;
    resultTextOrNull(ctx, out.substr(0, 16384));
}

void reverseFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    std::string text = textArg(argv[0]);
    resultText(ctx, std::string(text.rbegin(), text.rend()));
}

// hash(value [, algorithm]): 'md5' (the default) or 'sha1' give the digest as hexadecimal
// text, 2 or 3 the same digests as binary. Character and binary values are hashed as
// their bytes, others as their character form.
void hashFn(sqlite3_context* ctx, int argc, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    std::string algorithm = argc > 1 ? toLower(textArg(argv[1])) : "md5";
    std::string bytes;
    if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) {
        const void* blob = sqlite3_value_blob(argv[0]);
        if (blob)
            bytes.assign(static_cast<const char*>(blob), sqlite3_value_bytes(argv[0]));
    } else {
        bytes = textArg(argv[0]);
    }
    bool sha1 = algorithm == "sha1" || algorithm == "3";
    if (!sha1 && algorithm != "md5" && algorithm != "2")
        throw EngineError{7777, 16, "Invalid algorithm '" + algorithm + "' for function hash."};
    std::string digest = sha1 ? sha1Digest(bytes) : md5Digest(bytes);
    if (algorithm == "2" || algorithm == "3")
        return sqlite3_result_blob(ctx, digest.data(), static_cast<int>(digest.size()),
                                   SQLITE_TRANSIENT);
    resultText(ctx, hexDigits(digest));
}

void strFn(sqlite3_context* ctx, int argc, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    int length = argc > 1 ? sqlite3_value_int(argv[1]) : 10;
    int decimals = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%*.*f", length, decimals, sqlite3_value_double(argv[0]));
    std::string text = buffer;
    if (static_cast<int>(text.size()) > length)
        text = std::string(static_cast<size_t>(length), '*');
    resultText(ctx, text);
}

// Transact-SQL LIKE: % _ [set] [^set], case-sensitive, trailing blanks ignored.
bool likeMatch(const char* s, const char* p, char escape)
{
    while (*p) {
        if (escape && *p == escape && p[1]) {
            if (*s != p[1])
                return false;
            ++s;
            p += 2;
            continue;
        }
        if (*p == '%') {
            while (*p == '%')
                ++p;
            if (!*p)
                return true;
            for (; *s; ++s) {
                if (likeMatch(s, p, escape))
                    return true;
            }
            return likeMatch(s, p, escape);
        }
        if (!*s)
            return false;
        if (*p == '_') {
            ++s;
            ++p;
        } else if (*p == '[' && std::strchr(p + 1, ']')) {
            const char* end = std::strchr(p + 2, ']');
            if (!end)
                end = std::strchr(p + 1, ']');
            bool negate = p[1] == '^';
            const char* q = p + 1 + (negate ? 1 : 0);
            bool found = false;
            for (; q < end; ++q) {
                if (q + 2 < end && q[1] == '-') {
                    if (*s >= q[0] && *s <= q[2])
                        found = true;
                    q += 2;
                } else if (*q == *s) {
                    found = true;
                }
            }
            if (found == negate)
                return false;
            ++s;
            p = end + 1;
        } else {
            if (*s != *p)
                return false;
            ++s;
            ++p;
        }
    }
    return *s == '\0';
}

void likeFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]))
        return sqlite3_result_null(ctx);
    std::string value = rtrimBlanks(textArg(argv[0]));
    std::string pattern = textArg(argv[1]);
    std::string trimmedPattern = rtrimBlanks(pattern);
    if (trimmedPattern.empty() && !pattern.empty())
        trimmedPattern = pattern;
    char escape = isNullArg(argv[2]) ? 0 : textArg(argv[2])[0];
    sqlite3_result_int(ctx, likeMatch(value.c_str(), trimmedPattern.c_str(), escape) ? 1 : 0);
}

// ---- arithmetic -----------------------------------------------------------------

void divideFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[1]) || isNullArg(argv[2]))
        return sqlite3_result_null(ctx);
    bool modulo = textArg(argv[0]) == "%";
    bool integers = sqlite3_value_type(argv[1]) == SQLITE_INTEGER &&
                    sqlite3_value_type(argv[2]) == SQLITE_INTEGER;
    if (sqlite3_value_double(argv[2]) == 0.0) {
        return resultError(ctx, {3607, 16, "Divide by zero occurred."});
    }
    if (integers) {
        int64_t a = sqlite3_value_int64(argv[1]), b = sqlite3_value_int64(argv[2]);
        sqlite3_result_int64(ctx, modulo ? a % b : a / b);
    } else {
        double a = sqlite3_value_double(argv[1]), b = sqlite3_value_double(argv[2]);
        sqlite3_result_double(ctx, modulo ? std::fmod(a, b) : a / b);
    }
}

void mathFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[1]))
        return sqlite3_result_null(ctx);
    std::string name = textArg(argv[0]);
    if (sqlite3_value_type(argv[1]) == SQLITE_INTEGER) {
        int64_t v = sqlite3_value_int64(argv[1]);
        if (name == "abs")
            v = v < 0 ? -v : v;
        if (name == "sign")
            v = v > 0 ? 1 : v < 0 ? -1 : 0;
        return sqlite3_result_int64(ctx, v);
    }
    double v = sqlite3_value_double(argv[1]);
    if (name == "abs")
        v = std::fabs(v);
    if (name == "floor")
        v = std::floor(v);
    if (name == "ceiling")
        v = std::ceil(v);
    if (name == "sign")
        v = v > 0 ? 1 : v < 0 ? -1 : 0;
    sqlite3_result_double(ctx, v);
}

void powerFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]))
        return sqlite3_result_null(ctx);
    sqlite3_result_double(ctx,
                          std::pow(sqlite3_value_double(argv[0]), sqlite3_value_double(argv[1])));
}

// ---- conversion -----------------------------------------------------------------

std::string upperName(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string sourceTypeName(const std::string& kind)
{
    switch (kind.empty() ? 's' : kind[0]) {
        case 's':
            return "VARCHAR";
        case 'b':
            return "VARBINARY";
        case 'd':
            return "DATETIME";
        case 'D':
            return "BIGDATETIME";
        case 'T':
            return "BIGTIME";
        case 'm':
            return "MONEY";
        case 'e':
            return "NUMERIC";
        case 'r':
            return "FLOAT";
        default:
            return "INT";
    }
}

// The text form of a value of the given source kind.
std::string asText(sqlite3_value* v, const std::string& kind, int style)
{
    char buffer[64];
    switch (kind[0]) {
        case 'd': {
            auto time = parseDateTime(textArg(v));
            return time ? formatDateTime(*time, style) : textArg(v);
        }
        case 'D':
        case 'T': {
            auto time = parseDateTime(textArg(v));
            if (!time)
                return textArg(v);
            return style == 0 ? formatBigDateTime(*time, kind[0] == 'D')
                              : formatDateTime(*time, style);
        }
        case 'm':
            std::snprintf(buffer, sizeof buffer, "%.2f", sqlite3_value_double(v));
            return buffer;
        case 'e': {
            int scale = std::atoi(kind.c_str() + 1);
            std::snprintf(buffer, sizeof buffer, "%.*f", scale, sqlite3_value_double(v));
            return buffer;
        }
        case 'r': {
            std::snprintf(buffer, sizeof buffer, "%.15g", sqlite3_value_double(v));
            return buffer;
        }
        case 'i':
            if (sqlite3_value_type(v) == SQLITE_FLOAT) {
                std::snprintf(buffer, sizeof buffer, "%lld",
                              static_cast<long long>(sqlite3_value_double(v)));
                return buffer;
            }
            return std::to_string(sqlite3_value_int64(v));
        default:
            return textArg(v);
    }
}

struct Target {
    std::string name;
    int length, precision, scale;
};

bool integerRange(const std::string& name, int64_t& low, int64_t& high)
{
    if (name == "tinyint") {
        low = 0;
        high = 255;
        return true;
    }
    if (name == "smallint") {
        low = -32768;
        high = 32767;
        return true;
    }
    if (name == "int") {
        low = INT32_MIN;
        high = INT32_MAX;
        return true;
    }
    if (name == "bigint") {
        low = INT64_MIN;
        high = INT64_MAX;
        return true;
    }
    if (name == "usmallint") {
        low = 0;
        high = 65535;
        return true;
    }
    if (name == "uint") {
        low = 0;
        high = 4294967295LL;
        return true;
    }
    return false;
}

// Converts one value; `implicit` refuses the conversions only CONVERT may do.
void convertValue(sqlite3_context* ctx, const Target& target, sqlite3_value* v,
                  const std::string& kind, int style, bool implicit)
{
    if (isNullArg(v))
        return sqlite3_result_null(ctx);
    const std::string& name = target.name;
    bool fromString = kind[0] == 's';
    int64_t low = 0, high = 0;
    auto overflow = [&](const std::string& shown) {
        resultError(
            ctx, {247, 16,
                  "Arithmetic overflow during " + std::string(implicit ? "implicit" : "explicit") +
                      " conversion of " + sourceTypeName(kind) + " value '" + shown + "' to a " +
                      upperName(name) + " field ."});
    };
    auto refuse = [&]() {
        resultError(ctx, {257, 16,
                          "Implicit conversion from datatype '" + sourceTypeName(kind) + "' to '" +
                              upperName(name) +
                              "' is not allowed.  Use the CONVERT function to run this query."});
    };
    if (integerRange(name, low, high) || name == "bit") {
        if (kind[0] == 'd') {
            return resultError(ctx, {529, 16,
                                     "Explicit conversion from datatype '" + sourceTypeName(kind) +
                                         "' to '" + upperName(name) + "' is not allowed."});
        }
        double value;
        if (kind[0] == 'b') {
            // Binary to an integer: the bytes read high-order first, as a big-endian server
            // gives them (catalog procedures read one byte of a column bitmap this way).
            const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(v));
            uint64_t exact = 0;
            for (int i = 0; i < sqlite3_value_bytes(v); ++i)
                exact = (exact << 8) | bytes[i];
            if (name == "bit")
                return sqlite3_result_int(ctx, exact != 0);
            if (exact > static_cast<uint64_t>(high))
                return overflow(asText(v, kind, 0));
            return sqlite3_result_int64(ctx, static_cast<int64_t>(exact));
        }
        if (fromString) {
            if (implicit)
                return refuse();
            std::string text = textArg(v);
            char* end = nullptr;
            std::string trimmed = rtrimBlanks(text);
            size_t start = trimmed.find_first_not_of(' ');
            trimmed = start == std::string::npos ? "" : trimmed.substr(start);
            value = std::strtod(trimmed.c_str(), &end);
            bool integral = !trimmed.empty() && end && *end == '\0' &&
                            trimmed.find_first_of(".eE") == std::string::npos;
            if (!integral) {
                return resultError(
                    ctx, {249, 16,
                          "Syntax error during explicit conversion of VARCHAR value '" + text +
                              "' to a " + upperName(name) + " field."});
            }
        } else if (sqlite3_value_type(v) == SQLITE_INTEGER) {
            int64_t exact = sqlite3_value_int64(v);
            if (name == "bit")
                return sqlite3_result_int(ctx, exact != 0);
            if (exact < low || exact > high)
                return overflow(std::to_string(exact));
            return sqlite3_result_int64(ctx, exact);
        } else {
            value = sqlite3_value_double(v);
        }
        if (name == "bit")
            return sqlite3_result_int(ctx, value != 0);
        double truncated = std::trunc(value);
        if (truncated < static_cast<double>(low) || truncated > static_cast<double>(high)) {
            return overflow(asText(v, kind, 0));
        }
        return sqlite3_result_int64(ctx, static_cast<int64_t>(truncated));
    }
    if (name == "char" || name == "varchar" || name == "nchar" || name == "nvarchar" ||
        name == "text" || name == "sysname" || name == "longsysname" || name == "unichar" ||
        name == "univarchar") {
        std::string text = asText(v, kind, style);
        if (name != "text" && target.length > 0 && static_cast<int>(text.size()) > target.length) {
            text.resize(static_cast<size_t>(target.length));
        }
        if ((name == "char" || name == "nchar") && target.length > 0) {
            text.resize(static_cast<size_t>(target.length), ' ');
        }
        return resultTextOrNull(ctx, text);
    }
    if (name == "numeric" || name == "decimal" || name == "money" || name == "smallmoney" ||
        name == "float" || name == "real") {
        double value;
        if (fromString) {
            if (implicit)
                return refuse();
            std::string text = textArg(v);
            std::string trimmed = rtrimBlanks(text);
            if (!trimmed.empty() && trimmed.find_first_not_of(' ') != std::string::npos &&
                trimmed[trimmed.find_first_not_of(' ')] == '$') {
                trimmed.erase(trimmed.find_first_not_of(' '), 1);
            }
            char* end = nullptr;
            value = std::strtod(trimmed.c_str(), &end);
            if (trimmed.empty() || (end && *end != '\0')) {
                return resultError(
                    ctx, {249, 16,
                          "Syntax error during explicit conversion of VARCHAR value '" + text +
                              "' to a " + upperName(name) + " field."});
            }
        } else if (kind[0] == 'd' || kind[0] == 'b') {
            return resultError(ctx, {529, 16,
                                     "Explicit conversion from datatype '" + sourceTypeName(kind) +
                                         "' to '" + upperName(name) + "' is not allowed."});
        } else {
            value = sqlite3_value_double(v);
        }
        if (name == "numeric" || name == "decimal") {
            double factor = std::pow(10.0, target.scale);
            value = std::round(value * factor) / factor;
            if (std::fabs(value) >= std::pow(10.0, target.precision - target.scale)) {
                return overflow(asText(v, kind, 0));
            }
        } else if (name == "money" || name == "smallmoney") {
            value = std::round(value * 10000.0) / 10000.0;
            double limit = name == "money" ? 922337203685477.5807 : 214748.3647;
            if (std::fabs(value) > limit)
                return overflow(asText(v, kind, 0));
        } else if (name == "real") {
            value = static_cast<float>(value);
        }
        return sqlite3_result_double(ctx, value);
    }
    bool fromDate = kind[0] == 'd' || kind[0] == 'D' || kind[0] == 'T';
    if (name == "bigdatetime" || name == "bigtime") {
        std::optional<CivilTime> time;
        if (fromString || fromDate)
            time = parseDateTime(textArg(v));
        if (!time) {
            return resultError(
                ctx,
                fromString || fromDate
                    ? EngineError{249, 16,
                                  "Syntax error during explicit conversion of VARCHAR value '" +
                                      textArg(v) + "' to a " + upperName(name) + " field."}
                    : EngineError{529, 16,
                                  "Explicit conversion from datatype '" + sourceTypeName(kind) +
                                      "' to '" + upperName(name) + "' is not allowed."});
        }
        return resultText(
            ctx, name == "bigtime" ? storedBigTimeText(*time) : storedBigDateTimeText(*time));
    }
    if (name == "datetime" || name == "smalldatetime" || name == "date" || name == "time") {
        std::optional<CivilTime> time;
        if (fromString || fromDate) {
            time = parseDateTime(textArg(v));
            // datetime starts in 1753; date, bigdatetime and the text forms in year 1.
            bool datetime = name == "datetime" || name == "smalldatetime";
            if (time && datetime && time->year < 1753)
                time.reset();
            if (!time) {
                return resultError(ctx,
                                   {249, 16,
                                    "Syntax error during explicit conversion of VARCHAR value '" +
                                        textArg(v) + "' to a " + upperName(name) + " field."});
            }
        } else if (kind[0] == 'i') {
            time = civilFromDays(sqlite3_value_int64(v));
        } else {
            return resultError(ctx, {529, 16,
                                     "Explicit conversion from datatype '" + sourceTypeName(kind) +
                                         "' to '" + upperName(name) + "' is not allowed."});
        }
        if (name == "smalldatetime") {
            // Rounded to the minute.
            bool up = time->second >= 30;
            time->second = 0;
            time->millisecond = 0;
            if (up) {
                int64_t minutes = daysSince1900(*time) * 1440 + time->hour * 60 + time->minute + 1;
                CivilTime rounded = civilFromDays(minutes / 1440);
                rounded.hour = static_cast<int>((minutes % 1440) / 60);
                rounded.minute = static_cast<int>(minutes % 60);
                time = rounded;
            }
        }
        return resultText(ctx, storedText(*time));
    }
    if (name == "binary" || name == "varbinary" || name == "image" || name == "timestamp") {
        std::string bytes;
        if (kind[0] == 'i') {
            int64_t value = sqlite3_value_int64(v);
            for (int i = 3; i >= 0; --i)
                bytes += static_cast<char>((value >> (8 * i)) & 0xff);
        } else {
            bytes = textArg(v);
        }
        if (name != "image" && target.length > 0) {
            if (static_cast<int>(bytes.size()) > target.length)
                bytes.resize(static_cast<size_t>(target.length));
            if (name == "binary")
                bytes.resize(static_cast<size_t>(target.length), '\0');
        }
        return sqlite3_result_blob(ctx, bytes.data(), static_cast<int>(bytes.size()),
                                   SQLITE_TRANSIENT);
    }
    sqlite3_result_value(ctx, v);
}

// tsql_convert(target, length, precision, scale, value, sourceKind, style)
void convertFn(sqlite3_context* ctx, int, Args argv)
{
    Target target{textArg(argv[0]), sqlite3_value_int(argv[1]), sqlite3_value_int(argv[2]),
                  sqlite3_value_int(argv[3])};
    int style = isNullArg(argv[6]) ? 0 : sqlite3_value_int(argv[6]);
    convertValue(ctx, target, argv[4], textArg(argv[5]), style, false);
}

// tsql_assign(target, length, precision, scale, value, sourceKind): storing a value
// into a column, where only implicit conversions are allowed.
void assignFn(sqlite3_context* ctx, int, Args argv)
{
    Target target{textArg(argv[0]), sqlite3_value_int(argv[1]), sqlite3_value_int(argv[2]),
                  sqlite3_value_int(argv[3])};
    std::string kind = textArg(argv[5]);
    bool toString = target.name == "char" || target.name == "varchar" || target.name == "text" ||
                    target.name == "nchar" || target.name == "nvarchar";
    bool fromNumber = kind[0] == 'i' || kind[0] == 'r' || kind[0] == 'e' || kind[0] == 'm';
    if (toString && fromNumber && !isNullArg(argv[4])) {
        return resultError(
            ctx, {257, 16,
                  "Implicit conversion from datatype '" + sourceTypeName(kind) + "' to '" +
                      upperName(target.name) +
                      "' is not allowed.  Use the CONVERT function to run this query."});
    }
    bool toDate = target.name == "datetime" || target.name == "smalldatetime" ||
                  target.name == "bigdatetime" || target.name == "bigtime";
    bool toBinary = target.name == "binary" || target.name == "varbinary" || target.name == "image";
    convertValue(ctx, target, argv[4], kind, 0, !(toDate || toBinary));
}

// ---- The connection ------------------------------------------------------------

// syb_quit(): the statement, the batch and the connection end here.
void sybQuitFn(sqlite3_context*, int, Args)
{
    throw EngineError{kConnectionEndRequest, 0, "syb_quit"};
}

// ---- GUIDs -----------------------------------------------------------------------

// newid([flag]): a random (version 4) GUID as 32 lower-case hex digits; with flag 1
// or -1 in the 36-character form with dashes; with a binary flag (newid(0x0)) as 16
// bytes of varbinary; NULL for any other flag.
void newidFn(sqlite3_context* ctx, int argc, Args argv)
{
    static std::mt19937_64 generator{std::random_device{}()};
    unsigned char bytes[16];
    for (int i = 0; i < 16; i += 8) {
        uint64_t random = generator();
        std::memcpy(bytes + i, &random, 8);
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0f) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3f) | 0x80);
    bool dashes = false;
    if (argc > 0 && !isNullArg(argv[0])) {
        if (sqlite3_value_type(argv[0]) == SQLITE_BLOB)
            return sqlite3_result_blob(ctx, bytes, 16, SQLITE_TRANSIENT);
        int64_t flag = sqlite3_value_int64(argv[0]);
        if (flag != 0 && flag != 1 && flag != -1)
            return sqlite3_result_null(ctx);
        dashes = flag != 0;
    }
    std::string text;
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        if (dashes && (i == 4 || i == 6 || i == 8 || i == 10))
            text += '-';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0f];
    }
    resultText(ctx, text);
}

// ---- dates ----------------------------------------------------------------------

void getdateFn(sqlite3_context* ctx, int, Args)
{
    resultText(ctx, currentDateTimeText());
}

std::optional<CivilTime> dateArg(sqlite3_value* v)
{
    if (isNullArg(v))
        return std::nullopt;
    return parseDateTime(textArg(v));
}

int64_t partValue(const std::string& part, const CivilTime& t)
{
    if (part == "year" || part == "yy" || part == "yyyy")
        return t.year;
    if (part == "month" || part == "mm" || part == "m")
        return t.month;
    if (part == "day" || part == "dd" || part == "d")
        return t.day;
    if (part == "hour" || part == "hh")
        return t.hour;
    if (part == "minute" || part == "mi" || part == "n")
        return t.minute;
    if (part == "second" || part == "ss" || part == "s")
        return t.second;
    if (part == "millisecond" || part == "ms")
        return t.millisecond;
    if (part == "quarter" || part == "qq" || part == "q")
        return (t.month - 1) / 3 + 1;
    if (part == "dayofyear" || part == "dy" || part == "y") {
        return daysFromCivil(t.year, t.month, t.day) - daysFromCivil(t.year, 1, 1) + 1;
    }
    if (part == "weekday" || part == "dw") {
        return (daysSince1900(t) + 1) % 7 + 1;  // 1900-01-01 was a Monday; Sunday = 1
    }
    if (part == "week" || part == "wk" || part == "ww") {
        int64_t jan1 = daysFromCivil(t.year, 1, 1) - daysFromCivil(1900, 1, 1);
        int64_t offset = (jan1 + 1) % 7;
        return (daysSince1900(t) - jan1 + offset) / 7 + 1;
    }
    return 0;
}

void datepartFn(sqlite3_context* ctx, int, Args argv)
{
    auto t = dateArg(argv[1]);
    if (!t)
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, partValue(textArg(argv[0]), *t));
}

void datenameFn(sqlite3_context* ctx, int, Args argv)
{
    static const char* const months[] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
    static const char* const days[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
    auto t = dateArg(argv[1]);
    if (!t)
        return sqlite3_result_null(ctx);
    std::string part = textArg(argv[0]);
    if (part == "month" || part == "mm" || part == "m")
        return resultText(ctx, months[t->month - 1]);
    if (part == "weekday" || part == "dw")
        return resultText(ctx, days[partValue("dw", *t) - 1]);
    resultText(ctx, std::to_string(partValue(part, *t)));
}

void datediffFn(sqlite3_context* ctx, int, Args argv)
{
    auto a = dateArg(argv[1]);
    auto b = dateArg(argv[2]);
    if (!a || !b)
        return sqlite3_result_null(ctx);
    std::string part = textArg(argv[0]);
    int64_t millisA = daysSince1900(*a) * 86400000LL + millisOfDay(*a);
    int64_t millisB = daysSince1900(*b) * 86400000LL + millisOfDay(*b);
    int64_t result;
    if (part == "year" || part == "yy" || part == "yyyy")
        result = b->year - a->year;
    else if (part == "quarter" || part == "qq")
        result = (b->year - a->year) * 4 + (b->month - 1) / 3 - (a->month - 1) / 3;
    else if (part == "month" || part == "mm" || part == "m")
        result = (b->year - a->year) * 12 + b->month - a->month;
    else if (part == "day" || part == "dd" || part == "d" || part == "dy")
        result = daysSince1900(*b) - daysSince1900(*a);
    else if (part == "week" || part == "wk")
        result = (daysSince1900(*b) + 1) / 7 - (daysSince1900(*a) + 1) / 7;
    else if (part == "hour" || part == "hh")
        result = millisB / 3600000 - millisA / 3600000;
    else if (part == "minute" || part == "mi")
        result = millisB / 60000 - millisA / 60000;
    else if (part == "second" || part == "ss")
        result = millisB / 1000 - millisA / 1000;
    else
        result = millisB - millisA;
    sqlite3_result_int64(ctx, result);
}

void dateaddFn(sqlite3_context* ctx, int, Args argv)
{
    auto t = dateArg(argv[2]);
    if (!t || isNullArg(argv[1]))
        return sqlite3_result_null(ctx);
    std::string part = textArg(argv[0]);
    int64_t n = sqlite3_value_int64(argv[1]);
    if (part == "year" || part == "yy" || part == "yyyy" || part == "month" || part == "mm" ||
        part == "m" || part == "quarter" || part == "qq") {
        int64_t months = (part[0] == 'y' ? 12 : part[0] == 'q' ? 3 : 1) * n;
        int64_t total = t->year * 12 + (t->month - 1) + months;
        t->year = static_cast<int>(total / 12);
        t->month = static_cast<int>(total % 12 + 1);
        static const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        bool leap = (t->year % 4 == 0 && t->year % 100 != 0) || t->year % 400 == 0;
        int maxDay = t->month == 2 && !leap ? 28 : lengths[t->month - 1];
        if (t->day > maxDay)
            t->day = maxDay;
        return resultText(ctx, storedText(*t));
    }
    int64_t unit = part == "day" || part == "dd" || part == "d" || part == "dy" ? 86400000LL
                   : part == "week" || part == "wk"                             ? 7 * 86400000LL
                   : part == "hour" || part == "hh"                             ? 3600000LL
                   : part == "minute" || part == "mi"                           ? 60000LL
                   : part == "second" || part == "ss"                           ? 1000LL
                                                                                : 1LL;
    int64_t millis = daysSince1900(*t) * 86400000LL + millisOfDay(*t) + n * unit;
    int64_t days = millis >= 0 ? millis / 86400000LL : (millis - 86399999LL) / 86400000LL;
    int64_t rest = millis - days * 86400000LL;
    CivilTime out = civilFromDays(days);
    out.hour = static_cast<int>(rest / 3600000);
    out.minute = static_cast<int>(rest / 60000 % 60);
    out.second = static_cast<int>(rest / 1000 % 60);
    out.millisecond = static_cast<int>(rest % 1000);
    resultText(ctx, storedText(out));
}

// ---- catalog functions ------------------------------------------------------------

struct SplitName {
    std::string database, owner, name;
};

std::string stripBrackets(std::string part)
{
    if (part.size() >= 2 && ((part.front() == '[' && part.back() == ']') ||
                             (part.front() == '"' && part.back() == '"'))) {
        part = part.substr(1, part.size() - 2);
    }
    return part;
}

SplitName splitObjectName(const std::string& text)
{
    std::vector<std::string> parts;
    std::string part;
    // A part in double quotes or brackets is one part, dots and all.
    char closing = 0;
    for (char c : rtrimBlanks(text)) {
        if (closing) {
            closing = c == closing ? 0 : closing;
            part += c;
        } else if (c == '.') {
            parts.push_back(stripBrackets(part));
            part.clear();
        } else {
            if (part.empty() && (c == '"' || c == '['))
                closing = c == '"' ? '"' : ']';
            part += c;
        }
    }
    parts.push_back(stripBrackets(part));
    SplitName out;
    out.name = parts.back();
    if (parts.size() >= 2)
        out.owner = parts[parts.size() - 2];
    if (parts.size() >= 3)
        out.database = parts[parts.size() - 3];
    return out;
}

std::optional<ObjectRef> resolveName(Catalog& catalog, const std::string& text,
                                     const std::string& currentDb, int uid)
{
    SplitName name = splitObjectName(text);
    std::string database = name.database.empty() ? currentDb : name.database;
    if (name.name.empty())
        return std::nullopt;
    if (!name.name.empty() && name.name[0] == '#')
        database = "tempdb";
    return catalog.findObject(database, name.owner, name.name, database == currentDb ? uid : 1);
}

void objectIdFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    auto object =
        resolveName(catalogOf(ctx), textArg(argv[0]), textArg(argv[1]), sqlite3_value_int(argv[2]));
    if (!object)
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, object->id);
}

std::string databaseArg(Catalog& catalog, sqlite3_value* dbid, sqlite3_value* current)
{
    return isNullArg(dbid) ? textArg(current) : catalog.databaseName(sqlite3_value_int(dbid));
}

void objectNameFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    Catalog& catalog = catalogOf(ctx);
    std::string database = databaseArg(catalog, argv[1], argv[2]);
    if (database.empty())
        return sqlite3_result_null(ctx);
    auto object = catalog.findObjectById(database, sqlite3_value_int(argv[0]));
    if (!object)
        return sqlite3_result_null(ctx);
    resultText(ctx, object->name);
}

// The index an index_col/index_colorder call names: (object, indid [, owner uid]) with
// the current database and the session's uid as the last two arguments.
std::optional<std::pair<ObjectRef, IndexRef>> indexArgument(sqlite3_context* ctx, Args argv)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]) || isNullArg(argv[2]))
        return std::nullopt;
    Catalog& catalog = catalogOf(ctx);
    std::string currentDb = textArg(argv[4]);
    std::optional<ObjectRef> object;
    SplitName name = splitObjectName(textArg(argv[0]));
    if (!isNullArg(argv[3]) && name.owner.empty()) {
        std::string database = name.database.empty() ? currentDb : name.database;
        std::string owner = catalog.userName(database, sqlite3_value_int(argv[3]));
        object = catalog.findObject(database, owner.empty() ? "-" : owner, name.name, 1);
    } else {
        object = resolveName(catalog, textArg(argv[0]), currentDb, sqlite3_value_int(argv[5]));
    }
    if (!object)
        return std::nullopt;
    int indid = sqlite3_value_int(argv[1]);
    for (IndexRef& index : catalog.indexes(object->database, object->id)) {
        if (index.indid == indid)
            return std::make_pair(*object, std::move(index));
    }
    return std::nullopt;
}

// index_col(object, indid, keyno [, owner uid], currentDb, sessionUid)
void indexColFn(sqlite3_context* ctx, int, Args argv)
{
    auto found = indexArgument(ctx, argv);
    int keyno = sqlite3_value_int(argv[2]);
    if (!found || keyno < 1 || keyno > static_cast<int>(found->second.keyColids.size()))
        return sqlite3_result_null(ctx);
    resultTextOrNull(
        ctx, catalogOf(ctx).columnName(found->first.database, found->first.id,
                                       found->second.keyColids[static_cast<size_t>(keyno - 1)]));
}

// index_colorder(object, indid, keyno [, owner uid], currentDb, sessionUid): ASC or DESC.
void indexColOrderFn(sqlite3_context* ctx, int, Args argv)
{
    auto found = indexArgument(ctx, argv);
    int keyno = sqlite3_value_int(argv[2]);
    if (!found || keyno < 1 || keyno > static_cast<int>(found->second.keyColids.size()))
        return sqlite3_result_null(ctx);
    resultText(ctx, found->second.descending[static_cast<size_t>(keyno - 1)] ? "DESC" : "ASC");
}

void colNameFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]) || isNullArg(argv[1]))
        return sqlite3_result_null(ctx);
    Catalog& catalog = catalogOf(ctx);
    std::string database = databaseArg(catalog, argv[2], argv[3]);
    auto object = catalog.findObjectById(database, sqlite3_value_int(argv[0]));
    if (!object)
        return sqlite3_result_null(ctx);
    resultTextOrNull(ctx, catalog.columnName(database, object->id, sqlite3_value_int(argv[1])));
}

void userNameFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    std::string name = catalogOf(ctx).userName(textArg(argv[1]), sqlite3_value_int(argv[0]));
    resultTextOrNull(ctx, name);
}

void userIdFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    auto uid = catalogOf(ctx).userUid(textArg(argv[1]), rtrimBlanks(textArg(argv[0])));
    if (!uid)
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, *uid);
}

void dbNameFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    resultTextOrNull(ctx, catalogOf(ctx).databaseName(sqlite3_value_int(argv[0])));
}

void dbIdFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    int id = catalogOf(ctx).databaseId(rtrimBlanks(textArg(argv[0])));
    if (id == 0)
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, id);
}

void suserNameFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    resultTextOrNull(ctx, catalogOf(ctx).loginName(sqlite3_value_int(argv[0])));
}

void suserIdFn(sqlite3_context* ctx, int, Args argv)
{
    if (isNullArg(argv[0]))
        return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    int suid = catalogOf(ctx).loginSuid(rtrimBlanks(textArg(argv[0])));
    if (suid == 0)
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, suid);
}

}  // namespace

namespace {

// Every function SQLite calls back into is wrapped in this: an exception must never
// unwind through SQLite's C frames. An engine error keeps its number for the client;
// anything else becomes a plain function error.
template <void (*Function)(sqlite3_context*, int, sqlite3_value**)>
void guarded(sqlite3_context* ctx, int argc, sqlite3_value** argv) noexcept
{
    try {
        Function(ctx, argc, argv);
    } catch (const EngineError& error) {
        resultError(ctx, error);
    } catch (const std::exception& error) {
        resultError(ctx, EngineError{7777, 16, std::string("Internal error: ") + error.what()});
    } catch (...) {
        resultError(ctx, EngineError{7777, 16, "Internal error in a built-in function."});
    }
}

}  // namespace

void registerFunctions(Catalog& catalog, ApplicationContexts& contexts)
{
    struct Registration {
        const char* name;
        int argc;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
        bool deterministic;
    };
    static const Registration registrations[] = {
        {"tsql_concat", 2, guarded<concatFn>, true},
        {"tsql_scramble", 1, guarded<scrambleFn>, true},
        {"tsql_rtrim", 1, guarded<rtrimFn>, true},
        {"tsql_ltrim", 1, guarded<ltrimFn>, true},
        {"tsql_trim", 1, guarded<trimFn>, true},
        {"tsql_substring", 3, guarded<substringFn>, true},
        {"tsql_stuff", 4, guarded<stuffFn>, true},
        {"tsql_left", 2, guarded<leftFn>, true},
        {"tsql_right", 2, guarded<rightFn>, true},
        {"tsql_ascii", 1, guarded<asciiFn>, true},
        {"tsql_char", 1, guarded<charFn>, true},
        {"tsql_char_length", 1, guarded<lengthFn>, true},
        {"tsql_datalength", 1, guarded<lengthFn>, true},
        {"tsql_replicate", 2, guarded<replicateFn>, true},
        {"tsql_reverse", 1, guarded<reverseFn>, true},
        {"tsql_hash", -1, guarded<hashFn>, true},
        {"tsql_str", -1, guarded<strFn>, true},
        {"tsql_like", 3, guarded<likeFn>, true},
        {"tsql_divide", 3, guarded<divideFn>, true},
        {"tsql_math", 2, guarded<mathFn>, true},
        {"tsql_power", 2, guarded<powerFn>, true},
        {"tsql_convert", 7, guarded<convertFn>, true},
        {"tsql_assign", 6, guarded<assignFn>, true},
        {"tsql_getdate", 0, guarded<getdateFn>, false},
        {"tsql_newid", -1, guarded<newidFn>, false},
        {"tsql_syb_quit", 0, guarded<sybQuitFn>, false},
        {"tsql_datepart", 2, guarded<datepartFn>, true},
        {"tsql_datename", 2, guarded<datenameFn>, true},
        {"tsql_datediff", 3, guarded<datediffFn>, true},
        {"tsql_dateadd", 3, guarded<dateaddFn>, true},
        {"tsql_object_id", 3, guarded<objectIdFn>, false},
        {"tsql_object_name", 3, guarded<objectNameFn>, false},
        {"tsql_index_col", 6, guarded<indexColFn>, false},
        {"tsql_index_colorder", 6, guarded<indexColOrderFn>, false},
        {"tsql_col_name", 4, guarded<colNameFn>, false},
        {"tsql_user_name", 2, guarded<userNameFn>, false},
        {"tsql_user_id", 2, guarded<userIdFn>, false},
        {"tsql_db_name", 1, guarded<dbNameFn>, false},
        {"tsql_db_id", 1, guarded<dbIdFn>, false},
        {"tsql_suser_name", 1, guarded<suserNameFn>, false},
        {"tsql_suser_id", 1, guarded<suserIdFn>, false},
    };
    for (const Registration& r : registrations) {
        int flags = SQLITE_UTF8 | (r.deterministic ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function(catalog.db().handle(), r.name, r.argc, flags, &catalog, r.fn,
                                nullptr, nullptr);
    }
    const Registration contextFunctions[] = {
        {"tsql_set_appcontext", 4, guarded<setAppContextFn>, false},
        {"tsql_get_appcontext", 3, guarded<getAppContextFn>, false},
        {"tsql_rm_appcontext", 3, guarded<rmAppContextFn>, false},
    };
    for (const Registration& r : contextFunctions) {
        sqlite3_create_function(catalog.db().handle(), r.name, r.argc, SQLITE_UTF8, &contexts, r.fn,
                                nullptr, nullptr);
    }
}

}  // namespace tdsim

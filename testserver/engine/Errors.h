// Server errors raised while executing a statement.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tdsim {

struct EngineError {
    int number;
    int severity;
    std::string text;
};

inline EngineError objectNotFound(const std::string& name)
{
    return {208, 16,
            name +
                " not found. Specify owner.objectname or use sp_help to check whether the "
                "object exists (sp_help may produce lots of output)."};
}

inline EngineError invalidColumn(const std::string& name)
{
    return {207, 16, "Invalid column name '" + name + "'."};
}

inline EngineError alreadyExists(const std::string& name)
{
    return {2714, 16, "There is already an object named '" + name + "' in the database."};
}

inline EngineError unknownDatabase(const std::string& name)
{
    return {911, 11,
            "Attempt to locate entry in sysdatabases for database '" + name +
                "' by name failed - no entry found under that name. Make sure that name is "
                "entered properly."};
}

inline EngineError mustDeclare(const std::string& name)
{
    return {137, 15, "Must declare variable '" + name + "'."};
}

// An integer given as text (a procedure argument, an option value); error 249, as for a
// conversion, when the text is no integer.
inline int integerOf(const std::string& text)
{
    try {
        size_t used = 0;
        long long value = std::stoll(text, &used);
        if (used == text.size() && value >= INT32_MIN && value <= INT32_MAX)
            return static_cast<int>(value);
    } catch (const std::exception&) {
    }
    throw EngineError{
        249, 16,
        "Syntax error during explicit conversion of VARCHAR value '" + text + "' to a INT field."};
}

// Not an error: syb_quit() raises it to end the batch and the client's connection.
constexpr int kConnectionEndRequest = 2147480001;

// Registered SQLite functions report server errors through SQLite as
// "#<number>|<severity>|<text>"; the executor turns that back into an EngineError.
std::string encodeFunctionError(const EngineError& error);
bool decodeFunctionError(const std::string& message, EngineError& error);

}  // namespace tdsim

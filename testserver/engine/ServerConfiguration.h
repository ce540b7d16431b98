// Configuration parameters: master..sysconfigures (the configured values) and
// master..syscurconfigs (the values in use), for the parameters tdsim knows.
#pragma once

#include <string>
#include <vector>

#include "engine/Sqlite.h"

namespace tdsim {

struct ConfigParameter {
    const char* name;
    int config;        // sysconfigures.config
    int defaultValue;  // value
    const char* text;  // value2 for a parameter with a name as its value, else nullptr
    bool dynamic;      // takes effect at once, without a restart
    const char* unit;  // syscurconfigs.unit
    int minimum;
    int maximum;
};

class ServerConfiguration {
public:
    explicit ServerConfiguration(SqliteDatabase& db) : db_(db) {}

    void install();  // every parameter at its default

    // The parameter a name stands for: the exact name, else the only one whose name
    // contains it. Nothing for an unknown or ambiguous name.
    static const ConfigParameter* find(const std::string& name);
    static const std::vector<ConfigParameter>& parameters();

    // Sets the configured value (and the run value of a dynamic parameter); `text` is the
    // value of a parameter such as lock scheme. Throws EngineError for a value out of range.
    void set(const ConfigParameter& parameter, int value, const std::string& text);
    int configuredValue(const ConfigParameter& parameter);

private:
    SqliteDatabase& db_;
};

}  // namespace tdsim

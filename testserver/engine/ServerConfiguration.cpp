#include "engine/ServerConfiguration.h"

#include "engine/Catalog.h"
#include "engine/Errors.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

const std::string& configuresTable()
{
    static const std::string table = Catalog::systemTable("master", "sysconfigures");
    return table;
}

const std::string& currentTable()
{
    static const std::string table = Catalog::systemTable("master", "syscurconfigs");
    return table;
}

}  // namespace

// Defaults are the 15.7 Reference Manual's; the config numbers are tdsim's choice where
// the manuals give none (see README "Master catalog").
const std::vector<ConfigParameter>& ServerConfiguration::parameters()
{
    static const std::vector<ConfigParameter> known = {
        {"allow updates to system tables", 102, 0, nullptr, true, "switch", 0, 1},
        {"number of user connections", 103, 25, nullptr, true, "number", 5, 2147483647},
        {"number of locks", 106, 10000, nullptr, true, "number", 1000, 2147483647},
        {"number of open objects", 107, 500, nullptr, true, "number", 100, 2147483647},
        {"number of devices", 116, 10, nullptr, true, "number", 1, 2147483647},
        {"default character set id", 131, 1, nullptr, false, "id", 0, 255},
        {"procedure cache size", 146, 14000, nullptr, true, "memory pages(2k)", 7000, 2147483647},
        {"default database size", 154, 3, nullptr, true, "megabytes", 2, 10000},
        {"allow remote access", 161, 1, nullptr, true, "switch", 0, 1},
        {"default network packet size", 201, 2048, nullptr, false, "bytes", 512, 65024},
        {"max network packet size", 202, 2048, nullptr, false, "bytes", 512, 65024},
        {"number of open indexes", 263, 500, nullptr, true, "number", 100, 2147483647},
        {"lock scheme", 335, 0, "allpages", true, "name", 0, 0},
        {"enable cis", 354, 1, nullptr, false, "switch", 0, 1},
        {"max memory", 396, 98304, nullptr, true, "memory pages(2k)", 24576, 2147483647},
    };
    return known;
}

const ConfigParameter* ServerConfiguration::find(const std::string& name)
{
    std::string wanted = toLower(name);
    const ConfigParameter* found = nullptr;
    for (const ConfigParameter& parameter : parameters()) {
        if (wanted == parameter.name)
            return &parameter;
        if (std::string(parameter.name).find(wanted) != std::string::npos) {
            if (found)
                return nullptr;
            found = &parameter;
        }
    }
    return found;
}

void ServerConfiguration::install()
{
    for (const ConfigParameter& parameter : parameters()) {
        SqlValue text = parameter.text ? SqlValue::ofText(parameter.text) : SqlValue::null();
        std::vector<SqlValue> values = {SqlValue::ofInt(parameter.config),
                                        SqlValue::ofInt(parameter.defaultValue),
                                        SqlValue::ofText(parameter.name), text};
        SqliteStatement configured(db_.handle(), "INSERT INTO " + configuresTable() +
                                                     " (config, value, comment, status, name, "
                                                     "value2) VALUES (?1, ?2, ?3, 0, ?3, ?4)");
        configured.bindAll(values);
        configured.step();
        SqliteStatement current(
            db_.handle(),
            "INSERT INTO " + currentTable() +
                " (config, value, comment, status, value2, defvalue, minimum_value, "
                "maximum_value, memory_used, display_level, datatype, message_num, apf_percent, "
                "type, unit) VALUES (?1, ?2, ?3, 0, ?4, ?5, ?6, ?7, 0, 10, 1, 0, 0, ?8, ?9)");
        std::string defaultText =
            parameter.text ? parameter.text : std::to_string(parameter.defaultValue);
        current.bindAll({SqlValue::ofInt(parameter.config), SqlValue::ofInt(parameter.defaultValue),
                         SqlValue::ofText(parameter.name), text, SqlValue::ofText(defaultText),
                         SqlValue::ofInt(parameter.minimum), SqlValue::ofInt(parameter.maximum),
                         SqlValue::ofText(parameter.dynamic ? "dynamic" : "static"),
                         SqlValue::ofText(parameter.unit)});
        current.step();
    }
}

void ServerConfiguration::set(const ConfigParameter& parameter, int value, const std::string& text)
{
    bool named = parameter.text != nullptr;
    if (named) {
        static const char* const schemes[] = {"allpages", "datapages", "datarows"};
        bool known = false;
        for (const char* scheme : schemes)
            known = known || toLower(text) == scheme;
        if (!known)
            throw EngineError{5850, 16,
                              "Invalid value '" + text + "' for configuration parameter '" +
                                  parameter.name + "'."};
        value = 0;
    } else if (value < parameter.minimum || value > parameter.maximum) {
        throw EngineError{5846, 16,
                          "Illegal value '" + std::to_string(value) +
                              "' specified for configuration option '" + parameter.name +
                              "'. The legal values are between '" +
                              std::to_string(parameter.minimum) + "' and '" +
                              std::to_string(parameter.maximum) + "'."};
    }
    std::vector<SqlValue> values = {SqlValue::ofInt(parameter.config), SqlValue::ofInt(value),
                                    named ? SqlValue::ofText(toLower(text)) : SqlValue::null()};
    for (const std::string* table : {&configuresTable(), &currentTable()}) {
        if (table == &currentTable() && !parameter.dynamic)
            break;
        SqliteStatement update(
            db_.handle(), "UPDATE " + *table + " SET value = ?2, value2 = ?3 WHERE config = ?1");
        update.bindAll(values);
        update.step();
    }
}

int ServerConfiguration::configuredValue(const ConfigParameter& parameter)
{
    return static_cast<int>(
        db_.queryInt("SELECT value FROM " + configuresTable() + " WHERE config = ?1",
                     {SqlValue::ofInt(parameter.config)}, parameter.defaultValue));
}

}  // namespace tdsim

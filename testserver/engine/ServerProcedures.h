// The system procedures over master's server-wide tables (ServerProcedures.cpp), looked
// up by name beside the database-level ones of SystemProcedures.cpp.
#pragma once

#include <map>
#include <string>

namespace tdsim {

class SystemProcedureCall;

struct ServerProcedure {
    void (*run)(SystemProcedureCall&);
    size_t parameters;  // how many the procedure declares
};

const std::map<std::string, ServerProcedure>& serverProcedures();

}  // namespace tdsim

// Logins and server roles for the statements and the system procedures that change them.
#pragma once

#include <string>

#include "engine/Ast.h"

namespace tdsim {

struct EngineState;

// Server roles the login statements check for.
constexpr int kSaRoleId = 0;
constexpr int kSsoRoleId = 1;

// Applies one CREATE/ALTER LOGIN attribute (or the sp_modifylogin option it stands for)
// to a login. Throws EngineError for an unknown attribute or a bad value.
void applyLoginAttribute(EngineState& state, int suid, const LoginAttribute& attribute);

// The stored password of CREATE LOGIN / CREATE ROLE: the hash of `password`, or with
// `encrypted` the bytes written as '0x...'.
std::string storedPassword(const std::string& password, bool encrypted);

// Drops a login that is no user, alias or database owner anywhere (sp_droplogin, drop
// login).
void dropLogin(EngineState& state, const std::string& login);

// Error 7777 for a caller who lacks the role the statement needs.
[[noreturn]] void missingRole(const char* role);

}  // namespace tdsim

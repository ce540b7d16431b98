// Logins and user-defined roles as master keeps them: syslogins (with the password hash),
// syssrvroles, sysloginroles, and the role hierarchy and login password settings in
// sysattributes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/Sqlite.h"

namespace tdsim {

// syslogins.status bits.
constexpr int kLoginLocked = 0x2;
constexpr int kLoginPasswordExpired = 0x4;

// syslogins.lockreason: locked by an administrator (sp_locklogin, alter login ... lock),
// or by the server after too many failed logins.
constexpr int kLockedByAdministrator = 0;
constexpr int kLockedAfterFailedLogins = 2;

// sysloginroles.status of a role that is active when the login logs in.
constexpr int kDefaultRole = 0x1;

// Role srids below this one are system roles; user-defined roles are numbered from it.
constexpr int kFirstUserRoleId = 32;

// A password as syslogins.password stores it: a format byte, a random 16-byte salt, and
// SHA-256 over salt and password (the layout is tdsim's; the server does not document
// its own).
std::string hashPassword(const std::string& password);
// Whether `password` matches a stored hash; a NULL hash matches only the empty password.
bool passwordMatches(const std::optional<std::string>& stored, const std::string& password);
// The bytes of a stored hash written as text: '0x' and hex digits (any case). None for
// other text.
std::optional<std::string> bytesOfHexText(const std::string& text);

// One login being created: what sp_addlogin and CREATE LOGIN have in common.
struct LoginDefinition {
    std::string name;
    std::optional<std::string> passwordHash;  // none: NULL (the empty password)
    std::string defaultDatabase;              // empty: master
    std::string language;                     // empty: us_english
    std::string fullName;
    int creatorSuid = 1;
    std::optional<int> suid;  // chosen with create login's suid attribute; else the next
};

class Logins {
public:
    explicit Logins(SqliteDatabase& db) : db_(db) {}

    int add(const LoginDefinition& login);  // the new suid
    void drop(int suid);
    // Whether the login exists and has this password.
    bool passwordIs(const std::string& name, const std::string& password);
    // A login attempt: refused for a locked login or a wrong password. A success records
    // lastlogindate and clears logincount; a failure counts in logincount and locks the
    // login at its `max failed attempts`.
    bool logIn(const std::string& name, const std::string& password);

    void setPassword(int suid, const std::string& hash);
    void setLocked(int suid, bool locked, int bySuid);
    // Sets one syslogins column (dbname, language, fullname, procid, ...).
    void setColumn(int suid, const std::string& column, const SqlValue& value);
    void setStatusBits(int suid, int clear, int set);
    // A per-login password setting (expiration, minimum length, failed logins allowed).
    void setPasswordPolicy(int suid, int attribute, int value);

    // User-defined roles.
    int roleId(const std::string& name);  // -1 when there is none
    int createRole(const std::string& name, const std::optional<std::string>& passwordHash);
    void dropRole(int srid);
    void setRolePassword(int srid, const std::optional<std::string>& passwordHash);

    // Role membership of logins (sysloginroles) and of roles (the hierarchy).
    void grantToLogin(int srid, int suid, int status);
    void revokeFromLogin(int srid, int suid);
    void setLoginRoleStatus(int srid, int suid, int status);
    bool grantToRole(int granted, int grantee);  // false when the grant would make a cycle
    void revokeFromRole(int granted, int grantee);

private:
    bool roleContains(int outer, int inner);

    SqliteDatabase& db_;
};

}  // namespace tdsim

// Logins and server roles: CREATE/ALTER/DROP LOGIN, CREATE/ALTER/DROP ROLE and
// GRANT/REVOKE ROLE, all kept in master (syslogins, syssrvroles, sysloginroles,
// sysattributes).
#include "engine/Principals.h"

#include "engine/EngineState.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

// syslogins.status bits of `authenticate with` (the bit values are tdsim's choice).
int authenticationBit(const std::string& mechanism)
{
    static const std::pair<const char*, int> mechanisms[] = {
        {"ase", 0x20}, {"ldap", 0x40}, {"pam", 0x80}, {"kerberos", 0x100}, {"any", 0}};
    for (const auto& [name, bit] : mechanisms) {
        if (toLower(mechanism) == name)
            return bit;
    }
    throw EngineError{7777, 16, "Unknown authentication mechanism '" + mechanism + "'."};
}
constexpr int kAuthenticationBits = 0x20 | 0x40 | 0x80 | 0x100;

// sysattributes attribute numbers of the per-login password settings (tdsim's choice).
int policyAttribute(const std::string& name)
{
    if (name == "password expiration" || name == "passwd expiration")
        return 0;
    if (name == "min password length" || name == "min passwd length")
        return 1;
    if (name == "max failed attempts" || name == "max failed logins" || name == "max failed_logins")
        return 2;
    if (name == "exempt inactive lock")
        return 3;
    return -1;
}

int integerValue(const LoginAttribute& attribute)
{
    std::string value = toLower(attribute.value);
    if (value == "true")
        return 1;
    if (value == "false")
        return 0;
    return integerOf(value);
}

std::string loginDatabase(EngineState& state, int suid)
{
    SqliteStatement row(
        state.db.handle(),
        "SELECT dbname FROM " + Catalog::systemTable("master", "syslogins") + " WHERE suid = ?1");
    row.bind(1, SqlValue::ofInt(suid));
    return row.step() && !row.isNull(0) ? row.textAt(0) : std::string("master");
}

}  // namespace

void missingRole(const char* role)
{
    throw EngineError{7777, 16,
                      std::string("You must have the following role(s) to execute this "
                                  "command/procedure: '") +
                          role + "'. Please contact a user with the appropriate role for help."};
}

std::string storedPassword(const std::string& password, bool encrypted)
{
    if (!encrypted)
        return hashPassword(password);
    std::optional<std::string> bytes = bytesOfHexText(password);
    if (!bytes)
        throw EngineError{7777, 16,
                          "An encrypted password must be the stored hash written as 0x and "
                          "hexadecimal digits."};
    return *bytes;
}

void applyLoginAttribute(EngineState& state, int suid, const LoginAttribute& attribute)
{
    const std::string& name = attribute.name;
    const std::string& value = attribute.value;
    if (name == "default database" || name == "defdb") {
        if (!state.catalog.hasDatabase(value))
            throw unknownDatabase(value);
        state.logins.setColumn(suid, "dbname", SqlValue::ofText(value));
    } else if (name == "default language" || name == "deflanguage") {
        state.logins.setColumn(suid, "language",
                               SqlValue::ofText(value.empty() ? "us_english" : value));
    } else if (name == "fullname") {
        state.logins.setColumn(suid, "fullname",
                               value.empty() ? SqlValue::null() : SqlValue::ofText(value));
    } else if (name == "login script") {
        // The procedure runs in the login's default database, where it must be.
        SqlValue procid = SqlValue::null();
        if (!value.empty()) {
            auto procedure = state.catalog.findObject(loginDatabase(state, suid), "", value, 1);
            if (!procedure || procedure->type != "P")
                throw EngineError{17461, 16, "Object does not exist in this database."};
            procid = SqlValue::ofInt(procedure->id);
        }
        state.logins.setColumn(suid, "procid", procid);
    } else if (int attributeNumber = policyAttribute(name); attributeNumber >= 0) {
        state.logins.setPasswordPolicy(suid, attributeNumber, integerValue(attribute));
    } else if (name == "authenticate with") {
        state.logins.setStatusBits(suid, kAuthenticationBits, authenticationBit(value));
    } else if (name == "login profile" || name == "ignore login profile") {
        // Login profiles are not modelled: syslogins.lpid stays NULL.
    } else {
        throw EngineError{7777, 16, "'" + name + "' is not a login attribute tdsim knows."};
    }
}

// The suid create login's suid attribute chooses: unique, in [-32768, 2147483647] and none
// of -2 .. 2, which are the server's own (15.7 reference, create login). The message
// numbers are tdsim's own.
static int chosenSuid(EngineState& state, const LoginAttribute& attribute)
{
    const int suid = integerValue(attribute);
    if (suid < -32768 || (suid >= -2 && suid <= 2))
        throw EngineError{
            7777, 16,
            "The suid " + std::to_string(suid) + " is outside the range a login may be given."};
    if (state.db.queryInt("SELECT count(*) FROM " + Catalog::systemTable("master", "syslogins") +
                              " WHERE suid = ?1",
                          {SqlValue::ofInt(suid)}) > 0)
        throw EngineError{7777, 16, "The suid " + std::to_string(suid) + " is in use."};
    return static_cast<int>(suid);
}

void SessionImpl::createLogin(const CreateLoginStatement& statement, Results& out)
{
    if (!holdsRole(kSsoRoleId))
        missingRole("sso_role");
    if (state_.catalog.loginSuid(statement.name) != 0) {
        throw EngineError{17260, 16, "A login with the specified name already exists."};
    }
    if (!statement.defaultDatabase.empty() &&
        !state_.catalog.hasDatabase(statement.defaultDatabase)) {
        throw unknownDatabase(statement.defaultDatabase);
    }
    LoginDefinition login;
    login.name = statement.name;
    if (!statement.password.empty() || statement.encrypted)
        login.passwordHash = storedPassword(statement.password, statement.encrypted);
    login.defaultDatabase = statement.defaultDatabase;
    login.language = statement.defaultLanguage;
    login.fullName = statement.fullName;
    login.creatorSuid = suid_;
    for (const LoginAttribute& attribute : statement.attributes) {
        if (attribute.name == "suid")
            login.suid = chosenSuid(state_, attribute);
    }
    int suid = state_.logins.add(login);
    for (const LoginAttribute& attribute : statement.attributes) {
        if (attribute.name != "suid")
            applyLoginAttribute(state_, suid, attribute);
    }
    newResult(out);
}

bool SessionImpl::holdsRole(int srid) const
{
    return state_.db.queryInt("SELECT count(*) FROM " +
                                  Catalog::systemTable("master", "sysloginroles") +
                                  " WHERE suid = ?1 AND srid = ?2",
                              {SqlValue::ofInt(suid_), SqlValue::ofInt(srid)}) > 0;
}

// A role is granted to logins (sysloginroles) or to other roles (the hierarchy in
// sysattributes); a name that is both a login and a role is taken as the role.
void SessionImpl::grantOrRevokeRole(const GrantRoleStatement& statement, Results& out)
{
    if (!holdsRole(kSsoRoleId))
        missingRole("sso_role");
    for (const std::string& role : statement.roles) {
        int srid = state_.logins.roleId(toLower(role));
        if (srid < 0)
            srid = state_.logins.roleId(role);
        if (srid < 0)
            throw EngineError{17410, 16, "The role '" + role + "' does not exist."};
        if (srid == kSaRoleId && statement.grant && !holdsRole(kSaRoleId))
            missingRole("sa_role");
        for (const std::string& grantee : statement.grantees) {
            int granteeRole = state_.logins.roleId(grantee);
            if (granteeRole >= 0) {
                if (!statement.grant) {
                    state_.logins.revokeFromRole(srid, granteeRole);
                } else if (!state_.logins.grantToRole(srid, granteeRole)) {
                    throw EngineError{7777, 16,
                                      "Granting role '" + role + "' to '" + grantee +
                                          "' would make a role contain itself."};
                }
                continue;
            }
            int suid = state_.catalog.loginSuid(grantee);
            if (suid == 0)
                throw EngineError{17232, 16, "No such login or role -- '" + grantee + "'."};
            if (statement.grant)
                state_.logins.grantToLogin(srid, suid, 0);
            else
                state_.logins.revokeFromLogin(srid, suid);
        }
    }
    newResult(out);
}

// alter login, drop login, create role, alter role, drop role.
void SessionImpl::principalStatement(const PrincipalStatement& statement, Results& out)
{
    if (!holdsRole(kSsoRoleId))
        missingRole("sso_role");
    const std::string& name = statement.names.front();
    if (statement.verb == "create role") {
        if (state_.logins.roleId(name) >= 0 || state_.logins.roleId(toLower(name)) >= 0)
            throw EngineError{17412, 16, "The role '" + name + "' already exists."};
        std::optional<std::string> hash;
        if (!statement.password.empty())
            hash = storedPassword(statement.password, false);
        state_.logins.createRole(name, hash);
    } else if (statement.verb == "drop role" || statement.verb == "alter role") {
        int srid = state_.logins.roleId(name);
        if (srid < 0)
            throw EngineError{17410, 16, "The role '" + name + "' does not exist."};
        if (srid < kFirstUserRoleId)
            throw EngineError{7777, 16, "A system role cannot be dropped or altered."};
        if (statement.verb == "drop role")
            state_.logins.dropRole(srid);
        else if (statement.action == "add passwd")
            state_.logins.setRolePassword(srid, storedPassword(statement.password, false));
        else
            state_.logins.setRolePassword(srid, std::nullopt);
    } else if (statement.verb == "drop login") {
        for (const std::string& login : statement.names)
            dropLogin(state_, login);
    } else {
        alterLogin(statement);
    }
    newResult(out);
}

void SessionImpl::alterLogin(const PrincipalStatement& statement)
{
    int suid = state_.catalog.loginSuid(statement.names.front());
    if (suid == 0)
        throw EngineError{17232, 16, "No such login -- '" + statement.names.front() + "'."};
    if (statement.action == "lock" || statement.action == "unlock")
        state_.logins.setLocked(suid, statement.action == "lock", suid_);
    else if (statement.action == "modify password")
        state_.logins.setPassword(suid, storedPassword(statement.password, false));
    else
        for (const LoginAttribute& attribute : statement.attributes)
            applyLoginAttribute(state_, suid, attribute);
}

// A login that is a user, an alias or the owner of a database stays (the server refuses
// as sp_droplogin documents).
void dropLogin(EngineState& state, const std::string& login)
{
    int suid = state.catalog.loginSuid(login);
    if (suid == 0)
        throw EngineError{17232, 16, "No such login -- '" + login + "'."};
    if (suid == 1)
        throw EngineError{17903, 16, "The sa login cannot be dropped."};
    SqliteStatement databases(
        state.db.handle(),
        "SELECT name, suid FROM " + Catalog::systemTable("master", "sysdatabases"));
    while (databases.step()) {
        std::string database = databases.textAt(0);
        bool owner = databases.intAt(1) == suid;
        bool aliased = state.db.queryInt("SELECT count(*) FROM " +
                                             Catalog::systemTable(database, "sysalternates") +
                                             " WHERE suid = ?1",
                                         {SqlValue::ofInt(suid)}) > 0;
        if (owner || aliased || state.catalog.uidForSuid(database, suid) >= 0)
            throw EngineError{17910, 16,
                              "The login '" + login + "' is a user, alias or owner in database '" +
                                  database + "'; drop it there first."};
    }
    state.logins.drop(suid);
}

}  // namespace tdsim

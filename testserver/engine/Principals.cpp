// Logins and server roles: CREATE LOGIN and GRANT/REVOKE ROLE, both kept in master
// (syslogins, sysloginroles).
#include "engine/SessionImpl.h"

#include "engine/Text.h"

namespace tdsim {

void SessionImpl::createLogin(const CreateLoginStatement& statement, Results& out)
{
    if (state_.catalog.loginSuid(statement.name) != 0) {
        throw EngineError{17260, 16, "A login with the specified name already exists."};
    }
    if (!statement.defaultDatabase.empty() &&
        !state_.catalog.hasDatabase(statement.defaultDatabase)) {
        throw unknownDatabase(statement.defaultDatabase);
    }
    state_.catalog.addLogin(statement.name, statement.defaultDatabase, statement.defaultLanguage,
                            statement.fullName);
    state_.passwords[statement.name] = statement.password;
    newResult(out);
}

bool SessionImpl::holdsRole(int srid) const
{
    return state_.db.queryInt("SELECT count(*) FROM " +
                                  Catalog::systemTable("master", "sysloginroles") +
                                  " WHERE suid = ?1 AND srid = ?2",
                              {SqlValue::ofInt(suid_), SqlValue::ofInt(srid)}) > 0;
}

// Server roles go to logins only: a role granted to another role (a role hierarchy)
// is not kept.
void SessionImpl::grantOrRevokeRole(const GrantRoleStatement& statement, Results& out)
{
    std::string loginRoles = Catalog::systemTable("master", "sysloginroles");
    for (const std::string& role : statement.roles) {
        int srid = Catalog::serverRoleId(toLower(role));
        if (srid < 0) {
            throw EngineError{7777, 16,
                              "Role '" + role +
                                  "' is not a server role tdsim knows (the 15.7 system "
                                  "roles)."};
        }
        for (const std::string& grantee : statement.grantees) {
            int suid = state_.catalog.loginSuid(grantee);
            if (suid == 0) {
                throw EngineError{7777, 16,
                                  "'" + grantee +
                                      "' is not a login; tdsim grants roles to "
                                      "logins only."};
            }
            std::vector<SqlValue> key = {SqlValue::ofInt(suid), SqlValue::ofInt(srid)};
            state_.db.queryInt("DELETE FROM " + loginRoles + " WHERE suid = ?1 AND srid = ?2", key);
            if (statement.grant) {
                state_.catalog.insertRow(
                    loginRoles, {{"suid", SqlValue::ofInt(suid)}, {"srid", SqlValue::ofInt(srid)}});
            }
        }
    }
    newResult(out);
}

}  // namespace tdsim

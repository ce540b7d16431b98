#include "engine/Logins.h"

#include <random>

#include "engine/Catalog.h"
#include "engine/Digest.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

constexpr char kHashFormat = 0x05;
constexpr size_t kSaltBytes = 16;

// Role hierarchies and login password settings in master..sysattributes. The class and
// attribute numbers are tdsim's choice (not documented).
constexpr int kRoleClass = 8;
constexpr int kRoleHierarchyAttribute = 2;
constexpr int kLoginPolicyClass = 3;
constexpr int kMaxFailedLoginsAttribute = 2;

const std::string& loginsTable()
{
    static const std::string table = Catalog::systemTable("master", "syslogins");
    return table;
}

const std::string& rolesTable()
{
    static const std::string table = Catalog::systemTable("master", "syssrvroles");
    return table;
}

const std::string& loginRolesTable()
{
    static const std::string table = Catalog::systemTable("master", "sysloginroles");
    return table;
}

const std::string& attributesTable()
{
    static const std::string table = Catalog::systemTable("master", "sysattributes");
    return table;
}

std::string saltedDigest(const std::string& salt, const std::string& password)
{
    return std::string(1, kHashFormat) + salt + sha256Digest(salt + password);
}

SqlValue hashValue(const std::optional<std::string>& hash)
{
    return hash ? SqlValue::ofBlob(*hash) : SqlValue::null();
}

void run(SqliteDatabase& db, const std::string& sql, const std::vector<SqlValue>& params)
{
    SqliteStatement statement(db.handle(), sql);
    statement.bindAll(params);
    statement.step();
}

}  // namespace

std::string hashPassword(const std::string& password)
{
    static std::random_device device;
    std::string salt;
    for (size_t i = 0; i < kSaltBytes; ++i)
        salt.push_back(static_cast<char>(device() & 0xff));
    return saltedDigest(salt, password);
}

bool passwordMatches(const std::optional<std::string>& stored, const std::string& password)
{
    if (!stored)
        return password.empty();
    if (stored->size() != 1 + kSaltBytes + 32 || (*stored)[0] != kHashFormat)
        return false;
    return saltedDigest(stored->substr(1, kSaltBytes), password) == *stored;
}

std::optional<std::string> bytesOfHexText(const std::string& text)
{
    if (text.size() < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X') ||
        text.size() % 2 != 0)
        return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string bytes;
    for (size_t i = 2; i < text.size(); i += 2) {
        int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

int Logins::add(const LoginDefinition& login)
{
    int suid = login.suid
                   ? *login.suid
                   : static_cast<int>(db_.queryInt("SELECT max(suid) + 1 FROM " + loginsTable()));
    std::string now = currentDateTimeText();
    run(db_,
        "INSERT INTO " + loginsTable() +
            " (suid, status, dbname, name, password, language, pwdate, fullname, crdate, "
            "crsuid, logincount) VALUES (?1, 0, ?2, ?3, ?4, ?5, ?6, ?7, ?6, ?8, 0)",
        {SqlValue::ofInt(suid),
         SqlValue::ofText(login.defaultDatabase.empty() ? "master" : login.defaultDatabase),
         SqlValue::ofText(login.name), hashValue(login.passwordHash),
         SqlValue::ofText(login.language.empty() ? "us_english" : login.language),
         SqlValue::ofText(now),
         login.fullName.empty() ? SqlValue::null() : SqlValue::ofText(login.fullName),
         SqlValue::ofInt(login.creatorSuid)});
    return suid;
}

void Logins::drop(int suid)
{
    std::vector<SqlValue> key = {SqlValue::ofInt(suid)};
    run(db_, "DELETE FROM " + loginsTable() + " WHERE suid = ?1", key);
    run(db_, "DELETE FROM " + loginRolesTable() + " WHERE suid = ?1", key);
    run(db_,
        "DELETE FROM " + attributesTable() + " WHERE class = " + std::to_string(kLoginPolicyClass) +
            " AND object = ?1",
        key);
}

bool Logins::passwordIs(const std::string& name, const std::string& password)
{
    StatementLease row = db_.cached("SELECT password FROM " + loginsTable() + " WHERE name = ?1");
    row->bind(1, SqlValue::ofText(name));
    if (!row->step())
        return false;
    std::optional<std::string> stored;
    if (!row->isNull(0))
        stored = row->textAt(0);
    return passwordMatches(stored, password);
}

bool Logins::logIn(const std::string& name, const std::string& password)
{
    int64_t suid = db_.queryInt("SELECT suid FROM " + loginsTable() + " WHERE name = ?1",
                                {SqlValue::ofText(name)}, 0);
    if (suid == 0 || db_.queryInt("SELECT status FROM " + loginsTable() + " WHERE suid = ?1",
                                  {SqlValue::ofInt(suid)}) &
                         kLoginLocked)
        return false;
    std::vector<SqlValue> key = {SqlValue::ofInt(suid)};
    if (!passwordIs(name, password)) {
        // Failed attempts count up; at the login's `max failed attempts` it is locked.
        run(db_, "UPDATE " + loginsTable() + " SET logincount = logincount + 1 WHERE suid = ?1",
            key);
        int64_t allowed =
            db_.queryInt("SELECT int_value FROM " + attributesTable() +
                             " WHERE class = " + std::to_string(kLoginPolicyClass) +
                             " AND attribute = " + std::to_string(kMaxFailedLoginsAttribute) +
                             " AND object = ?1",
                         key, 0);
        if (allowed > 0 &&
            db_.queryInt("SELECT logincount FROM " + loginsTable() + " WHERE suid = ?1", key) >=
                allowed) {
            run(db_,
                "UPDATE " + loginsTable() + " SET status = status | " +
                    std::to_string(kLoginLocked) + ", lockreason = " +
                    std::to_string(kLockedAfterFailedLogins) + ", lockdate = ?2 WHERE suid = ?1",
                {key[0], SqlValue::ofText(currentDateTimeText())});
        }
        return false;
    }
    run(db_, "UPDATE " + loginsTable() + " SET logincount = 0, lastlogindate = ?2 WHERE suid = ?1",
        {key[0], SqlValue::ofText(currentDateTimeText())});
    return true;
}

void Logins::setPassword(int suid, const std::string& hash)
{
    run(db_,
        "UPDATE " + loginsTable() + " SET password = ?2, pwdate = ?3, status = status & ~" +
            std::to_string(kLoginPasswordExpired) + " WHERE suid = ?1",
        {SqlValue::ofInt(suid), SqlValue::ofBlob(hash), SqlValue::ofText(currentDateTimeText())});
}

void Logins::setLocked(int suid, bool locked, int bySuid)
{
    std::string bit = std::to_string(kLoginLocked);
    if (locked) {
        run(db_,
            "UPDATE " + loginsTable() + " SET status = status | " + bit +
                ", locksuid = ?2, lockreason = ?3, lockdate = ?4 WHERE suid = ?1",
            {SqlValue::ofInt(suid), SqlValue::ofInt(bySuid),
             SqlValue::ofInt(kLockedByAdministrator), SqlValue::ofText(currentDateTimeText())});
    } else {
        run(db_,
            "UPDATE " + loginsTable() + " SET status = status & ~" + bit +
                ", locksuid = NULL, lockreason = NULL, lockdate = NULL WHERE suid = ?1",
            {SqlValue::ofInt(suid)});
    }
}

void Logins::setColumn(int suid, const std::string& column, const SqlValue& value)
{
    run(db_, "UPDATE " + loginsTable() + " SET " + sqlName(column) + " = ?2 WHERE suid = ?1",
        {SqlValue::ofInt(suid), value});
}

void Logins::setStatusBits(int suid, int clear, int set)
{
    run(db_, "UPDATE " + loginsTable() + " SET status = (status & ~?2) | ?3 WHERE suid = ?1",
        {SqlValue::ofInt(suid), SqlValue::ofInt(clear), SqlValue::ofInt(set)});
}

void Logins::setPasswordPolicy(int suid, int attribute, int value)
{
    std::vector<SqlValue> key = {SqlValue::ofInt(suid), SqlValue::ofInt(attribute)};
    std::string where = " WHERE class = " + std::to_string(kLoginPolicyClass) +
                        " AND attribute = ?2 AND object = ?1";
    run(db_, "DELETE FROM " + attributesTable() + where, key);
    run(db_,
        "INSERT INTO " + attributesTable() +
            " (class, attribute, object_type, object, int_value) VALUES (" +
            std::to_string(kLoginPolicyClass) + ", ?2, 'PS', ?1, ?3)",
        {SqlValue::ofInt(suid), SqlValue::ofInt(attribute), SqlValue::ofInt(value)});
}

int Logins::roleId(const std::string& name)
{
    return static_cast<int>(db_.queryInt("SELECT srid FROM " + rolesTable() + " WHERE name = ?1",
                                         {SqlValue::ofText(name)}, -1));
}

int Logins::createRole(const std::string& name, const std::optional<std::string>& passwordHash)
{
    int srid = static_cast<int>(
        db_.queryInt("SELECT max(srid) + 1 FROM " + rolesTable() + " WHERE srid >= ?1",
                     {SqlValue::ofInt(kFirstUserRoleId)}, kFirstUserRoleId));
    if (srid < kFirstUserRoleId)
        srid = kFirstUserRoleId;
    run(db_,
        "INSERT INTO " + rolesTable() +
            " (srid, name, password, pwdate, status, logincount) VALUES (?1, ?2, ?3, ?4, 0, 0)",
        {SqlValue::ofInt(srid), SqlValue::ofText(name), hashValue(passwordHash),
         passwordHash ? SqlValue::ofText(currentDateTimeText()) : SqlValue::null()});
    return srid;
}

void Logins::dropRole(int srid)
{
    std::vector<SqlValue> key = {SqlValue::ofInt(srid)};
    run(db_, "DELETE FROM " + rolesTable() + " WHERE srid = ?1", key);
    run(db_, "DELETE FROM " + loginRolesTable() + " WHERE srid = ?1", key);
    run(db_,
        "DELETE FROM " + attributesTable() + " WHERE class = " + std::to_string(kRoleClass) +
            " AND attribute = " + std::to_string(kRoleHierarchyAttribute) +
            " AND (object = ?1 OR object_info1 = ?1)",
        key);
}

void Logins::setRolePassword(int srid, const std::optional<std::string>& passwordHash)
{
    run(db_, "UPDATE " + rolesTable() + " SET password = ?2, pwdate = ?3 WHERE srid = ?1",
        {SqlValue::ofInt(srid), hashValue(passwordHash),
         passwordHash ? SqlValue::ofText(currentDateTimeText()) : SqlValue::null()});
}

void Logins::grantToLogin(int srid, int suid, int status)
{
    revokeFromLogin(srid, suid);
    run(db_, "INSERT INTO " + loginRolesTable() + " (suid, srid, status) VALUES (?1, ?2, ?3)",
        {SqlValue::ofInt(suid), SqlValue::ofInt(srid), SqlValue::ofInt(status)});
}

void Logins::revokeFromLogin(int srid, int suid)
{
    run(db_, "DELETE FROM " + loginRolesTable() + " WHERE suid = ?1 AND srid = ?2",
        {SqlValue::ofInt(suid), SqlValue::ofInt(srid)});
}

void Logins::setLoginRoleStatus(int srid, int suid, int status)
{
    run(db_, "UPDATE " + loginRolesTable() + " SET status = ?3 WHERE suid = ?1 AND srid = ?2",
        {SqlValue::ofInt(suid), SqlValue::ofInt(srid), SqlValue::ofInt(status)});
}

// Whether `outer` holds `inner`, directly or through roles granted to it.
bool Logins::roleContains(int outer, int inner)
{
    if (outer == inner)
        return true;
    return db_.queryInt(
               "WITH RECURSIVE held(srid) AS (SELECT ?1 UNION SELECT a.object_info1 "
               "FROM " +
                   attributesTable() +
                   " a JOIN held h ON a.object = h.srid WHERE "
                   "a.class = " +
                   std::to_string(kRoleClass) +
                   " AND a.attribute = " + std::to_string(kRoleHierarchyAttribute) +
                   ") SELECT count(*) FROM held WHERE srid = ?2",
               {SqlValue::ofInt(outer), SqlValue::ofInt(inner)}) > 0;
}

bool Logins::grantToRole(int granted, int grantee)
{
    if (roleContains(granted, grantee))
        return false;
    revokeFromRole(granted, grantee);
    std::string name;
    {
        SqliteStatement row(db_.handle(), "SELECT name FROM " + rolesTable() + " WHERE srid = ?1");
        row.bind(1, SqlValue::ofInt(granted));
        if (row.step())
            name = row.textAt(0);
    }
    run(db_,
        "INSERT INTO " + attributesTable() +
            " (class, attribute, object_type, object_cinfo, object, object_info1) VALUES (" +
            std::to_string(kRoleClass) + ", " + std::to_string(kRoleHierarchyAttribute) +
            ", 'RR', ?3, ?1, ?2)",
        {SqlValue::ofInt(grantee), SqlValue::ofInt(granted), SqlValue::ofText(name)});
    return true;
}

void Logins::revokeFromRole(int granted, int grantee)
{
    run(db_,
        "DELETE FROM " + attributesTable() + " WHERE class = " + std::to_string(kRoleClass) +
            " AND attribute = " + std::to_string(kRoleHierarchyAttribute) +
            " AND object = ?1 AND object_info1 = ?2",
        {SqlValue::ofInt(grantee), SqlValue::ofInt(granted)});
}

}  // namespace tdsim

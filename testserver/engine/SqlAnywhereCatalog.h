// The catalog of the SQL Anywhere persona: SQL Anywhere 9's system tables owned by SYS,
// derived from the Adaptive-Server-like tables the engine keeps, which stay in place as
// the product's Transact-SQL compatibility views (sysobjects, sysusers, syscomments...).
#pragma once

#include <string>

namespace tdsim {

class Catalog;

// The group that owns the system tables; unqualified names fall back to it.
inline const char* const kSqlAnywhereSysUser = "SYS";

// Adds SYS.SYSTABLE, SYSCOLUMN, SYSDOMAIN, SYSUSERTYPE, SYSINDEX, SYSIXCOL, SYSPROCEDURE and
// SYSPROCPARM to `database`, the SYS group, and drops the Adaptive Server role rows,
// which SQL Anywhere does not have.
void installSqlAnywhereCatalog(Catalog& catalog, const std::string& database);

}  // namespace tdsim

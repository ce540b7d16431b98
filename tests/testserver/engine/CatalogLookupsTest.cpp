// The catalog's own look-ups stay index searches, so that the catalog statements keep
// linear at the size of the largest databases (a scan per row is quadratic there).
#include <gtest/gtest.h>

#include <string>

#include "engine/ApplicationContexts.h"
#include "engine/Catalog.h"
#include "engine/Functions.h"
#include "engine/Sqlite.h"

namespace tdsim::test {
namespace {

class CatalogLookups : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerFunctions(catalog, contexts);
        catalog.bootstrap();
        catalog.createDatabase("big", 1);
    }

    // SQLite's plan of a statement, one step a line.
    std::string plan(const std::string& sql)
    {
        SqliteStatement statement(db.handle(), "EXPLAIN QUERY PLAN " + sql);
        std::string steps;
        while (statement.step())
            steps += statement.textAt(3) + "\n";
        return steps;
    }

    SqliteDatabase db;
    Catalog catalog{db, 2};
    ApplicationContexts contexts;
};

TEST_F(CatalogLookups, SysconstraintsIsSearchedByConstraintAndByTableAndColumn)
{
    const std::string sysconstraints = Catalog::systemTable("big", "sysconstraints");
    // A column's check, as the column statements look it up from syscolumns.domain.
    std::string byConstraint =
        plan("SELECT count(*) FROM " + sysconstraints + " sk WHERE sk.constrid = 16003088");
    EXPECT_NE(byConstraint.find("SEARCH"), std::string::npos) << byConstraint;
    EXPECT_EQ(byConstraint.find("SCAN"), std::string::npos) << byConstraint;
    std::string byColumn =
        plan("SELECT constrid FROM " + sysconstraints + " WHERE tableid = 16003088 AND colid = 2");
    EXPECT_NE(byColumn.find("(tableid=? AND colid=?)"), std::string::npos) << byColumn;
}

}  // namespace
}  // namespace tdsim::test

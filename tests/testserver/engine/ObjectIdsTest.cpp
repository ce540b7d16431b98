// Object ids as the catalog allots them, at the size of the largest databases.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/ApplicationContexts.h"
#include "engine/Catalog.h"
#include "engine/Functions.h"
#include "engine/Sqlite.h"

namespace tdsim::test {
namespace {

class ObjectIds : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerFunctions(catalog, contexts);
        catalog.bootstrap();
        catalog.createDatabase("big", 1);
    }

    // Records an allotted id as a table row (even calls) or as an index partition of the
    // table before it (odd calls), as creating tables with keys does.
    void record(int id, int call)
    {
        if (call % 2 == 0) {
            lastTable = id;
            catalog.insertRow(Catalog::systemTable("big", "sysobjects"),
                              {{"name", SqlValue::ofText("t" + std::to_string(call))},
                               {"id", SqlValue::ofInt(id)},
                               {"uid", SqlValue::ofInt(1)},
                               {"type", SqlValue::ofText("U ")}});
        } else {
            catalog.insertRow(Catalog::systemTable("big", "syspartitions"),
                              {{"name", SqlValue::ofText("p" + std::to_string(call))},
                               {"indid", SqlValue::ofInt(2)},
                               {"id", SqlValue::ofInt(lastTable)},
                               {"partitionid", SqlValue::ofInt(id)},
                               {"segment", SqlValue::ofInt(1)},
                               {"data_partitionid", SqlValue::ofInt(0)}});
        }
    }

    SqliteDatabase db;
    Catalog catalog{db, 2};
    ApplicationContexts contexts;
    int lastTable = 0;
};

// 210,000 ids (tables and their index partitions) are well past the 97,000 where an
// earlier allotment ran out of ints.
TEST_F(ObjectIds, StayPositiveAndDistinctPastTwoHundredThousand)
{
    constexpr int kIds = 210000;
    std::unordered_set<int> seen;
    db.exec("BEGIN");
    for (int call = 0; call < kIds; ++call) {
        int id = catalog.newObjectId("big");
        ASSERT_GT(id, 100) << "call " << call;  // above the system tables' fixed ids
        ASSERT_TRUE(seen.insert(id).second) << "id " << id << " given twice, call " << call;
        record(id, call);
    }
    db.exec("COMMIT");
}

TEST_F(ObjectIds, AreNotConsecutiveAndRepeatInANewDatabaseOfTheSameName)
{
    std::vector<int> first;
    for (int call = 0; call < 4; ++call) {
        first.push_back(catalog.newObjectId("big"));
        record(first.back(), call);
    }
    for (size_t i = 1; i < first.size(); ++i)
        EXPECT_GT(std::abs(first[i] - first[i - 1]), 1);
    catalog.dropDatabase("big");
    catalog.createDatabase("big", 1);
    for (int call = 0; call < 4; ++call) {
        int id = catalog.newObjectId("big");
        EXPECT_EQ(id, first[call]) << "call " << call;
        record(id, call);
    }
}

// An id is never handed out while a row holds it, even when the rows were written by
// other means than the allotment (a database made from model's objects).
TEST_F(ObjectIds, SkipIdsInUse)
{
    int expected = catalog.newObjectId("tempdb");
    catalog.dropDatabase("big");
    catalog.createDatabase("big", 1);
    record(expected, 0);
    EXPECT_NE(catalog.newObjectId("big"), expected);
}

}  // namespace
}  // namespace tdsim::test

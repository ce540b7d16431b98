// The explorer's databases, folders, objects and marks, driven without widgets.
#include "ExplorerModel.h"

#include <gtest/gtest.h>

namespace {

using MarkChange = TExplorerModel::MarkChange;

TExplorerModel twoDatabases()
{
    TExplorerModel model;
    model.setDatabases({"demo", "inventory"});
    model.setObjects(0, ObjectKind::Tables, {"dbo.orders", "mary.notes", ""});
    model.setObjects(0, ObjectKind::Indexes, {"orders.orders_id"});
    model.setObjects(1, ObjectKind::Users, {"bob"});
    return model;
}

TEST(ExplorerModel, ObjectsKnowTheirQualifierAndNameAndFoldersWhetherTheyWereOpened)
{
    const TExplorerModel model = twoDatabases();
    const TExplorerModel::Object& notes = model.folder(0, ObjectKind::Tables).objects[1];
    EXPECT_EQ(notes.qualifier, "mary");
    EXPECT_EQ(notes.name, "notes");
    EXPECT_EQ(model.folder(0, ObjectKind::Indexes).objects[0].qualifier, "orders");
    EXPECT_TRUE(model.folder(1, ObjectKind::Users).objects[0].qualifier.isEmpty());
    EXPECT_TRUE(model.folder(0, ObjectKind::Tables).loaded);
    EXPECT_FALSE(model.folder(0, ObjectKind::Views).loaded);
}

TEST(ExplorerModel, MarksCountAndComeOutInTheOrderShown)
{
    TExplorerModel model = twoDatabases();
    EXPECT_EQ(model.toggleMark(1, ObjectKind::Users, 0), 1);
    EXPECT_EQ(model.toggleMark(0, ObjectKind::Indexes, 0), 1);
    EXPECT_EQ(model.changeMarks(0, ObjectKind::Tables, MarkChange::Mark), 2);
    EXPECT_EQ(model.markedCount(), 4);
    const TMarkedObjectList marked = model.markedObjects();
    ASSERT_EQ(marked.size(), 4);
    EXPECT_EQ(marked[0], (TMarkedObject{"demo", ObjectKind::Tables, "dbo.orders"}));
    EXPECT_EQ(marked[1], (TMarkedObject{"demo", ObjectKind::Tables, "mary.notes"}));
    EXPECT_EQ(marked[2], (TMarkedObject{"demo", ObjectKind::Indexes, "orders.orders_id"}));
    EXPECT_EQ(marked[3], (TMarkedObject{"inventory", ObjectKind::Users, "bob"}));

    EXPECT_EQ(model.toggleMark(0, ObjectKind::Tables, 0), -1);
    EXPECT_EQ(model.changeMarks(0, ObjectKind::Tables, MarkChange::Invert), 0);  // one on, one off
    EXPECT_EQ(model.changeMarks(0, ObjectKind::Tables, MarkChange::Unmark), -1);
    EXPECT_EQ(model.markedCount(), 2);
}

TEST(ExplorerModel, ARowWithoutANameIsNeverScripted)
{
    TExplorerModel model = twoDatabases();
    EXPECT_EQ(model.changeMarks(0, ObjectKind::Tables, MarkChange::Mark), 2);
    model.toggleMark(0, ObjectKind::Tables, 2);
    EXPECT_EQ(model.markedObjects().size(), 2);
}

TEST(ExplorerModel, NewDatabasesOrAFolderReadAgainStartUnmarked)
{
    TExplorerModel model = twoDatabases();
    model.changeMarks(0, ObjectKind::Tables, MarkChange::Mark);
    model.setObjects(0, ObjectKind::Tables, {"dbo.orders"});
    EXPECT_EQ(model.markedCount(), 0);
    model.toggleMark(0, ObjectKind::Tables, 0);
    model.setDatabases({"demo"});
    EXPECT_EQ(model.markedCount(), 0);
    EXPECT_FALSE(model.folder(0, ObjectKind::Tables).loaded);
}

// The server's own node lists its objects apart from the databases: they belong to no
// database, and they count for none.
TEST(ExplorerModel, TheServersNodeComesFirstAndBelongsToNoDatabase)
{
    TExplorerModel model;
    model.setDatabases({"demo"}, "PROD");
    ASSERT_EQ(model.databases().size(), 2);
    EXPECT_TRUE(model.databases()[0].server);
    EXPECT_EQ(model.folderKinds(0).first(), ObjectKind::Logins);
    EXPECT_EQ(model.folderKinds(1).first(), ObjectKind::Users);
    model.setObjects(0, ObjectKind::Logins, {"alice", "bob"});
    model.setObjects(1, ObjectKind::Tables, {"dbo.orders", "dbo.items", "dbo.x"});
    model.toggleMark(0, ObjectKind::Logins, 1);
    model.toggleMark(1, ObjectKind::Tables, 0);
    EXPECT_EQ(model.markedObjects(),
              TMarkedObjectList(
                  {{"", ObjectKind::Logins, "bob"}, {"demo", ObjectKind::Tables, "dbo.orders"}}));
    EXPECT_EQ(model.listedObjectCounts(), (QHash<QString, int>{{"demo", 3}}));
}

}  // namespace

// Unified diffs of schema texts: hunks with three lines of context, changes close together
// in one hunk, far apart in two, and texts on one side only.
#include "SchemaCompare.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

namespace {
QStringList numbered(int count)
{
    QStringList lines;
    for (int n = 1; n <= count; ++n)
        lines << QStringLiteral("line %1").arg(n);
    return lines;
}
}  // namespace

TEST(SchemaCompare, FarChangesMakeTwoHunksAndNearOnesOne)
{
    const QStringList from = numbered(20);
    QStringList to = from;
    to[1] = "changed 2";
    to.removeAt(16);  // line 17
    EXPECT_EQ(unifiedDiff(from, to, "a", "b"),
              "--- a\n+++ b\n"
              "@@ -1,5 +1,5 @@\n line 1\n-line 2\n+changed 2\n line 3\n line 4\n line 5\n"
              "@@ -14,7 +14,6 @@\n line 14\n line 15\n line 16\n-line 17\n line 18\n line 19\n"
              " line 20\n");

    QStringList near = from;
    near[4] = "changed 5";
    near[9] = "changed 10";
    const QString diff = unifiedDiff(from, near, "a", "b");
    EXPECT_EQ(diff.count("@@ -"), 1) << qPrintable(diff);
    EXPECT_TRUE(diff.contains("@@ -2,12 +2,12 @@\n")) << qPrintable(diff);
}

TEST(SchemaCompare, DifferencesNameEachSide)
{
    const TSchemaTexts source{{"tables/dbo.a.sql", {"x"}}, {"views/dbo.v.sql", {"select 1"}}};
    const TSchemaTexts target{{"tables/dbo.b.sql", {"y"}}, {"views/dbo.v.sql", {"select 2"}}};
    const QList<TSchemaDifference> differences = compareSchemas(source, target, "s", "t");
    ASSERT_EQ(differences.size(), 3);
    EXPECT_EQ(differences[0].side, TSchemaDifference::Side::OnlyInSource);
    EXPECT_EQ(differences[0].name, "tables/dbo.a.sql");
    EXPECT_EQ(differences[1].side, TSchemaDifference::Side::Different);
    EXPECT_EQ(differences[1].diff,
              "--- t/views/dbo.v.sql\n+++ s/views/dbo.v.sql\n@@ -1,1 +1,1 @@\n"
              "-select 2\n+select 1\n");
    EXPECT_EQ(differences[2].side, TSchemaDifference::Side::OnlyInTarget);
    EXPECT_TRUE(compareSchemas(source, source, "s", "t").isEmpty());
}

// What a migration makes, drops and leaves out, by kind and by the choices made.
TEST(SchemaCompare, AMigrationReplacesCompiledObjectsAndDropsOnlyWhatItMay)
{
    using Side = TSchemaDifference::Side;
    const TMarkedObject view{"db", ObjectKind::Views, "dbo.v", "dbo"};
    const TMarkedObject table{"db", ObjectKind::Tables, "dbo.t", "dbo"};
    const TMarkedObject extra{"db", ObjectKind::Tables, "dbo.x", "dbo"};
    const TMarkedObject extraIndex{"db", ObjectKind::Indexes, "x.x_ix"};
    const QList<TSchemaDifference> differences{{Side::Different, "views/dbo.v.sql", {}},
                                               {Side::Different, "tables/dbo.t.sql", {}},
                                               {Side::OnlyInTarget, "tables/dbo.x.sql", {}},
                                               {Side::OnlyInTarget, "indexes/x.x_ix.sql", {}}};
    const QMap<QString, TMarkedObject> source{{"views/dbo.v.sql", view},
                                              {"tables/dbo.t.sql", table}};
    const QMap<QString, TMarkedObject> target{{"views/dbo.v.sql", view},
                                              {"tables/dbo.t.sql", table},
                                              {"tables/dbo.x.sql", extra},
                                              {"indexes/x.x_ix.sql", extraIndex}};

    TMigrationPlan plan = migrationPlan(differences, source, target, {true, false});
    EXPECT_EQ(plan.Create, TMarkedObjectList({view}));
    EXPECT_EQ(plan.Alter, TMarkedObjectList({table}));
    EXPECT_TRUE(plan.Drop.isEmpty());  // the table stays, and so does its index
    EXPECT_EQ(plan.LeftOut.size(), 2);

    plan = migrationPlan(differences, source, target, {true, true});
    EXPECT_EQ(plan.Drop, TMarkedObjectList({extra, extraIndex}));
    const QString drops = dropBatches(plan.Drop).join('\n');
    // The index before its table.
    EXPECT_LT(drops.indexOf("DROP INDEX x.x_ix"), drops.indexOf("DROP TABLE dbo.x"));
}

// Columns a table lacks are added where its rows can take them; the rest is named.
TEST(SchemaCompare, OnlyColumnsThatRowsCanTakeAreAdded)
{
    const auto column = [](const char* name, bool nullable, const char* defaultClause = "") {
        TCTColumnDef def;
        def.Name = QString::fromLatin1(name);
        def.TypeName = QStringLiteral("int");
        def.Length = 4;
        def.Nullable = nullable;
        def.DefaultClause = QString::fromLatin1(defaultClause);
        return def;
    };
    const std::vector<TCTColumnDef> source{column("id", false), column("note", true),
                                           column("flag", false, "default 0"),
                                           column("must", false), column("kind", true)};
    const std::vector<TCTColumnDef> target{column("id", false), column("kind", false),
                                           column("old", true)};
    QStringList leftOut;
    const QString statements = addedColumns("dbo.t", source, target, leftOut).join('\n');
    EXPECT_TRUE(statements.contains(QRegularExpression("^ALTER TABLE dbo.t ADD note +int +NULL\nGO",
                                                       QRegularExpression::MultilineOption)))
        << qPrintable(statements);
    EXPECT_TRUE(
        statements.contains(QRegularExpression("^ALTER TABLE dbo.t ADD flag +int +default 0 "
                                               "+NOT NULL\nGO",
                                               QRegularExpression::MultilineOption)))
        << qPrintable(statements);
    EXPECT_FALSE(statements.contains("must"));
    EXPECT_EQ(leftOut, QStringList({"dbo.t: column must is NOT NULL without a default; the rows "
                                    "there need a value",
                                    "dbo.t: column kind differs; changing it is not written",
                                    "dbo.t: column old is only in the target; dropping it is not "
                                    "written"}));
}

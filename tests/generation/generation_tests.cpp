#include "GrantComposer.h"
#include "MarkedObject.h"
#include "ObjectListing.h"
#include "ScriptGenerator.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

TCTProtect row(TProtectAction action, const QString& user,
               TProtectType type = TProtectType::ptGrant)
{
    TCTProtect protect;
    protect.Action = action;
    protect.UserName = user;
    protect.ProtectType = type;
    return protect;
}

TEST(GrantComposer, OneGranteeGivesOneLine)
{
    const TCTProtectList rows{row(TProtectAction::paSelect, "guest"),
                              row(TProtectAction::paUpdate, "guest")};
    EXPECT_EQ(composeGrantStatements(rows, "items", false),
              QStringList{"GRANT SELECT,UPDATE ON items TO guest"});
    EXPECT_EQ(
        composeGrantStatements({row(TProtectAction::paExecute, "public")}, "list_items", true),
        QStringList{"GRANT EXECUTE ON list_items TO public"});
}

TEST(GrantComposer, SeveralGranteesAndRevokesGetStatementsOfTheirOwn)
{
    const TCTProtectList rows{
        row(TProtectAction::paSelect, "public"),
        row(TProtectAction::paSelect, "clerks"),
        row(TProtectAction::paInsert, "clerks"),
        row(TProtectAction::paDelete, "mary", TProtectType::ptRevoke),
        row(TProtectAction::paUpdate, "boss", TProtectType::ptGrantWithGrant),
        row(TProtectAction::paInsert, "public"),
    };
    EXPECT_EQ(
        composeGrantStatements(rows, "orders", false),
        QStringList({"GRANT SELECT,INSERT ON orders TO public",
                     "GRANT SELECT,INSERT ON orders TO clerks", "REVOKE DELETE ON orders FROM mary",
                     "GRANT UPDATE ON orders TO boss WITH GRANT OPTION"}));
}

TEST(GrantComposer, UnscriptableRowsAreLeftOut)
{
    // EXECUTE only for text objects, REFERENCES only for tables; statement permissions
    // and vanished grantees never.
    const TCTProtectList rows{
        row(TProtectAction::paExecute, "guest"), row(TProtectAction::paReferences, "guest"),
        row(TProtectAction::paCreateTable, "guest"), row(TProtectAction::paSelect, ""),
        row(TProtectAction::paSelect, "guest", TProtectType::ptNone)};
    EXPECT_EQ(composeGrantStatements(rows, "t", false),
              QStringList{"GRANT REFERENCES ON t TO guest"});
    EXPECT_EQ(composeGrantStatements(rows, "p", true), QStringList{"GRANT EXECUTE ON p TO guest"});
    // A repeated action (column-level rows) is named once.
    EXPECT_EQ(
        composeGrantStatements(
            {row(TProtectAction::paUpdate, "u"), row(TProtectAction::paUpdate, "u")}, "t", false),
        QStringList{"GRANT UPDATE ON t TO u"});
}

TCTProtect onColumns(TProtectAction action, const QString& user, const QStringList& columns,
                     TProtectType type = TProtectType::ptGrant)
{
    TCTProtect protect = row(action, user, type);
    protect.ColumnNames = columns;
    return protect;
}

TEST(GrantComposer, ColumnLevelRowsNameTheirColumns)
{
    EXPECT_EQ(composeGrantStatements({onColumns(TProtectAction::paSelect, "john", {"name", "zip"})},
                                     "customers", false),
              QStringList{"GRANT SELECT (name,zip) ON customers TO john"});
    EXPECT_EQ(composeGrantStatements(
                  {onColumns(TProtectAction::paUpdate, "ann", {"zip"}, TProtectType::ptRevoke)},
                  "customers", false),
              QStringList{"REVOKE UPDATE (zip) ON customers FROM ann"});
    EXPECT_EQ(composeGrantStatements({onColumns(TProtectAction::paReferences, "boss", {"id"},
                                                TProtectType::ptGrantWithGrant)},
                                     "t", false),
              QStringList{"GRANT REFERENCES (id) ON t TO boss WITH GRANT OPTION"});
}

TEST(GrantComposer, RowsOnDifferentColumnsAreNotMerged)
{
    const TCTProtectList rows{
        onColumns(TProtectAction::paSelect, "john", {"a", "b"}),
        row(TProtectAction::paInsert, "john"),
        onColumns(TProtectAction::paUpdate, "john", {"b"}),
        onColumns(TProtectAction::paReferences, "john", {"a", "b"}),
        row(TProtectAction::paDelete, "john"),
    };
    EXPECT_EQ(composeGrantStatements(rows, "t", false),
              QStringList({"GRANT SELECT,REFERENCES (a,b) ON t TO john",
                           "GRANT INSERT,DELETE ON t TO john", "GRANT UPDATE (b) ON t TO john"}));
}

TEST(GrantComposer, ColumnsRevokedFromAWholeObjectGrantAreRevokedAfterTheGrants)
{
    TCTProtect hardened = row(TProtectAction::paSelect, "public");
    hardened.ColumnNames = {"uid", "type"};
    hardened.ExceptedColumns = {"name", "id"};
    TCTProtect withOption = row(TProtectAction::paUpdate, "boss", TProtectType::ptGrantWithGrant);
    withOption.ColumnNames = {"name"};
    withOption.ExceptedColumns = {"id", "uid", "type"};
    EXPECT_EQ(composeGrantStatements(
                  {hardened, withOption, row(TProtectAction::paInsert, "public")}, "t", false),
              QStringList({"GRANT SELECT,INSERT ON t TO public",
                           "GRANT UPDATE ON t TO boss WITH GRANT OPTION",
                           "REVOKE SELECT (name,id) ON t FROM public",
                           "REVOKE UPDATE (id,uid,type) ON t FROM boss"}));
}

// A privilege row on system table `id`.
TCTProtect onSystemTable(int id, const QString& table, const QString& user,
                         TProtectType type = TProtectType::ptGrant)
{
    TCTProtect protect = row(TProtectAction::paSelect, user, type);
    protect.Id = id;
    protect.ObjectName = table;
    protect.ActionCode = 193;
    protect.GrantorName = "dbo";
    return protect;
}

TEST(GrantComposer, SystemTablesDifferingFromANewDatabaseStartOverFromNoRows)
{
    const TCTProtectList carried{onSystemTable(1, "sysobjects", "public"),
                                 onSystemTable(3, "syscolumns", "public"),
                                 onSystemTable(9, "sysprotects", "public")};
    EXPECT_EQ(composeSystemTableStatements(carried, carried), QStringList());

    TCTProtect hardened = onSystemTable(1, "sysobjects", "public");
    hardened.ColumnNames = {"uid"};
    hardened.ExceptedColumns = {"name", "id"};
    const TCTProtectList own{hardened, onSystemTable(3, "syscolumns", "public"),
                             onSystemTable(9, "sysprotects", "readers"),
                             onSystemTable(9, "sysprotects", "bob", TProtectType::ptRevoke)};
    EXPECT_EQ(
        composeSystemTableStatements(own, carried),
        QStringList(
            {"REVOKE SELECT ON sysobjects FROM public", "GRANT SELECT ON sysobjects TO public",
             "REVOKE SELECT (name,id) ON sysobjects FROM public",
             "REVOKE SELECT ON sysprotects FROM public", "GRANT SELECT ON sysprotects TO readers",
             "REVOKE SELECT ON sysprotects FROM bob"}));
    // A table a new database grants nothing on, and one whose rows are all revoked.
    EXPECT_EQ(composeSystemTableStatements({onSystemTable(26, "systabstats", "public")}, {}),
              QStringList{"GRANT SELECT ON systabstats TO public"});
    EXPECT_EQ(composeSystemTableStatements({}, {onSystemTable(9, "sysprotects", "public")}),
              QStringList{"REVOKE SELECT ON sysprotects FROM public"});
}

TEST(MarkedObjects, CaptionsSplitAtTheFirstDot)
{
    EXPECT_EQ(ObjectNamePart("dbo.orders"), "orders");
    EXPECT_EQ(QualifierPart("dbo.orders"), "dbo");
    EXPECT_EQ(ObjectNamePart("items.items_ix"), "items_ix");
    EXPECT_EQ(ObjectNamePart("guest"), "guest");
    EXPECT_EQ(QualifierPart("guest"), "");
    EXPECT_EQ(ObjectNamePart("a.b.c"), "b.c");
}

// Owner "a.b"'s table "c" and owner "a"'s table "b.c" share a caption; the owner the
// listing gave tells them apart. Users, groups and datatypes are named by their whole
// caption.
TEST(MarkedObjects, TheOwnerGivenSplitsTheCaption)
{
    const TMarkedObject ownedByAB{"demo", ObjectKind::Tables, "a.b.c", "a.b"};
    EXPECT_EQ(QualifierPart(ownedByAB), "a.b");
    EXPECT_EQ(ObjectNamePart(ownedByAB), "c");
    const TMarkedObject ownedByA{"demo", ObjectKind::Tables, "a.b.c", "a"};
    EXPECT_EQ(QualifierPart(ownedByA), "a");
    EXPECT_EQ(ObjectNamePart(ownedByA), "b.c");
    EXPECT_FALSE(ownedByA == ownedByAB);
    const TMarkedObject user{"demo", ObjectKind::Users, "a.b"};
    EXPECT_EQ(QualifierPart(user), "");
    EXPECT_EQ(ObjectNamePart(user), "a.b");
}

// The server's version and name go into the header comment: no line break of theirs may
// start a line that reads as GO, and no "*/" may end the comment.
TEST(ScriptHeader, WhatTheServerGivesStaysInsideTheComment)
{
    TScriptHeader header;
    header.ServerName = "S*/x";
    header.ServerVersion = "1.0\ngo x\ncreate table pwned (a int)\ngo\n";
    header.GeneratedOn = "today\r\n/*";
    const QStringList lines = header.lines();
    EXPECT_EQ(lines.first(), "/*");
    EXPECT_EQ(lines.last(), "*/");
    for (const QString& line : lines.mid(1, lines.size() - 2)) {
        EXPECT_FALSE(line.contains('\n') || line.contains('\r')) << qPrintable(line);
        EXPECT_FALSE(line.contains("*/") || line.contains("/*")) << qPrintable(line);
    }
}

TEST(MarkedObjects, PrerequisitesComeFirstWithinEachDatabase)
{
    const TMarkedObjectList tree{
        {"demo", ObjectKind::Users, "mary"},   {"demo", ObjectKind::Groups, "clerks"},
        {"demo", ObjectKind::Tables, "dbo.a"}, {"demo", ObjectKind::Tables, "dbo.b"},
        {"demo", ObjectKind::Rules, "dbo.r"},  {"demo", ObjectKind::DataTypes, "ssn"},
        {"other", ObjectKind::Users, "joe"},   {"other", ObjectKind::Groups, "g"},
    };
    // Rules (and defaults) come before the datatypes and tables bound to them.
    const TMarkedObjectList expected{
        {"demo", ObjectKind::Groups, "clerks"}, {"demo", ObjectKind::Users, "mary"},
        {"demo", ObjectKind::Rules, "dbo.r"},   {"demo", ObjectKind::DataTypes, "ssn"},
        {"demo", ObjectKind::Tables, "dbo.a"},  {"demo", ObjectKind::Tables, "dbo.b"},
        {"other", ObjectKind::Groups, "g"},     {"other", ObjectKind::Users, "joe"},
    };
    EXPECT_EQ(inReplayOrder(tree), expected);
}

TEST(SeparateFileNames, CollisionsGetTheQualifierThenANumber)
{
    TScriptOptions options;
    QStringList used;
    EXPECT_EQ(TScriptGenerator::fileNameFor({"d", ObjectKind::Tables, "dbo.orders"}, options, used),
              "orders.tbl");
    EXPECT_EQ(
        TScriptGenerator::fileNameFor({"d", ObjectKind::Tables, "mary.orders"}, options, used),
        "mary.orders.tbl");
    EXPECT_EQ(
        TScriptGenerator::fileNameFor({"e", ObjectKind::Tables, "mary.orders"}, options, used),
        "mary.orders.2.tbl");
    EXPECT_EQ(TScriptGenerator::fileNameFor({"d", ObjectKind::Indexes, "items.ix"}, options, used),
              "ix.idx");
    EXPECT_EQ(TScriptGenerator::fileNameFor({"d", ObjectKind::Indexes, "orders.ix"}, options, used),
              "orders.ix.idx");
    EXPECT_EQ(TScriptGenerator::fileNameFor({"d", ObjectKind::Users, "guest"}, options, used),
              "guest.usr");
    EXPECT_EQ(TScriptGenerator::fileNameFor({"d", ObjectKind::Users, "guest"}, options, used),
              "guest.2.usr");
}

// A file name holds at most 255 bytes: long names are cut before their extension, never
// inside a character, and cut names that meet still get distinct files.
TEST(SeparateFileNames, LongNamesAreCutToTheFileSystemsLimit)
{
    TScriptOptions options;
    QStringList used;
    const QString ascii(300, QLatin1Char('a'));
    const QString accented(200, QChar(0x00e9));
    QStringList names;
    for (const QString& caption : {"dbo." + ascii, "dbo." + ascii + "b", "mary." + ascii,
                                   "dbo." + accented, "dbo." + accented + "x"}) {
        names << TScriptGenerator::fileNameFor({"d", ObjectKind::Tables, caption}, options, used);
    }
    for (const QString& name : names) {
        EXPECT_LE(name.toUtf8().size(), 255) << name.toStdString();
        EXPECT_TRUE(name.endsWith(".tbl")) << name.toStdString();
        EXPECT_FALSE(name.contains(QChar::ReplacementCharacter)) << name.toStdString();
        EXPECT_EQ(names.count(name), 1) << name.toStdString();
    }
    EXPECT_TRUE(names[3].startsWith(QString(120, QChar(0x00e9)))) << names[3].toStdString();
}

TEST(SeparateFileNames, NamesNeverLeaveTheDirectory)
{
    TScriptOptions options;
    options.extension(ObjectKind::Views) = "";
    QStringList used;
    EXPECT_EQ(
        TScriptGenerator::fileNameFor({"d", ObjectKind::Views, "dbo.../x/y\\z"}, options, used),
        ".._x_y_z.");
    EXPECT_EQ(
        TScriptGenerator::fileNameFor({"d", ObjectKind::Procedures, "dbo.a\tb"}, options, used),
        "a_b.prc");
    // A user's caption is its whole name.
    EXPECT_EQ(TScriptGenerator::fileNameFor({"d", ObjectKind::Users, ".."}, options, used),
              "__.usr");
}

TEST(ObjectListing, EveryKindHasAProgressTextOfItsOwnNamingTheDatabase)
{
    QStringList seen;
    for (ObjectKind kind : AllObjectKinds) {
        const QString text = objectListingProgressText(kind, "demo");
        EXPECT_TRUE(text.startsWith("Retrieving ")) << text.toStdString();
        EXPECT_TRUE(text.endsWith(" from demo")) << text.toStdString();
        EXPECT_FALSE(seen.contains(text)) << text.toStdString();
        seen << text;
    }
    EXPECT_EQ(objectListingProgressText(ObjectKind::Procedures, "demo"),
              "Retrieving stored procedures from demo");
}

TEST(ScriptFiles, EntriesWithLineBreaksBecomeLinesEndedByCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.sql");
    saveScriptLines(path, {"USE demo", "GO", "create proc p as\nselect 1\r\nselect 2", ""});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              QByteArray("USE demo\r\nGO\r\ncreate proc p as\r\nselect 1\r\nselect 2\r\n\r\n"));
}

}  // namespace

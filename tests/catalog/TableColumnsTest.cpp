// The fixed layout of CREATE TABLE column lines.
#include "Identifier.h"
#include "TableColumns.h"

#include <gtest/gtest.h>

namespace {

TCTColumnDef column(const QString& name, const QString& type, bool nullable)
{
    TCTColumnDef def;
    def.Name = name;
    def.TypeName = type;
    def.Nullable = nullable;
    return def;
}

// 1-based position of `part` in `line`, as the layout rules count.
qsizetype positionOf(const QString& line, const QString& part)
{
    return line.indexOf(part) + 1;
}

TEST(FormatColumn, TypeAtPosition32AndNullabilityAt61)
{
    TCTColumnDef price = column("price", "numeric", true);
    price.Prec = 10;
    price.Scale = 2;
    const QString line = formatColumnLine(price);
    EXPECT_TRUE(line.startsWith(" price "));
    EXPECT_EQ(positionOf(line, "numeric(10,2)"), 32);
    EXPECT_EQ(positionOf(line, "NULL"), 61);
    EXPECT_EQ(line.size(), 64);

    TCTColumnDef id = column("item_id", "varchar", false);
    id.Length = 6;
    const QString idLine = formatColumnLine(id);
    EXPECT_EQ(positionOf(idLine, "varchar(6)"), 32);
    EXPECT_EQ(idLine.mid(60), "NOT NULL");
}

QString typePart(const QString& type, int length)
{
    TCTColumnDef def = column("c", type, false);
    def.Length = length;
    return formatColumnLine(def).mid(31, 29).trimmed();
}

TEST(FormatColumn, BinaryTypesTakeTheirLengthInBytesUnicodeTypesInCharacters)
{
    EXPECT_EQ(typePart("binary", 8), "binary(8)");
    EXPECT_EQ(typePart("varbinary", 16), "varbinary(16)");
    // Two bytes of storage per character.
    EXPECT_EQ(typePart("unichar", 8), "unichar(4)");
    EXPECT_EQ(typePart("univarchar", 20), "univarchar(10)");
    // The bytes per character of nchar depend on the server's character set.
    EXPECT_EQ(typePart("nvarchar", 20), "nvarchar");
}

TEST(FormatColumn, LengthOnlyForSizedTypesPrecisionOnlyForNumericAndDecimal)
{
    TCTColumnDef nchar = column("code", "nchar", false);
    nchar.Length = 10;
    EXPECT_EQ(formatColumnLine(nchar).mid(31, 29).trimmed(), "nchar");
    TCTColumnDef user = column("zip", "zipcode", true);
    user.Length = 5;
    EXPECT_EQ(formatColumnLine(user).mid(31, 29).trimmed(), "zipcode");
    TCTColumnDef dec = column("rate", "decimal", false);
    dec.Prec = 18;
    dec.Scale = 0;
    EXPECT_EQ(formatColumnLine(dec).mid(31, 29).trimmed(), "decimal(18,0)");
    TCTColumnDef ch = column("flag", "char", false);
    ch.Length = 1;
    EXPECT_EQ(formatColumnLine(ch).mid(31, 29).trimmed(), "char(1)");
}

TEST(FormatColumn, IdentityFollowsTheTypeAfterOneBlank)
{
    TCTColumnDef id = column("cust_id", "numeric", false);
    id.Prec = 10;
    id.Identity = true;
    const QString line = formatColumnLine(id);
    EXPECT_EQ(line.mid(31), QString("numeric(10,0) identity").leftJustified(29) + "NOT NULL");
}

TEST(FormatColumn, NamesOfThirtyOrMoreCharactersAreKeptWholeAndFollowedByOneBlank)
{
    const QString thirty = "a_column_named_with_thirty_chr";
    ASSERT_EQ(thirty.size(), 30);
    EXPECT_TRUE(formatColumnLine(column(thirty, "int", false)).startsWith(" " + thirty + " int "));

    const QString longName = "a_column_name_well_beyond_the_thirty_character_limit";
    const QString line = formatColumnLine(column(longName, "int", true));
    EXPECT_TRUE(line.startsWith(" " + longName + " int "));
    EXPECT_EQ(line.mid(60), "NULL");  // the nullability keeps its column

    const QString longer = longName + "_and_further_still";
    EXPECT_EQ(formatColumnLine(column(longer, "int", false)), " " + longer + " int NOT NULL");
}

TEST(FormatColumn, TypeReachingPosition60GetsOneBlankBeforeNullability)
{
    TCTColumnDef wide = column("c", "a_user_type_named_twenty_nine", false);
    wide.Identity = true;
    const QString line = formatColumnLine(wide);
    EXPECT_TRUE(line.endsWith("a_user_type_named_twenty_nine identity NOT NULL"));
}

TEST(ScriptNames, OnlyRegularIdentifiersStayBare)
{
    EXPECT_EQ(scriptName("customers"), "customers");
    EXPECT_EQ(scriptName("_tmp$1"), "_tmp$1");
    EXPECT_EQ(scriptName("FIELD 737"), "\"FIELD 737\"");
    EXPECT_EQ(scriptName("select"), "\"select\"");
    EXPECT_EQ(scriptName("Select"), "\"Select\"");
    EXPECT_EQ(scriptName("1st"), "\"1st\"");
    EXPECT_EQ(scriptName("say\"when"), "\"say\"\"when\"");
}

TEST(DeclaredTypes, NullableStorageTypesAreWrittenAsTheirBaseType)
{
    EXPECT_EQ(declaredTypeName("intn", 2), "smallint");
    EXPECT_EQ(declaredTypeName("intn", 8), "bigint");
    EXPECT_EQ(declaredTypeName("floatn", 4), "real");
    EXPECT_EQ(declaredTypeName("datetimn", 8), "datetime");
    EXPECT_EQ(declaredTypeName("uint", 4), "unsigned int");
    EXPECT_EQ(declaredTypeName("ssn", 11), "ssn");
    TCTColumnDef nchar = column("n", "nchar", false);
    nchar.Length = 30;
    nchar.NCharSize = 3;
    EXPECT_TRUE(formatColumnLine(nchar).contains("nchar(10)"));
}

}  // namespace

// The tokenizer, the parser's syntax tree and the datetime text forms, in isolation.
#include <gtest/gtest.h>

#include "engine/DateTime.h"
#include "engine/Parser.h"

namespace tdsim {
namespace {

std::vector<TokenKind> kinds(const std::string& text, bool quotedIdentifier = false)
{
    std::vector<TokenKind> out;
    for (const Token& token : tokenize(text, quotedIdentifier))
        out.push_back(token.kind);
    return out;
}

TEST(Lexer, LiteralsIdentifiersAndOperators)
{
    auto tokens = tokenize(
        "select [a b], \"x\"\"y\", 'it''s', 0x1F, $-1.5, 2.5e3, 7, @v, @@spid, ?, a*=b", false);
    ASSERT_GE(tokens.size(), 24u);
    EXPECT_EQ(tokens[1].kind, TokenKind::Identifier);
    EXPECT_EQ(tokens[1].text, "a b");
    EXPECT_TRUE(tokens[1].delimited);
    EXPECT_EQ(tokens[3].kind, TokenKind::String);
    EXPECT_EQ(tokens[3].text, "x\"y");
    EXPECT_EQ(tokens[5].text, "it's");
    EXPECT_EQ(tokens[7].kind, TokenKind::Hex);
    EXPECT_EQ(tokens[7].text, "1F");
    EXPECT_EQ(tokens[9].kind, TokenKind::Money);
    EXPECT_EQ(tokens[9].text, "-1.5");
    EXPECT_EQ(tokens[11].kind, TokenKind::Float);
    EXPECT_EQ(tokens[13].kind, TokenKind::Integer);
    EXPECT_EQ(tokens[15].kind, TokenKind::Variable);
    EXPECT_EQ(tokens[17].kind, TokenKind::GlobalVariable);
    EXPECT_EQ(tokens[19].kind, TokenKind::Param);
    EXPECT_EQ(tokens[22].text, "*=");
    EXPECT_EQ(kinds("\"x\"", true)[0], TokenKind::Identifier);
}

TEST(Lexer, LinesCountAcrossCrLfAndComments)
{
    auto tokens = tokenize("select 1\r\n-- note\r\n/* a\r\n /* nested */ b */ select 2", false);
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[2].line, 4);
    EXPECT_EQ(tokens[3].text, "2");
    EXPECT_THROW(tokenize("select 'abc", false), LexError);
    EXPECT_THROW(tokenize("/* /* */", false), LexError);
    EXPECT_EQ(tokenize("''", false)[0].text, " ");  // an empty literal is one blank
}

TEST(Parser, SelectItemsAliasesAndAssignments)
{
    auto statements = parseBatch(
        "select Name = so.name, \"Identity\" = 1, x as y, z w, @v = 2, t.* from t", false);
    ASSERT_EQ(statements.size(), 1u);
    auto& select = *static_cast<SelectStatement&>(*statements[0]).select;
    ASSERT_EQ(select.items.size(), 6u);
    EXPECT_EQ(select.items[0].alias, "Name");
    EXPECT_EQ(select.items[0].expr->names, (std::vector<std::string>{"so", "name"}));
    EXPECT_EQ(select.items[1].alias, "Identity");
    EXPECT_EQ(select.items[2].alias, "y");
    EXPECT_EQ(select.items[3].alias, "w");
    EXPECT_EQ(select.items[4].assignVariable, "@v");
    EXPECT_TRUE(select.items[5].star);
    EXPECT_EQ(select.items[5].starQualifier, "t");
}

TEST(Parser, NamesOfOneTwoAndThreeParts)
{
    auto statements = parseBatch("select * from db..t1, db.o.t2, o.t3, t4 a", false);
    auto& from = static_cast<SelectStatement&>(*statements[0]).select->from;
    ASSERT_EQ(from.size(), 4u);
    EXPECT_EQ(from[0].name.database, "db");
    EXPECT_EQ(from[0].name.owner, "");
    EXPECT_EQ(from[1].name.owner, "o");
    EXPECT_EQ(from[2].name.owner, "o");
    EXPECT_EQ(from[2].name.database, "");
    EXPECT_EQ(from[3].alias, "a");
}

TEST(Parser, PrecedenceOfArithmeticComparisonAndLogic)
{
    auto statements = parseBatch("select 1 where a + b * c = d and not e = f or g & 8 = 8", false);
    const Expr& where = *static_cast<SelectStatement&>(*statements[0]).select->where;
    ASSERT_EQ(where.op, "or");
    EXPECT_EQ(where.args[0]->op, "and");
    const Expr& sum = *where.args[0]->args[0]->args[0];
    EXPECT_EQ(sum.op, "+");
    EXPECT_EQ(sum.args[1]->op, "*");
    EXPECT_EQ(where.args[0]->args[1]->op, "not");
    EXPECT_EQ(where.args[1]->op, "=");  // & binds tighter than =
    EXPECT_EQ(where.args[1]->args[0]->op, "&");
}

TEST(Parser, ProceduresTriggersAndTheirText)
{
    std::string batch =
        "create proc p;2 @a int = 5 output, @b varchar(10)\nas\nselect @a\nreturn 1\n";
    auto statements = parseBatch(batch, false);
    ASSERT_EQ(statements.size(), 1u);
    auto& proc = static_cast<CreateTextObjectStatement&>(*statements[0]);
    EXPECT_EQ(proc.objectType, "P");
    EXPECT_EQ(proc.groupNumber, 2);
    ASSERT_EQ(proc.parameters.size(), 2u);
    EXPECT_TRUE(proc.parameters[0].output);
    EXPECT_EQ(proc.parameters[1].type.length, 10);
    EXPECT_EQ(proc.body.size(), 2u);
    EXPECT_EQ(proc.text, batch);  // to the end of the batch, as sent

    auto trigger = parseBatch("create trigger tr on t for insert, delete as print 'x'", false);
    auto& tr = static_cast<CreateTextObjectStatement&>(*trigger[0]);
    EXPECT_TRUE(tr.forInsert);
    EXPECT_FALSE(tr.forUpdate);
    EXPECT_TRUE(tr.forDelete);
    EXPECT_EQ(tr.triggerTable.name, "t");
}

TEST(Parser, DdlOptionsAndPermissions)
{
    auto index = parseBatch(
        "create unique clustered index i on o.t (a desc, b) with ignore_dup_key, "
        "sorted_data on 'seg1'",
        false);
    auto& ci = static_cast<CreateIndexStatement&>(*index[0]);
    EXPECT_TRUE(ci.unique && ci.clustered && ci.ignoreDupKey && ci.sortedData);
    EXPECT_EQ(ci.keys[0], std::make_pair(std::string("a"), true));
    EXPECT_EQ(ci.segment, "seg1");
    auto grant =
        parseBatch("grant select (a, b), update on t to u1, public with grant option", false);
    auto& g = static_cast<GrantStatement&>(*grant[0]);
    EXPECT_EQ(g.actions, (std::vector<int>{193, 197}));
    EXPECT_EQ(g.columns, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(g.grantees, (std::vector<std::string>{"u1", "public"}));
    EXPECT_TRUE(g.withGrantOption);
    auto drop = parseBatch("drop index t.i", false);
    auto& d = static_cast<DropStatement&>(*drop[0]);
    EXPECT_EQ(d.names[0].owner, "t");
    EXPECT_EQ(d.names[0].name, "i");
    auto table = parseBatch(
        "create table t (a numeric(10) identity, b char default 'x' not null) on seg", false);
    auto& ct = static_cast<CreateTableStatement&>(*table[0]);
    EXPECT_TRUE(ct.columns[0].identity);
    EXPECT_EQ(ct.columns[0].type.precision, 10);
    EXPECT_EQ(ct.columns[1].defaultText, "default 'x'");
    EXPECT_EQ(ct.columns[1].nullability, ColumnDef::Nullability::NotNull);
    EXPECT_EQ(ct.segment, "seg");
}

TEST(Parser, ExecArgumentsAndStatementBoundaries)
{
    auto statements =
        parseBatch("sp_help t1\nexec @rc = db..p 'a', bare, @x = 3 output\nselect 1", false);
    ASSERT_EQ(statements.size(), 3u);
    auto& first = static_cast<ExecStatement&>(*statements[0]);
    EXPECT_EQ(first.procedure.name, "sp_help");
    EXPECT_EQ(first.arguments[0].value->text, "t1");  // a bare word is a string
    auto& second = static_cast<ExecStatement&>(*statements[1]);
    EXPECT_EQ(second.statusVariable, "@rc");
    EXPECT_EQ(second.procedure.database, "db");
    ASSERT_EQ(second.arguments.size(), 3u);
    EXPECT_EQ(second.arguments[1].value->kind, Expr::Kind::String);
    EXPECT_EQ(second.arguments[2].parameter, "@x");
    EXPECT_TRUE(second.arguments[2].output);
}

TEST(Parser, SyntaxErrorsNameTheToken)
{
    try {
        parseBatch("select a from t where", false);
        FAIL();
    } catch (const ParseError& error) {
        EXPECT_EQ(error.number, 156);
        EXPECT_EQ(error.text, "Incorrect syntax near the keyword 'where'.");
    }
    try {
        parseBatch("select 1\nselect (2", false);
        FAIL();
    } catch (const ParseError& error) {
        EXPECT_EQ(error.number, 102);
        EXPECT_EQ(error.line, 2);
    }
}

TEST(DateTimeText, ParsesTheServerFormats)
{
    auto text = [](const std::string& input) {
        auto time = parseDateTime(input);
        return time ? storedText(*time) : std::string("invalid");
    };
    EXPECT_EQ(text("2024-03-05"), "2024-03-05 00:00:00.000");
    EXPECT_EQ(text("2024-03-05 14:07:09.5"), "2024-03-05 14:07:09.500");
    EXPECT_EQ(text("20240305"), "2024-03-05 00:00:00.000");
    EXPECT_EQ(text("03/05/2024 2:07PM"), "2024-03-05 14:07:00.000");
    EXPECT_EQ(text("Mar  5 2024 12:07AM"), "2024-03-05 00:07:00.000");
    EXPECT_EQ(text("5 March 2024"), "2024-03-05 00:00:00.000");
    EXPECT_EQ(text("10:30"), "1900-01-01 10:30:00.000");
    EXPECT_EQ(text("2023-02-29"), "invalid");
    EXPECT_EQ(text("2024-02-29"), "2024-02-29 00:00:00.000");
    EXPECT_EQ(text("not a date"), "invalid");
}

TEST(DateTimeText, FormatsStylesAndWireValues)
{
    CivilTime time = *parseDateTime("2024-03-05 14:07:09.500");
    EXPECT_EQ(formatDateTime(time, 0), "Mar  5 2024  2:07PM");
    EXPECT_EQ(formatDateTime(time, 101), "03/05/2024");
    EXPECT_EQ(formatDateTime(time, 103), "05/03/2024");
    EXPECT_EQ(formatDateTime(time, 112), "20240305");
    EXPECT_EQ(formatDateTime(time, 108), "14:07:09");
    EXPECT_EQ(formatDateTime(time, 109), "Mar  5 2024  2:07:09:500PM");
    DateTimeValue wire = toWire(*parseDateTime("1900-01-02 00:00:01"));
    EXPECT_EQ(wire.days, 1);
    EXPECT_EQ(wire.ticks, 300u);
    EXPECT_EQ(toWire(*parseDateTime("1899-12-31")).days, -1);
}

}  // namespace
}  // namespace tdsim

#include "engine/Parser.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "engine/Text.h"

namespace tdsim {

std::string ObjectName::text() const
{
    if (!database.empty()) {
        return database + "." + owner + "." + name;
    }
    return owner.empty() ? name : owner + "." + name;
}

namespace {

// Words that end an expression or a table list and can never be an alias.
const std::set<std::string>& reservedWords()
{
    static const std::set<std::string> words = {
        "add",       "all",        "alter",      "and",          "any",       "as",
        "asc",       "begin",      "between",    "break",        "by",        "cascade",
        "case",      "check",      "checkpoint", "close",        "clustered", "commit",
        "compute",   "constraint", "continue",   "convert",      "create",    "cross",
        "cursor",    "dbcc",       "declare",    "default",      "delete",    "desc",
        "distinct",  "drop",       "dump",       "else",         "end",       "exec",
        "execute",   "exists",     "fetch",      "for",          "foreign",   "from",
        "full",      "goto",       "grant",      "group",        "having",    "holdlock",
        "identity",  "if",         "in",         "index",        "inner",     "insert",
        "intersect", "into",       "is",         "join",         "key",       "kill",
        "left",      "like",       "load",       "nonclustered", "not",       "null",
        "of",        "on",         "open",       "or",           "order",     "outer",
        "plan",      "primary",    "print",      "proc",         "procedure", "public",
        "raiserror", "readtext",   "references", "return",       "revoke",    "right",
        "rollback",  "rule",       "save",       "select",       "set",       "setuser",
        "shutdown",  "table",      "then",       "to",           "tran",      "transaction",
        "trigger",   "truncate",   "union",      "unique",       "update",    "use",
        "values",    "view",       "waitfor",    "when",         "where",     "while",
        "with",      "writetext"};
    return words;
}

// Nesting deeper than this is refused rather than risking the parser's stack.
constexpr int kMaxNesting = 200;

class Parser {
public:
    Parser(const std::string& batch, bool quotedIdentifier)
        : batch_(batch), tokens_(tokenize(batch, quotedIdentifier))
    {
    }

    std::vector<StatementPtr> parseAll()
    {
        std::vector<StatementPtr> statements;
        while (!atEnd()) {
            if (isOp(";")) {
                ++pos_;
                continue;
            }
            statements.push_back(parseStatement(statements.empty()));
        }
        checkGotoTargets();
        return statements;
    }

    TypeSpec parseTypeOnly()
    {
        TypeSpec typeSpec = parseType();
        if (!atEnd()) {
            fail();
        }
        return typeSpec;
    }

private:
    // ---- token helpers -------------------------------------------------------------
    const Token& cur() const { return tokens_[pos_]; }
    const Token& ahead(size_t n) const { return tokens_[std::min(pos_ + n, tokens_.size() - 1)]; }
    bool atEnd() const { return cur().kind == TokenKind::End; }
    bool isOp(const char* op) const
    {
        return cur().kind == TokenKind::Operator && cur().text == op;
    }
    static bool wordIs(const Token& t, const char* word)
    {
        return t.kind == TokenKind::Identifier && !t.delimited && equalsNoCase(t.text, word);
    }
    bool isWord(const char* word) const { return wordIs(cur(), word); }
    bool acceptWord(const char* word)
    {
        if (isWord(word)) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool acceptOp(const char* op)
    {
        if (isOp(op)) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expectWord(const char* word)
    {
        if (!acceptWord(word)) {
            fail();
        }
    }
    void expectOp(const char* op)
    {
        if (!acceptOp(op)) {
            fail();
        }
    }
    bool isReserved(const Token& t) const
    {
        return t.kind == TokenKind::Identifier && !t.delimited &&
               reservedWords().count(toLower(t.text)) > 0;
    }

    [[noreturn]] void fail() const
    {
        const Token& t = atEnd() && pos_ > 0 ? tokens_[pos_ - 1] : cur();
        if (isReserved(t)) {
            throw ParseError{156, "Incorrect syntax near the keyword '" + toLower(t.text) + "'.",
                             t.line};
        }
        std::string near = batch_.substr(t.begin, std::max<size_t>(t.end - t.begin, 1));
        if (t.kind == TokenKind::End) {
            near = "";
        }
        throw ParseError{102, "Incorrect syntax near '" + near + "'.", t.line};
    }

    std::string identifier()
    {
        if (cur().kind != TokenKind::Identifier || isReserved(cur())) {
            fail();
        }
        return tokens_[pos_++].text;
    }
    // Names of procedures, logins and the like may also be written as strings.
    std::string identifierOrString()
    {
        if (cur().kind == TokenKind::String) {
            return tokens_[pos_++].text;
        }
        return identifier();
    }
    bool atIdentifier() const { return cur().kind == TokenKind::Identifier && !isReserved(cur()); }

    // ---- statements ----------------------------------------------------------------
    StatementPtr parseStatement(bool firstInBatch)
    {
        DepthGuard guard(*this);
        const Token& start = cur();
        StatementPtr statement = parseStatementBody(firstInBatch);
        statement->begin = start.begin;
        statement->line = start.line;
        statement->end = tokens_[pos_ > 0 ? pos_ - 1 : 0].end;
        return statement;
    }

    StatementPtr parseStatementBody(bool firstInBatch)
    {
        if (atLabel()) {
            auto statement = std::make_shared<LabelStatement>();
            statement->name = tokens_[pos_].text;
            pos_ += 2;
            if (!labels_.insert(statement->name).second) {
                throw ParseError{132,
                                 "The label '" + statement->name +
                                     "' has already been declared. Label names must be unique "
                                     "within a query batch or stored procedure.",
                                 tokens_[pos_ - 2].line};
            }
            return statement;
        }
        if (StatementPtr flow = parseControlFlow()) {
            return flow;
        }
        if (isWord("select") || isOp("(")) {
            auto statement = std::make_shared<SelectStatement>();
            statement->select = parseSelectWithUnions();
            return statement;
        }
        if (acceptWord("insert"))
            return parseInsert();
        if (acceptWord("update"))
            return parseUpdate();
        if (acceptWord("delete"))
            return parseDelete();
        if (acceptWord("truncate")) {
            if (acceptWord("lob")) {
                // truncate lob @locator [(length)]: locators are not modelled.
                expectVariable();
                if (acceptOp("(")) {
                    parseExpr();
                    expectOp(")");
                }
                return std::make_shared<EmptyStatement>();
            }
            expectWord("table");
            auto statement = std::make_shared<TruncateStatement>();
            statement->table = parseObjectName();
            return statement;
        }
        if (acceptWord("use")) {
            auto statement = std::make_shared<UseStatement>();
            statement->database = identifier();
            return statement;
        }
        if (acceptWord("set"))
            return parseSet();
        if (acceptWord("print"))
            return parsePrint();
        if (acceptWord("raiserror"))
            return parseRaiserror();
        if (acceptWord("declare"))
            return parseDeclare();
        if (acceptWord("if"))
            return parseIf();
        if (acceptWord("while")) {
            auto statement = std::make_shared<WhileStatement>();
            statement->condition = parseExpr();
            statement->body = parseStatement(false);
            return statement;
        }
        if (isWord("begin"))
            return parseBeginOrTransaction();
        if (isWord("commit") || isWord("rollback") || isWord("save")) {
            auto statement = std::make_shared<TransactionStatement>();
            statement->verb = toLower(cur().text);
            ++pos_;
            if (acceptWord("tran") || acceptWord("transaction") || acceptWord("work"))
                skipTransactionName();
            return statement;
        }
        if (acceptWord("return")) {
            auto statement = std::make_shared<ReturnStatement>();
            if (startsExpression()) {
                statement->value = parseExpr();
            }
            return statement;
        }
        if (acceptWord("exec") || acceptWord("execute"))
            return parseExec();
        if (acceptWord("create"))
            return parseCreate();
        if (isWord("alter") && wordIs(ahead(1), "table")) {
            ++pos_;
            return parseAlterTable();
        }
        if (isWord("alter") && wordIs(ahead(1), "database")) {
            pos_ += 2;
            auto statement = std::make_shared<AlterDatabaseStatement>();
            parseDatabaseSpace(*statement);
            return statement;
        }
        if (isWord("alter") && (wordIs(ahead(1), "login") || wordIs(ahead(1), "role"))) {
            ++pos_;
            return parseAlterPrincipal();
        }
        if (isWord("disk") && (wordIs(ahead(1), "init") || wordIs(ahead(1), "resize"))) {
            ++pos_;
            return parseDisk();
        }
        if (acceptWord("drop"))
            return parseDrop();
        if (isWord("grant") || isWord("revoke"))
            return parseGrant();
        if (isWord("dump") && (wordIs(ahead(1), "tran") || wordIs(ahead(1), "transaction")))
            return parseDumpTransaction();
        if (acceptWord("dbcc"))
            return parseDbcc();
        if (firstInBatch && atIdentifier()) {
            // A batch may start with a bare procedure name.
            return parseExec();
        }
        fail();
    }

    // The optional name after tran/transaction; a name followed by a colon is the
    // label of the next statement.
    void skipTransactionName()
    {
        if (atIdentifier() && !atLabel())
            ++pos_;
    }

    // dump tran[saction] db [to device] [with truncate_only | no_log | ...]
    StatementPtr parseDumpTransaction()
    {
        pos_ += 2;
        auto statement = std::make_shared<DumpTransactionStatement>();
        statement->database = identifier();
        skipToStatementEnd();
        return statement;
    }

    // dbcc command [(arguments)] [with option [, option]]: trace flags, checks, monitors
    // and statistics change nothing here. The arguments are names, numbers, strings or
    // expressions, as the command wants.
    StatementPtr parseDbcc()
    {
        identifierAllowReserved();
        if (acceptOp("(")) {
            if (!isOp(")")) {
                do {
                    parseExpr();
                } while (acceptOp(","));
            }
            expectOp(")");
        }
        if (acceptWord("with")) {
            do {
                identifierAllowReserved();
                if (acceptOp("="))
                    parseExpr();
            } while (acceptOp(","));
        }
        return std::make_shared<EmptyStatement>();
    }

    void expectVariable()
    {
        if (cur().kind != TokenKind::Variable)
            fail();
        ++pos_;
    }

    bool atLabel() const
    {
        return cur().kind == TokenKind::Identifier && !cur().delimited &&
               ahead(1).kind == TokenKind::Operator && ahead(1).text == ":";
    }

    // GOTO, BREAK/CONTINUE, cursor commands, SETUSER and CHECKPOINT; null for others.
    StatementPtr parseControlFlow()
    {
        if (acceptWord("goto")) {
            auto statement = std::make_shared<GotoStatement>();
            gotos_.emplace_back(identifier(), cur().line);
            statement->label = gotos_.back().first;
            return statement;
        }
        if (acceptWord("break"))
            return std::make_shared<LoopControlStatement>(Statement::Kind::Break);
        if (acceptWord("continue"))
            return std::make_shared<LoopControlStatement>(Statement::Kind::Continue);
        using Verb = CursorCommandStatement::Verb;
        if (isWord("open") || isWord("close") || isWord("deallocate")) {
            Verb verb = isWord("open")    ? Verb::Open
                        : isWord("close") ? Verb::Close
                                          : Verb::Deallocate;
            ++pos_;
            if (verb == Verb::Deallocate && acceptWord("locator")) {
                expectVariable();  // locators are not modelled
                return std::make_shared<EmptyStatement>();
            }
            if (verb == Verb::Deallocate)
                acceptWord("cursor");
            auto statement = std::make_shared<CursorCommandStatement>(verb);
            statement->name = identifier();
            return statement;
        }
        if (acceptWord("fetch")) {
            auto statement = std::make_shared<FetchStatement>();
            acceptWord("next");
            acceptWord("from");
            statement->cursor = identifier();
            if (acceptWord("into")) {
                do {
                    if (cur().kind != TokenKind::Variable)
                        fail();
                    statement->into.push_back(tokens_[pos_++].text);
                } while (acceptOp(","));
            }
            return statement;
        }
        if (acceptWord("setuser")) {
            auto statement = std::make_shared<SetuserStatement>();
            if (cur().kind == TokenKind::String ||
                (cur().kind == TokenKind::Identifier && cur().delimited)) {
                statement->user = tokens_[pos_++].text;
            }
            return statement;
        }
        if (acceptWord("checkpoint")) {
            // checkpoint [all | db [, db ...]]: nothing to write back in memory.
            while (atIdentifier() || isOp(",") || isWord("all"))
                ++pos_;
            return std::make_shared<EmptyStatement>();
        }
        if (acceptWord("waitfor")) {
            // waitfor {delay | time} 'hh:mm:ss' | errorexit | processexit | mirrorexit:
            // a test server has nothing to wait for, so it returns at once.
            if (acceptWord("delay") || acceptWord("time"))
                parseExpr();
            else if (!acceptWord("errorexit") && !acceptWord("processexit"))
                expectWord("mirrorexit");
            return std::make_shared<EmptyStatement>();
        }
        return nullptr;
    }

    // Every GOTO of a batch or procedure names a label of the same batch or procedure.
    void checkGotoTargets() const
    {
        for (const auto& [label, line] : gotos_) {
            if (!labels_.count(label)) {
                throw ParseError{133,
                                 "A GOTO statement references the label '" + label +
                                     "' but the label has not been declared.",
                                 line};
            }
        }
    }

    // Whether the current token can start an expression (used after RETURN).
    bool startsExpression() const
    {
        switch (cur().kind) {
            case TokenKind::Integer:
            case TokenKind::Decimal:
            case TokenKind::Float:
            case TokenKind::String:
            case TokenKind::Variable:
            case TokenKind::GlobalVariable:
            case TokenKind::Hex:
            case TokenKind::Money:
                return true;
            case TokenKind::Operator:
                return cur().text == "(" || cur().text == "-";
            default:
                return false;
        }
    }

    StatementPtr parseBeginOrTransaction()
    {
        expectWord("begin");
        if (acceptWord("tran") || acceptWord("transaction")) {
            auto statement = std::make_shared<TransactionStatement>();
            statement->verb = "begin";
            skipTransactionName();
            return statement;
        }
        auto block = std::make_shared<BlockStatement>();
        while (!isWord("end")) {
            if (atEnd()) {
                fail();
            }
            if (acceptOp(";")) {
                continue;
            }
            block->statements.push_back(parseStatement(false));
        }
        expectWord("end");
        return block;
    }

    StatementPtr parseIf()
    {
        auto statement = std::make_shared<IfStatement>();
        statement->condition = parseExpr();
        statement->then = parseStatement(false);
        acceptOp(";");
        if (acceptWord("else")) {
            statement->otherwise = parseStatement(false);
        }
        return statement;
    }

    // set @v = expression [, @w = expression]: assignments, as select @v = expression.
    StatementPtr parseSetVariables()
    {
        auto statement = std::make_shared<SelectStatement>();
        statement->select = std::make_shared<SelectStmt>();
        do {
            if (cur().kind != TokenKind::Variable)
                fail();
            SelectItem item;
            item.assignVariable = tokens_[pos_++].text;
            expectOp("=");
            item.expr = parseExpr();
            statement->select->items.push_back(std::move(item));
        } while (acceptOp(","));
        return statement;
    }

    StatementPtr parseSet()
    {
        if (cur().kind == TokenKind::Variable)
            return parseSetVariables();
        auto statement = std::make_shared<SetStatement>();
        for (;;) {
            statement->options.push_back(toLower(identifierAllowReserved()));
            if (!acceptOp(",")) {
                break;
            }
        }
        // Two-word options: "transaction isolation level 1", "statistics io on".
        while (cur().kind == TokenKind::Identifier && !isWord("on") && !isWord("off")) {
            statement->options.back() += " " + toLower(tokens_[pos_++].text);
        }
        if (cur().kind == TokenKind::Variable) {
            statement->expr = parseExpr();
        } else if (isWord("on") || isWord("off")) {
            statement->value = toLower(tokens_[pos_++].text);
        } else if (cur().kind == TokenKind::Integer || cur().kind == TokenKind::String) {
            statement->value = tokens_[pos_++].text;
        } else if (isOp("-") && ahead(1).kind == TokenKind::Integer) {
            ++pos_;
            statement->value = "-" + tokens_[pos_++].text;
        }
        return statement;
    }

    std::string identifierAllowReserved()
    {
        if (cur().kind != TokenKind::Identifier) {
            fail();
        }
        return tokens_[pos_++].text;
    }

    StatementPtr parsePrint()
    {
        auto statement = std::make_shared<PrintStatement>();
        statement->message = parseExpr();
        while (acceptOp(",")) {
            statement->args.push_back(parseExpr());
        }
        return statement;
    }

    StatementPtr parseRaiserror()
    {
        auto statement = std::make_shared<RaiserrorStatement>();
        statement->number = parseExpr();
        if (acceptOp(",") || cur().kind == TokenKind::String || cur().kind == TokenKind::Variable) {
            statement->message = parseExpr();
        }
        while (acceptOp(",")) {
            statement->args.push_back(parseExpr());
        }
        return statement;
    }

    StatementPtr parseDeclare()
    {
        if (cur().kind == TokenKind::Identifier) {
            return parseDeclareCursor();
        }
        auto statement = std::make_shared<DeclareStatement>();
        do {
            if (cur().kind != TokenKind::Variable) {
                fail();
            }
            std::string name = tokens_[pos_++].text;
            statement->variables.emplace_back(name, parseType());
        } while (acceptOp(","));
        return statement;
    }

    StatementPtr parseDeclareCursor()
    {
        auto statement = std::make_shared<DeclareCursorStatement>();
        statement->name = identifier();
        // Sensitivity and scrolling words are accepted; every cursor reads forward.
        while (isWord("semi_sensitive") || isWord("insensitive") || isWord("scroll") ||
               isWord("no") || isWord("release_locks_on_close")) {
            ++pos_;
        }
        expectWord("cursor");
        expectWord("for");
        statement->select = parseSelectWithUnions();
        if (acceptWord("for")) {
            if (acceptWord("read")) {
                expectWord("only");
            } else {
                expectWord("update");
                statement->forUpdate = true;
                if (acceptWord("of")) {
                    do {
                        statement->updateColumns.push_back(identifier());
                    } while (acceptOp(","));
                }
            }
        }
        return statement;
    }

    // where current of <cursor>: returns the cursor name, or empty for a plain WHERE.
    std::string acceptCurrentOf()
    {
        if (isWord("current") && wordIs(ahead(1), "of")) {
            pos_ += 2;
            return identifier();
        }
        return "";
    }

    StatementPtr parseInsert()
    {
        auto statement = std::make_shared<InsertStatement>();
        acceptWord("into");
        statement->table = parseObjectName();
        if (isOp("(") && !(wordIs(ahead(1), "select"))) {
            expectOp("(");
            do {
                statement->columns.push_back(identifier());
            } while (acceptOp(","));
            expectOp(")");
        }
        if (acceptWord("values")) {
            do {
                expectOp("(");
                std::vector<ExprPtr> row;
                do {
                    row.push_back(parseExpr());
                } while (acceptOp(","));
                expectOp(")");
                statement->rows.push_back(std::move(row));
            } while (acceptOp(","));
        } else if (isWord("select") || isOp("(")) {
            statement->select = parseSelectWithUnions();
        } else {
            fail();
        }
        return statement;
    }

    StatementPtr parseUpdate()
    {
        auto statement = std::make_shared<UpdateStatement>();
        statement->table = parseObjectName();
        expectWord("set");
        do {
            std::string column = identifier();
            while (acceptOp(".")) {
                column = identifier();  // alias.column: keep the column
            }
            expectOp("=");
            statement->assignments.emplace_back(column, parseExpr());
        } while (acceptOp(","));
        if (acceptWord("from")) {
            statement->from = parseFromList();
        }
        if (acceptWord("where")) {
            statement->currentOf = acceptCurrentOf();
            if (statement->currentOf.empty())
                statement->where = parseExpr();
        }
        return statement;
    }

    StatementPtr parseDelete()
    {
        auto statement = std::make_shared<DeleteStatement>();
        acceptWord("from");
        statement->table = parseObjectName();
        if (acceptWord("from")) {
            statement->from = parseFromList();
        }
        if (acceptWord("where")) {
            statement->currentOf = acceptCurrentOf();
            if (statement->currentOf.empty())
                statement->where = parseExpr();
        }
        return statement;
    }

    StatementPtr parseExec()
    {
        auto statement = std::make_shared<ExecStatement>();
        if (cur().kind == TokenKind::Variable && ahead(1).kind == TokenKind::Operator &&
            ahead(1).text == "=") {
            statement->statusVariable = tokens_[pos_].text;
            pos_ += 2;
        }
        if (isOp("(")) {
            statement->sqlText = parseExpr();
            return statement;
        }
        if (cur().kind == TokenKind::Variable) {
            statement->procedureVariable = tokens_[pos_++].text;
        } else if (cur().kind == TokenKind::String) {
            statement->procedure.name = tokens_[pos_++].text;
        } else {
            statement->procedure = parseObjectName();
        }
        if (acceptOp(";")) {
            statement->groupNumber = smallInteger();
        }
        if (atEnd() || startsStatement()) {
            return statement;
        }
        do {
            ExecArgument argument;
            if (cur().kind == TokenKind::Variable && ahead(1).kind == TokenKind::Operator &&
                ahead(1).text == "=") {
                argument.parameter = tokens_[pos_].text;
                pos_ += 2;
            }
            argument.value = parseExecValue();
            if (acceptWord("output") || acceptWord("out")) {
                argument.output = true;
            }
            statement->arguments.push_back(std::move(argument));
        } while (acceptOp(","));
        return statement;
    }

    // Procedure arguments may be bare words (sp_help mytable), which count as strings.
    ExprPtr parseExecValue()
    {
        if (cur().kind == TokenKind::Identifier && !isWord("null") && !isWord("default")) {
            auto expr = std::make_shared<Expr>();
            expr->kind = Expr::Kind::String;
            expr->pos = cur().begin;
            expr->text = tokens_[pos_++].text;
            // db.owner.object written without quotes
            while (isOp(".")) {
                ++pos_;
                expr->text += ".";
                if (cur().kind == TokenKind::Identifier) {
                    expr->text += tokens_[pos_++].text;
                }
            }
            return expr;
        }
        if (acceptWord("default")) {
            return nullptr;
        }
        return parseExpr();
    }

    bool startsStatement() const
    {
        static const char* const starters[] = {
            "select",  "insert",   "update",     "delete",  "use",        "set",      "print",
            "declare", "if",       "while",      "begin",   "end",        "return",   "exec",
            "execute", "create",   "drop",       "grant",   "revoke",     "commit",   "rollback",
            "else",    "truncate", "raiserror",  "goto",    "break",      "continue", "open",
            "close",   "fetch",    "deallocate", "setuser", "checkpoint", "waitfor",  "alter",
            "dump",    "dbcc"};
        for (const char* word : starters) {
            if (isWord(word)) {
                return true;
            }
        }
        return isOp(";") || atLabel();
    }

    // An integer that must fit an int (lengths, group numbers, TOP).
    int toSmallInteger(const std::string& text) const
    {
        if (text.size() > 9) {
            throw ParseError{102, "Incorrect syntax near '" + text + "'.", cur().line};
        }
        return std::atoi(text.c_str());
    }
    int smallInteger() { return toSmallInteger(expectInteger()); }

    std::string expectInteger()
    {
        if (cur().kind != TokenKind::Integer) {
            fail();
        }
        return tokens_[pos_++].text;
    }

    // ---- DDL -----------------------------------------------------------------------
    StatementPtr parseCreate()
    {
        size_t createBegin = tokens_[pos_ - 1].begin;
        if (acceptWord("database")) {
            auto statement = std::make_shared<CreateDatabaseStatement>();
            parseDatabaseSpace(*statement);
            return statement;
        }
        if (acceptWord("table"))
            return parseCreateTable();
        if (acceptWord("login"))
            return parseCreateLogin();
        if (acceptWord("role"))
            return parseCreateRole();
        bool unique = false, clustered = false;
        bool sawIndexWord = false;
        while (isWord("unique") || isWord("clustered") || isWord("nonclustered")) {
            if (isWord("unique"))
                unique = true;
            if (isWord("clustered"))
                clustered = true;
            ++pos_;
            sawIndexWord = true;
        }
        if (acceptWord("index"))
            return parseCreateIndex(unique, clustered);
        if (sawIndexWord)
            fail();
        auto statement = std::make_shared<CreateTextObjectStatement>();
        if (acceptWord("view")) {
            statement->objectType = "V";
            statement->name = parseObjectName();
            if (acceptOp("(")) {
                do {
                    statement->viewColumns.push_back(identifier());
                } while (acceptOp(","));
                expectOp(")");
            }
            expectWord("as");
            // A view's select takes no ORDER BY, COMPUTE or INTO: the server's grammar
            // for views has none of them, so they are syntax errors there.
            viewDefinition_ = true;
            statement->view = parseSelectWithUnions();
            viewDefinition_ = false;
        } else if (acceptWord("procedure") || acceptWord("proc")) {
            statement->objectType = "P";
            parseProcedure(*statement);
        } else if (acceptWord("function")) {
            statement->objectType = "SF";
            parseFunction(*statement);
        } else if (acceptWord("trigger")) {
            statement->objectType = "TR";
            parseTrigger(*statement);
        } else if (acceptWord("rule")) {
            statement->objectType = "R";
            statement->name = parseObjectName();
            expectWord("as");
            statement->expression = parseExpr();
        } else if (acceptWord("default")) {
            statement->objectType = "D";
            statement->name = parseObjectName();
            expectWord("as");
            statement->expression = parseExpr();
        } else {
            fail();
        }
        bool bodyToEnd = statement->objectType == "P" || statement->objectType == "TR" ||
                         statement->objectType == "SF";
        size_t textEnd = bodyToEnd ? batch_.size() : tokens_[pos_ - 1].end;
        statement->text = batch_.substr(createBegin, textEnd - createBegin);
        return statement;
    }

    void parseProcedure(CreateTextObjectStatement& statement)
    {
        statement.name = parseObjectName();
        if (acceptOp(";")) {
            statement.groupNumber = smallInteger();
        }
        parseParameters(statement);
        if (acceptWord("with")) {
            if (acceptWord("execute")) {
                expectWord("as");
                if (acceptWord("owner"))
                    statement.executeAs = CreateTextObjectStatement::ExecuteAs::Owner;
                else if (acceptWord("caller"))
                    statement.executeAs = CreateTextObjectStatement::ExecuteAs::Caller;
                else
                    fail();
            } else {
                expectWord("recompile");
            }
        }
        expectWord("as");
        parseBodyToEnd(statement);
    }

    // create function name ([@p type [= default]] ...) returns type [with recompile] as body
    void parseFunction(CreateTextObjectStatement& statement)
    {
        statement.name = parseObjectName();
        parseParameters(statement);
        expectWord("returns");
        statement.returnType = parseType();
        if (acceptWord("with")) {
            identifier();  // with recompile
        }
        expectWord("as");
        parseBodyToEnd(statement);
    }

    void parseParameters(CreateTextObjectStatement& statement)
    {
        bool parenthesized = acceptOp("(");
        while (cur().kind == TokenKind::Variable) {
            ProcedureParameter parameter;
            parameter.name = tokens_[pos_++].text;
            parameter.type = parseType();
            if (acceptOp("=")) {
                parameter.defaultValue = parseParameterDefault();
            }
            if (acceptWord("output") || acceptWord("out")) {
                parameter.output = true;
            }
            statement.parameters.push_back(std::move(parameter));
            if (!acceptOp(",")) {
                break;
            }
        }
        if (parenthesized) {
            expectOp(")");
        }
    }

    // A parameter's default is a constant; a number may carry a sign.
    ExprPtr parseParameterDefault()
    {
        bool signedNumber =
            (isOp("-") || isOp("+")) &&
            (ahead(1).kind == TokenKind::Integer || ahead(1).kind == TokenKind::Decimal ||
             ahead(1).kind == TokenKind::Float || ahead(1).kind == TokenKind::Money);
        if (!signedNumber)
            return parsePrimary();
        bool negative = tokens_[pos_++].text == "-";
        ExprPtr number = parsePrimary();
        if (!negative)
            return number;
        auto negation = std::make_shared<Expr>();
        negation->kind = Expr::Kind::Unary;
        negation->op = "-";
        negation->pos = number->pos;
        negation->args.push_back(number);
        return negation;
    }

    void parseTrigger(CreateTextObjectStatement& statement)
    {
        statement.name = parseObjectName();
        expectWord("on");
        statement.triggerTable = parseObjectName();
        if (isWord("instead") && wordIs(ahead(1), "of")) {
            pos_ += 2;
            statement.insteadOf = true;
        } else {
            expectWord("for");
        }
        do {
            if (acceptWord("insert")) {
                statement.forInsert = true;
            } else if (acceptWord("update")) {
                statement.forUpdate = true;
            } else if (acceptWord("delete")) {
                statement.forDelete = true;
            } else {
                fail();
            }
        } while (acceptOp(","));
        expectWord("as");
        parseBodyToEnd(statement);
    }

    // A procedure or trigger body runs to the end of the batch.
    void parseBodyToEnd(CreateTextObjectStatement& statement)
    {
        // Labels belong to the procedure or trigger, not to the batch that creates it.
        std::set<std::string> outerLabels;
        std::vector<std::pair<std::string, int>> outerGotos;
        std::swap(labels_, outerLabels);
        std::swap(gotos_, outerGotos);
        while (!atEnd()) {
            if (acceptOp(";")) {
                continue;
            }
            statement.body.push_back(parseStatement(false));
        }
        checkGotoTargets();
        std::swap(labels_, outerLabels);
        std::swap(gotos_, outerGotos);
    }

    StatementPtr parseCreateTable()
    {
        auto statement = std::make_shared<CreateTableStatement>();
        statement->table = parseObjectName();
        expectOp("(");
        do {
            if (isOp(")") && !statement->columns.empty())
                break;  // the server tolerates a comma before the closing parenthesis
            if (startsTableConstraint()) {
                statement->constraints.push_back(parseConstraint(nullptr));
            } else {
                statement->columns.push_back(parseColumnDef());
            }
        } while (acceptOp(","));
        expectOp(")");
        if (acceptWord("lock")) {
            statement->lockScheme = parseLockScheme();
        }
        if (acceptWord("with")) {
            parseStorageOptions(statement->options, &statement->dmlLogging);
        }
        if (acceptWord("on")) {
            statement->segment = identifierOrString();
        }
        if (acceptWord("partition")) {
            expectWord("by");
            parsePartitions(statement->partitions);
        }
        return statement;
    }

    // After PARTITION BY: roundrobin with a count or a list of named partitions. The
    // semantic strategies (hash, range, list) are only noted, for the executor to refuse.
    void parsePartitions(TablePartitions& partitions)
    {
        if (isWord("hash") || isWord("range") || isWord("list")) {
            partitions.strategy = toLower(tokens_[pos_++].text);
            skipToStatementEnd();
            return;
        }
        expectWord("roundrobin");
        if (acceptOp("(")) {
            do {
                partitions.names.push_back(identifier());
                partitions.segments.push_back(acceptWord("on") ? identifierOrString() : "");
            } while (acceptOp(","));
            expectOp(")");
            partitions.count = static_cast<int>(partitions.names.size());
            return;
        }
        partitions.count = smallInteger();
        if (acceptWord("on")) {
            expectOp("(");
            do {
                partitions.segments.push_back(identifierOrString());
            } while (acceptOp(","));
            expectOp(")");
        }
    }

    StatementPtr parseCreateLogin()
    {
        auto statement = std::make_shared<CreateLoginStatement>();
        statement->name = identifierOrString();
        expectWord("with");
        statement->encrypted = acceptWord("encrypted");
        expectWord("password");
        statement->password = passwordValue();
        statement->attributes = parseLoginAttributes();
        for (const LoginAttribute& attribute : statement->attributes) {
            if (attribute.name == "default database")
                statement->defaultDatabase = attribute.value;
            else if (attribute.name == "default language")
                statement->defaultLanguage = attribute.value;
            else if (attribute.name == "fullname")
                statement->fullName = attribute.value;
        }
        return statement;
    }

    // A password: a name, a string, a number or (a stored hash) a 0x literal, kept as
    // "0x" and its digits.
    std::string passwordValue()
    {
        if (cur().kind == TokenKind::Hex)
            return "0x" + tokens_[pos_++].text;
        if (isWord("null")) {
            ++pos_;
            return "";
        }
        return literalOrName();
    }

    // `attribute value` pairs of CREATE/ALTER LOGIN and CREATE ROLE, attribute names of
    // one to three words, until the statement ends.
    std::vector<LoginAttribute> parseLoginAttributes()
    {
        static const char* const names[] = {
            "default database",     "default language",    "fullname",
            "login script",         "password expiration", "min password length",
            "max failed attempts",  "max failed logins",   "authenticate with",
            "exempt inactive lock", "login profile",       "ignore login profile",
            "passwd expiration",    "min passwd length",   "suid"};
        std::vector<LoginAttribute> attributes;
        while (!atEnd()) {
            bool comma = acceptOp(",");
            LoginAttribute attribute;
            for (const char* name : names) {
                size_t words = 0;
                std::string candidate;
                std::istringstream parts(name);
                std::string part;
                bool matches = true;
                while (parts >> part) {
                    if (!wordIs(ahead(words), part.c_str())) {
                        matches = false;
                        break;
                    }
                    ++words;
                }
                if (matches && words > 0) {
                    attribute.name = name;
                    pos_ += words;
                    break;
                }
            }
            if (attribute.name.empty()) {
                if (comma)
                    fail();
                break;
            }
            if (attribute.name != "ignore login profile")
                attribute.value = passwordValue();
            attributes.push_back(std::move(attribute));
        }
        return attributes;
    }

    // create role name [with passwd p [, attribute value ...]]
    StatementPtr parseCreateRole()
    {
        auto statement = std::make_shared<PrincipalStatement>();
        statement->verb = "create role";
        statement->names.push_back(identifierOrString());
        if (acceptWord("with")) {
            if (acceptWord("passwd") || acceptWord("password")) {
                statement->password = passwordValue();
            }
            statement->attributes = parseLoginAttributes();
        }
        return statement;
    }

    // alter login name {lock | unlock | modify attribute value ... | with password old
    // modify password new}; alter role name {add | drop} passwd p [...].
    StatementPtr parseAlterPrincipal()
    {
        auto statement = std::make_shared<PrincipalStatement>();
        statement->verb = "alter " + toLower(identifierAllowReserved());
        statement->names.push_back(identifierOrString());
        if (statement->verb == "alter role") {
            statement->action = toLower(identifierAllowReserved());
            if (acceptWord("passwd") || acceptWord("password"))
                statement->action += " passwd";
            if (statement->action == "add passwd")
                statement->password = passwordValue();
            skipToStatementEnd();
            return statement;
        }
        if (acceptWord("with")) {
            expectWord("password");
            passwordValue();  // the caller's own password: not checked here
        }
        statement->action = toLower(identifierAllowReserved());
        if (statement->action == "modify") {
            if (isWord("password")) {
                ++pos_;
                statement->password = passwordValue();
                statement->action = "modify password";
                skipToStatementEnd();
                return statement;
            }
            statement->attributes = parseLoginAttributes();
        } else if (statement->action != "lock" && statement->action != "unlock") {
            --pos_;
            fail();
        }
        skipToStatementEnd();
        return statement;
    }

    // database [on {dev | default} [= size] [, ...]] [log on dev [= size] [, ...]]
    // [with override | ...] [for load | for proxy_update]
    void parseDatabaseSpace(DatabaseSpaceStatement& statement)
    {
        statement.name = identifier();
        if (acceptWord("on"))
            parseDeviceClauses(statement.data);
        if (isWord("log") && wordIs(ahead(1), "on")) {
            pos_ += 2;
            parseDeviceClauses(statement.log);
        }
        // with override, with default_location = '...', with dml_logging = minimal, ...
        while (true) {
            if (acceptWord("with")) {
                do {
                    identifierAllowReserved();
                    if (acceptOp("=") && !atEnd())
                        ++pos_;
                } while (acceptOp(","));
            } else if (acceptWord("for")) {
                statement.forLoad = isWord("load");
                identifierAllowReserved();
            } else {
                break;
            }
        }
    }

    void parseDeviceClauses(std::vector<DatabaseDeviceClause>& clauses)
    {
        do {
            DatabaseDeviceClause clause;
            if (!acceptWord("default"))
                clause.device = identifierOrString();
            if (acceptOp("="))
                clause.size = sizeValue();
            clauses.push_back(std::move(clause));
        } while (acceptOp(","));
    }

    std::string sizeValue()
    {
        if (cur().kind == TokenKind::Integer || cur().kind == TokenKind::Decimal ||
            cur().kind == TokenKind::String)
            return tokens_[pos_++].text;
        fail();
    }

    // disk init name = 'n', physname = 'p', size = s [, option = value ...] [, contiguous];
    // disk resize name = 'n', size = s
    StatementPtr parseDisk()
    {
        auto statement = std::make_shared<DiskStatement>();
        statement->verb = toLower(identifierAllowReserved());
        if (statement->verb != "init" && statement->verb != "resize") {
            --pos_;
            fail();
        }
        do {
            std::string option = toLower(identifierAllowReserved());
            std::string value;
            if (acceptOp("=")) {
                if (cur().kind == TokenKind::End)
                    fail();
                value = tokens_[pos_++].text;
            }
            statement->options[option] = value;
        } while (acceptOp(","));
        return statement;
    }

    // A name, string or number as an attribute value.
    std::string literalOrName()
    {
        if (cur().kind == TokenKind::Integer)
            return tokens_[pos_++].text;
        return identifierOrString();
    }

    std::string parseLockScheme()
    {
        std::string scheme = toLower(identifier());
        if (scheme != "allpages" && scheme != "datapages" && scheme != "datarows") {
            --pos_;
            fail();
        }
        return scheme;
    }

    // `name = value [, name = value ...]` after WITH.
    // A comma followed by something other than `name =` ends the list (the next table
    // element of CREATE TABLE).
    // CREATE TABLE also takes dml_logging among them.
    void parseStorageOptions(StorageOptions& options,
                             std::optional<DmlLogging>* dmlLogging = nullptr)
    {
        do {
            std::string option = toLower(identifierAllowReserved());
            if (dmlLogging && option == "dml_logging") {
                expectOp("=");
                *dmlLogging = parseDmlLogging(false);
            } else if (!parseStorageOption(option, options)) {
                --pos_;
                fail();
            }
        } while (isOp(",") && ahead(2).kind == TokenKind::Operator && ahead(2).text == "=" &&
                 acceptOp(","));
    }

    // full | minimal, and for ALTER TABLE also default.
    DmlLogging parseDmlLogging(bool allowDefault)
    {
        if (acceptWord("full"))
            return DmlLogging::Full;
        if (acceptWord("minimal"))
            return DmlLogging::Minimal;
        if (allowDefault && acceptWord("default"))
            return DmlLogging::Default;
        fail();
    }

    // The value of one space-management option; false when the name is not one.
    bool parseStorageOption(const std::string& option, StorageOptions& options)
    {
        if (option == "exp_row_size") {
            expectOp("=");
            options.expRowSize = toSmallInteger(expectInteger());
            return true;
        }
        int* target = option == "fillfactor"          ? &options.fillFactor
                      : option == "max_rows_per_page" ? &options.maxRowsPerPage
                      : option == "reservepagegap"    ? &options.reservePageGap
                      : option == "identity_gap"      ? &options.identityGap
                                                      : nullptr;
        if (!target)
            return false;
        expectOp("=");
        *target = toSmallInteger(expectInteger());
        return true;
    }

    bool startsTableConstraint() const
    {
        return isWord("constraint") || isWord("primary") || isWord("unique") || isWord("foreign") ||
               isWord("check");
    }

    // A constraint, as a table element (column == nullptr) or after a column definition.
    ConstraintDef parseConstraint(const ColumnDef* column)
    {
        ConstraintDef constraint;
        if (column)
            constraint.column = column->name;
        if (acceptWord("constraint")) {
            constraint.name = identifier();
        }
        size_t begin = cur().begin;
        if (isWord("primary") || isWord("unique")) {
            if (acceptWord("primary")) {
                expectWord("key");
                constraint.kind = ConstraintDef::Kind::PrimaryKey;
            } else {
                expectWord("unique");
                constraint.kind = ConstraintDef::Kind::Unique;
            }
            if (acceptWord("clustered"))
                constraint.clustered = true;
            else if (acceptWord("nonclustered"))
                constraint.nonclustered = true;
            if (column) {
                IndexKey key{column->name, false};
                if (acceptWord("desc"))
                    key.descending = true;
                else
                    acceptWord("asc");
                constraint.keys.push_back(key);
            } else {
                constraint.keys = parseKeyList(true);
            }
            if (acceptWord("with")) {
                parseStorageOptions(constraint.options);
            }
            if (acceptWord("on")) {
                constraint.segment = identifierOrString();
            }
        } else if (isWord("foreign") || isWord("references")) {
            constraint.kind = ConstraintDef::Kind::ForeignKey;
            if (column) {
                constraint.keys.push_back({column->name, false});
            } else {
                expectWord("foreign");
                expectWord("key");
                constraint.keys = parseKeyList(false);
            }
            expectWord("references");
            constraint.referencedTable = parseObjectName();
            if (acceptOp("(")) {
                do {
                    constraint.referencedColumns.push_back(identifier());
                } while (acceptOp(","));
                expectOp(")");
            }
            if (acceptWord("match")) {
                expectWord("full");
                constraint.matchFull = true;
            }
        } else if (acceptWord("check")) {
            constraint.kind = ConstraintDef::Kind::Check;
            expectOp("(");
            constraint.condition = parseExpr();
            expectOp(")");
            constraint.text = batch_.substr(begin, tokens_[pos_ - 1].end - begin);
        } else {
            fail();
        }
        return constraint;
    }

    std::vector<IndexKey> parseKeyList(bool ordered)
    {
        std::vector<IndexKey> keys;
        expectOp("(");
        do {
            IndexKey key{identifier(), false};
            if (ordered && acceptWord("desc"))
                key.descending = true;
            else if (ordered)
                acceptWord("asc");
            keys.push_back(key);
        } while (acceptOp(","));
        expectOp(")");
        return keys;
    }

    ColumnDef parseColumnDef()
    {
        ColumnDef column;
        column.name = identifier();
        if (isWord("as")) {
            ++pos_;
            size_t begin = cur().begin;
            column.computed = parseExpr();
            column.computedText = batch_.substr(begin, tokens_[pos_ - 1].end - begin);
        } else {
            column.type = parseType();
        }
        for (;;) {
            if (column.computed && acceptWord("materialized")) {
                column.materialized = true;
            } else if (column.computed && isWord("not") && wordIs(ahead(1), "materialized")) {
                pos_ += 2;
                column.materialized = false;
            } else if (acceptWord("null")) {
                column.nullability = ColumnDef::Nullability::Null;
            } else if (isWord("not") && wordIs(ahead(1), "null")) {
                pos_ += 2;
                column.nullability = ColumnDef::Nullability::NotNull;
            } else if (acceptWord("identity")) {
                column.identity = true;
            } else if (isWord("default")) {
                size_t begin = cur().begin;
                ++pos_;
                column.defaultValue = parseExpr();
                column.defaultText = batch_.substr(begin, tokens_[pos_ - 1].end - begin);
            } else if (isWord("constraint") || isWord("primary") || isWord("unique") ||
                       isWord("references") || isWord("check")) {
                column.constraints.push_back(parseConstraint(&column));
            } else {
                return column;
            }
        }
    }

    // ALTER TABLE t clause [clause ...]; ADD takes a comma-separated list of columns
    // and constraints.
    StatementPtr parseAlterTable()
    {
        expectWord("table");
        auto statement = std::make_shared<AlterTableStatement>();
        statement->table = parseObjectName();
        for (;;) {
            if (acceptWord("add")) {
                do {
                    AlterTableAction action;
                    if (startsTableConstraint()) {
                        action.kind = AlterTableAction::Kind::AddConstraint;
                        action.constraint = parseConstraint(nullptr);
                    } else {
                        action.kind = AlterTableAction::Kind::AddColumn;
                        action.column = parseColumnDef();
                    }
                    statement->actions.push_back(std::move(action));
                } while (acceptOp(","));
            } else if (isWord("drop") && wordIs(ahead(1), "constraint")) {
                pos_ += 2;
                AlterTableAction action;
                action.kind = AlterTableAction::Kind::DropConstraint;
                action.name = identifier();
                statement->actions.push_back(std::move(action));
            } else if (acceptWord("replace")) {
                AlterTableAction action;
                action.kind = AlterTableAction::Kind::ReplaceDefault;
                action.name = identifier();
                size_t begin = cur().begin;
                expectWord("default");
                if (!acceptWord("null")) {
                    action.defaultValue = parseExpr();
                    action.defaultText = batch_.substr(begin, tokens_[pos_ - 1].end - begin);
                }
                statement->actions.push_back(std::move(action));
            } else if (acceptWord("lock")) {
                AlterTableAction action;
                action.kind = AlterTableAction::Kind::Lock;
                action.lockScheme = parseLockScheme();
                statement->actions.push_back(std::move(action));
            } else if (isWord("set") && wordIs(ahead(1), "dml_logging")) {
                pos_ += 2;
                expectOp("=");
                AlterTableAction action;
                action.kind = AlterTableAction::Kind::SetDmlLogging;
                action.dmlLogging = parseDmlLogging(true);
                statement->actions.push_back(std::move(action));
            } else if ((isWord("enable") || isWord("disable")) && wordIs(ahead(1), "trigger")) {
                AlterTableAction action;
                action.kind = AlterTableAction::Kind::EnableTrigger;
                action.enable = isWord("enable");
                pos_ += 2;
                if (cur().kind == TokenKind::Identifier && !isReserved(cur()) &&
                    !startsAlterClause()) {
                    action.name = identifier();
                }
                statement->actions.push_back(std::move(action));
            } else if (acceptWord("with")) {
                AlterTableAction action;
                action.kind = AlterTableAction::Kind::SetOptions;
                parseStorageOptions(action.options);
                statement->actions.push_back(std::move(action));
            } else {
                break;
            }
        }
        if (statement->actions.empty())
            fail();
        return statement;
    }

    bool startsAlterClause() const
    {
        for (const char* word : {"add", "drop", "replace", "lock", "with", "enable", "disable"}) {
            if (isWord(word))
                return true;
        }
        return false;
    }

    TypeSpec parseType()
    {
        TypeSpec typeSpec;
        typeSpec.name = identifierAllowReserved();
        // Two-word type names.
        std::string lower = toLower(typeSpec.name);
        if ((lower == "double" && acceptWord("precision")) ||
            ((lower == "char" || lower == "character") && acceptWord("varying"))) {
            typeSpec.name = lower == "double" ? "float" : "varchar";
        } else if (lower == "unsigned") {
            typeSpec.name = "unsigned " + toLower(identifierAllowReserved());
        }
        if (acceptOp("(")) {
            int first = smallInteger();
            if (acceptOp(",")) {
                typeSpec.precision = first;
                typeSpec.scale = smallInteger();
            } else {
                typeSpec.length = first;
                typeSpec.precision = first;
            }
            expectOp(")");
        }
        return typeSpec;
    }

    StatementPtr parseCreateIndex(bool unique, bool clustered)
    {
        auto statement = std::make_shared<CreateIndexStatement>();
        statement->unique = unique;
        statement->clustered = clustered;
        statement->name = identifier();
        expectWord("on");
        statement->table = parseObjectName();
        expectOp("(");
        do {
            // A key is a column, or an expression (a function-based index key).
            std::string column;
            ExprPtr expression;
            bool plainColumn =
                atIdentifier() && (wordIs(ahead(1), "asc") || wordIs(ahead(1), "desc") ||
                                   (ahead(1).kind == TokenKind::Operator &&
                                    (ahead(1).text == "," || ahead(1).text == ")")));
            if (plainColumn) {
                column = identifier();
            } else {
                size_t begin = cur().begin;
                expression = parseExpr();
                column = batch_.substr(begin, tokens_[pos_ - 1].end - begin);
            }
            bool descending = false;
            if (acceptWord("desc")) {
                descending = true;
            } else {
                acceptWord("asc");
            }
            statement->keys.emplace_back(column, descending);
            statement->keyExpressions.push_back(expression);
        } while (acceptOp(","));
        expectOp(")");
        if (acceptWord("with")) {
            do {
                std::string option = toLower(identifierAllowReserved());
                if (option == "ignore_dup_key")
                    statement->ignoreDupKey = true;
                else if (option == "ignore_dup_row")
                    statement->ignoreDupRow = true;
                else if (option == "allow_dup_row")
                    statement->allowDupRow = true;
                else if (option == "sorted_data")
                    statement->sortedData = true;
                else if (!parseStorageOption(option, statement->options)) {
                    --pos_;
                    fail();
                }
            } while (acceptOp(","));
        }
        if (acceptWord("on")) {
            statement->segment = identifierOrString();
        }
        return statement;
    }

    void skipToStatementEnd()
    {
        while (!atEnd() && !startsStatement()) {
            ++pos_;
        }
    }

    StatementPtr parseDrop()
    {
        if (isWord("login") || isWord("role")) {
            auto statement = std::make_shared<PrincipalStatement>();
            statement->verb = "drop " + toLower(tokens_[pos_++].text);
            do {
                statement->names.push_back(identifierOrString());
            } while (acceptOp(","));
            if (isWord("with") && wordIs(ahead(1), "override")) {
                pos_ += 2;
                statement->withOverride = true;
            }
            return statement;
        }
        if (acceptWord("database")) {
            auto statement = std::make_shared<DropDatabaseStatement>();
            do {
                statement->names.push_back(identifier());
            } while (acceptOp(","));
            return statement;
        }
        auto statement = std::make_shared<DropStatement>();
        if (acceptWord("table"))
            statement->objectType = "U";
        else if (acceptWord("view"))
            statement->objectType = "V";
        else if (acceptWord("procedure") || acceptWord("proc"))
            statement->objectType = "P";
        else if (acceptWord("function"))
            statement->objectType = "SF";
        else if (acceptWord("trigger"))
            statement->objectType = "TR";
        else if (acceptWord("rule"))
            statement->objectType = "R";
        else if (acceptWord("default"))
            statement->objectType = "D";
        else if (acceptWord("index"))
            statement->objectType = "INDEX";
        else
            fail();
        do {
            statement->names.push_back(parseObjectName());
        } while (acceptOp(","));
        return statement;
    }

    StatementPtr parseGrant()
    {
        if (wordIs(ahead(1), "role"))
            return parseGrantRole();
        auto statement = std::make_shared<GrantStatement>();
        statement->grant = isWord("grant");
        ++pos_;
        if (!statement->grant && isWord("grant") && wordIs(ahead(1), "option")) {
            pos_ += 3;  // grant option for
            statement->grantOptionFor = true;
        }
        bool objectPrivileges = parsePrivileges(*statement);
        if (objectPrivileges) {
            expectWord("on");
            statement->object = parseObjectName();
            if (acceptOp("(")) {
                do {
                    statement->columns.push_back(identifier());
                } while (acceptOp(","));
                expectOp(")");
            }
        }
        if (!acceptWord("to")) {
            expectWord("from");
        }
        do {
            statement->grantees.push_back(isWord("public") ? toLower(tokens_[pos_++].text)
                                                           : identifierOrString());
        } while (acceptOp(","));
        if (acceptWord("with")) {
            expectWord("grant");
            expectWord("option");
            statement->withGrantOption = true;
        }
        if (acceptWord("cascade")) {
            statement->cascade = true;
        }
        if (isWord("granted") && wordIs(ahead(1), "by")) {
            pos_ += 2;
            statement->grantedBy = identifierOrString();
        }
        return statement;
    }

    StatementPtr parseGrantRole()
    {
        auto statement = std::make_shared<GrantRoleStatement>();
        statement->grant = isWord("grant");
        pos_ += 2;
        do {
            statement->roles.push_back(identifierOrString());
        } while (acceptOp(","));
        if (statement->grant)
            expectWord("to");
        else if (!acceptWord("from"))
            expectWord("to");
        do {
            statement->grantees.push_back(identifierOrString());
        } while (acceptOp(","));
        return statement;
    }

    // Returns true for object privileges (followed by ON), false for statement permissions.
    bool parsePrivileges(GrantStatement& statement)
    {
        if (acceptWord("all")) {
            acceptWord("privileges");
            statement.all = true;
            return isWord("on");
        }
        bool object = true;
        do {
            if (acceptWord("select"))
                statement.actions.push_back(193);
            else if (acceptWord("insert"))
                statement.actions.push_back(195);
            else if (acceptWord("delete"))
                statement.actions.push_back(acceptWord("statistics") ? 282 : 196);
            else if (acceptWord("update"))
                statement.actions.push_back(acceptWord("statistics") ? 326 : 197);
            else if (acceptWord("references"))
                statement.actions.push_back(151);
            else if (acceptWord("truncate")) {
                expectWord("table");
                statement.actions.push_back(320);
            } else if (acceptWord("transfer")) {
                expectWord("table");
                statement.actions.push_back(368);
            } else if (acceptWord("decrypt"))
                statement.actions.push_back(353);
            else if (acceptWord("execute") || acceptWord("exec"))
                statement.actions.push_back(224);
            else if (acceptWord("create")) {
                object = false;
                if (acceptWord("table"))
                    statement.actions.push_back(198);
                else if (acceptWord("view"))
                    statement.actions.push_back(207);
                else if (acceptWord("procedure"))
                    statement.actions.push_back(222);
                else if (acceptWord("default"))
                    statement.actions.push_back(233);
                else if (acceptWord("rule"))
                    statement.actions.push_back(236);
                else if (acceptWord("database"))
                    statement.actions.push_back(203);
                else if (acceptWord("trigger"))
                    statement.actions.push_back(221);
                else if (acceptWord("function"))
                    statement.actions.push_back(kCreateFunctionAction);
                else
                    fail();
            } else if (acceptWord("dump")) {
                object = false;
                if (acceptWord("database"))
                    statement.actions.push_back(228);
                else if (acceptWord("transaction"))
                    statement.actions.push_back(235);
                else
                    fail();
            } else {
                fail();
            }
            if (object && isOp("(")) {
                ++pos_;
                do {
                    statement.columns.push_back(identifier());
                } while (acceptOp(","));
                expectOp(")");
            }
        } while (acceptOp(","));
        return object;
    }

    // ---- names ---------------------------------------------------------------------
    // db.owner.name, db..name, owner.name, name
    ObjectName parseObjectName()
    {
        std::vector<std::string> parts;
        parts.push_back(namePart());
        while (isOp(".")) {
            ++pos_;
            if (isOp(".")) {
                parts.push_back("");
                continue;
            }
            parts.push_back(namePart());
        }
        ObjectName name;
        if (parts.size() > 3) {
            fail();
        }
        name.name = parts.back();
        if (parts.size() >= 2)
            name.owner = parts[parts.size() - 2];
        if (parts.size() == 3)
            name.database = parts[0];
        return name;
    }
    std::string namePart()
    {
        if (cur().kind != TokenKind::Identifier) {
            fail();
        }
        return tokens_[pos_++].text;
    }

    // ---- SELECT --------------------------------------------------------------------
    std::shared_ptr<SelectStmt> parseSelectWithUnions()
    {
        DepthGuard guard(*this);
        std::shared_ptr<SelectStmt> first;
        if (acceptOp("(")) {
            first = parseSelectWithUnions();
            expectOp(")");
        } else {
            first = parseSelect();
        }
        while (acceptWord("union")) {
            SelectStmt::Union part;
            part.all = acceptWord("all");
            if (acceptOp("(")) {
                part.select = parseSelectWithUnions();
                expectOp(")");
            } else {
                part.select = parseSelect();
            }
            first->unions.push_back(part);
        }
        // ORDER BY after a union applies to the whole; the parser put it on the last part.
        if (!first->unions.empty() && !first->unions.back().select->orderBy.empty()) {
            first->orderBy = std::move(first->unions.back().select->orderBy);
            first->unions.back().select->orderBy.clear();
        }
        if (!first->unions.empty()) {
            std::swap(first->computes, first->unions.back().select->computes);
        }
        return first;
    }

    std::shared_ptr<SelectStmt> parseSelect()
    {
        expectWord("select");
        auto select = std::make_shared<SelectStmt>();
        if (acceptWord("distinct")) {
            select->distinct = true;
        } else {
            acceptWord("all");
        }
        if (acceptWord("top")) {
            select->top = smallInteger();
        }
        do {
            select->items.push_back(parseSelectItem());
        } while (acceptOp(","));
        if (acceptWord("into")) {
            select->into = parseObjectName();
        }
        if (acceptWord("from")) {
            select->from = parseFromList();
        }
        if (acceptWord("where")) {
            select->where = parseExpr();
        }
        if (isWord("group") && wordIs(ahead(1), "by")) {
            pos_ += 2;
            do {
                select->groupBy.push_back(parseExpr());
            } while (acceptOp(","));
        }
        if (acceptWord("having")) {
            select->having = parseExpr();
        }
        if (isWord("order") && wordIs(ahead(1), "by")) {
            if (viewDefinition_)
                fail();
            pos_ += 2;
            do {
                OrderItem item;
                item.expr = parseExpr();
                if (acceptWord("desc")) {
                    item.descending = true;
                } else {
                    acceptWord("asc");
                }
                select->orderBy.push_back(item);
            } while (acceptOp(","));
        }
        while (acceptWord("compute")) {
            select->computes.push_back(parseCompute());
        }
        if (acceptWord("at")) {  // at isolation read uncommitted
            while (atIdentifier() || isWord("read"))
                ++pos_;
        }
        return select;
    }

    ComputeClause parseCompute()
    {
        ComputeClause clause;
        do {
            ComputeClause::Aggregate aggregate;
            if (!atIdentifier()) {
                fail();
            }
            aggregate.function = toLower(tokens_[pos_++].text);
            if (aggregate.function != "sum" && aggregate.function != "avg" &&
                aggregate.function != "count" && aggregate.function != "min" &&
                aggregate.function != "max") {
                --pos_;
                fail();
            }
            expectOp("(");
            aggregate.argument = parseExpr();
            expectOp(")");
            clause.aggregates.push_back(std::move(aggregate));
        } while (acceptOp(","));
        if (acceptWord("by")) {
            do {
                clause.by.push_back(parseExpr());
            } while (acceptOp(","));
        }
        return clause;
    }

    SelectItem parseSelectItem()
    {
        SelectItem item;
        if (isOp("*")) {
            ++pos_;
            item.star = true;
            return item;
        }
        if (cur().kind == TokenKind::Identifier && ahead(1).kind == TokenKind::Operator &&
            ahead(1).text == "." && ahead(2).kind == TokenKind::Operator && ahead(2).text == "*") {
            item.star = true;
            item.starQualifier = tokens_[pos_].text;
            pos_ += 3;
            return item;
        }
        if (cur().kind == TokenKind::Variable && ahead(1).kind == TokenKind::Operator &&
            ahead(1).text == "=") {
            item.assignVariable = tokens_[pos_].text;
            pos_ += 2;
            item.expr = parseExpr();
            return item;
        }
        if ((cur().kind == TokenKind::Identifier || cur().kind == TokenKind::String) &&
            ahead(1).kind == TokenKind::Operator && ahead(1).text == "=") {
            item.alias = tokens_[pos_].text;
            pos_ += 2;
            item.expr = parseExpr();
            return item;
        }
        item.expr = parseExpr();
        if (acceptWord("as")) {
            item.alias = identifierOrString();
        } else if ((atIdentifier() && !atLabel()) || cur().kind == TokenKind::String) {
            item.alias = tokens_[pos_++].text;
        }
        return item;
    }

    std::vector<TableRef> parseFromList()
    {
        std::vector<TableRef> refs;
        refs.push_back(parseTableRef());
        for (;;) {
            TableRef::Join join;
            if (acceptOp(",")) {
                join = TableRef::Join::Comma;
            } else if (isWord("join") || isWord("inner")) {
                acceptWord("inner");
                expectWord("join");
                join = TableRef::Join::Inner;
            } else if (isWord("left") || isWord("right")) {
                join = isWord("left") ? TableRef::Join::Left : TableRef::Join::Right;
                ++pos_;
                acceptWord("outer");
                expectWord("join");
            } else if (isWord("cross")) {
                ++pos_;
                expectWord("join");
                join = TableRef::Join::Cross;
            } else {
                return refs;
            }
            TableRef ref = parseTableRef();
            ref.join = join;
            if (join == TableRef::Join::Inner || join == TableRef::Join::Left ||
                join == TableRef::Join::Right) {
                expectWord("on");
                ref.on = parseExpr();
            }
            refs.push_back(std::move(ref));
        }
    }

    TableRef parseTableRef()
    {
        TableRef ref;
        if (acceptOp("(")) {
            ref.derived = parseSelectWithUnions();
            expectOp(")");
        } else {
            ref.name = parseObjectName();
        }
        if (acceptWord("as")) {
            ref.alias = identifier();
        } else if (atIdentifier() && !atLabel() && !isWord("holdlock") && !isWord("noholdlock")) {
            ref.alias = tokens_[pos_++].text;
        }
        if (acceptOp("(")) {  // (index name) hints
            while (!atEnd() && !acceptOp(")"))
                ++pos_;
        }
        acceptWord("holdlock");
        acceptWord("noholdlock");
        return ref;
    }

    // ---- expressions ---------------------------------------------------------------
    ExprPtr makeNode(Expr::Kind kind, size_t position)
    {
        auto expr = std::make_shared<Expr>();
        expr->kind = kind;
        expr->pos = position;
        return expr;
    }

    // Counts nesting levels of expressions and statements for the depth limit.
    struct DepthGuard {
        explicit DepthGuard(Parser& parser) : parser_(parser)
        {
            if (++parser_.depth_ > kMaxNesting) {
                --parser_.depth_;
                throw ParseError{
                    191,
                    "Some part of your SQL statement is nested too deeply. Rewrite the "
                    "query or break it up into smaller queries.",
                    parser_.cur().line};
            }
        }
        ~DepthGuard() { --parser_.depth_; }
        Parser& parser_;
    };

    ExprPtr parseExpr()
    {
        DepthGuard guard(*this);
        return parseOr();
    }

    ExprPtr parseOr()
    {
        ExprPtr left = parseAnd();
        while (isWord("or")) {
            size_t at = cur().begin;
            ++pos_;
            ExprPtr node = makeNode(Expr::Kind::Binary, at);
            node->op = "or";
            node->args = {left, parseAnd()};
            left = node;
        }
        return left;
    }

    ExprPtr parseAnd()
    {
        ExprPtr left = parseNot();
        while (isWord("and")) {
            size_t at = cur().begin;
            ++pos_;
            ExprPtr node = makeNode(Expr::Kind::Binary, at);
            node->op = "and";
            node->args = {left, parseNot()};
            left = node;
        }
        return left;
    }

    ExprPtr parseNot()
    {
        if (isWord("not")) {
            size_t at = cur().begin;
            ++pos_;
            ExprPtr node = makeNode(Expr::Kind::Unary, at);
            node->op = "not";
            node->args = {parseNot()};
            return node;
        }
        return parseComparison();
    }

    ExprPtr parseComparison()
    {
        ExprPtr left = parseAdditive();
        static const char* const comparisons[] = {
            "=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>", "*=", "=*"};
        for (const char* op : comparisons) {
            if (isOp(op)) {
                ExprPtr node = makeNode(Expr::Kind::Binary, cur().begin);
                ++pos_;
                node->op = op;
                node->args = {left, parseAdditive()};
                return node;
            }
        }
        bool negated = false;
        size_t at = cur().begin;
        if (isWord("not") &&
            (wordIs(ahead(1), "like") || wordIs(ahead(1), "between") || wordIs(ahead(1), "in"))) {
            negated = true;
            ++pos_;
        }
        if (acceptWord("like")) {
            ExprPtr node = makeNode(Expr::Kind::Like, at);
            node->negated = negated;
            node->args = {left, parseAdditive()};
            if (acceptWord("escape")) {
                node->args.push_back(parseAdditive());
            }
            return node;
        }
        if (acceptWord("between")) {
            ExprPtr node = makeNode(Expr::Kind::Between, at);
            node->negated = negated;
            ExprPtr low = parseAdditive();
            expectWord("and");
            node->args = {left, low, parseAdditive()};
            return node;
        }
        if (acceptWord("in")) {
            expectOp("(");
            ExprPtr node;
            if (isWord("select")) {
                node = makeNode(Expr::Kind::InSelect, at);
                node->args = {left};
                node->select = parseSelectWithUnions();
            } else {
                node = makeNode(Expr::Kind::InList, at);
                node->args = {left};
                do {
                    node->args.push_back(parseExpr());
                } while (acceptOp(","));
            }
            expectOp(")");
            node->negated = negated;
            return node;
        }
        if (acceptWord("is")) {
            ExprPtr node = makeNode(Expr::Kind::IsNull, at);
            node->negated = acceptWord("not");
            expectWord("null");
            node->args = {left};
            return node;
        }
        return left;
    }

    ExprPtr parseAdditive()
    {
        ExprPtr left = parseMultiplicative();
        for (;;) {
            std::string op;
            if (isOp("+") || isOp("-") || isOp("&") || isOp("|") || isOp("^")) {
                op = cur().text;
            } else if (isOp("||")) {
                op = "+";
            } else {
                return left;
            }
            ExprPtr node = makeNode(Expr::Kind::Binary, cur().begin);
            ++pos_;
            node->op = op;
            node->args = {left, parseMultiplicative()};
            left = node;
        }
    }

    ExprPtr parseMultiplicative()
    {
        ExprPtr left = parseUnary();
        while (isOp("*") || isOp("/") || isOp("%")) {
            ExprPtr node = makeNode(Expr::Kind::Binary, cur().begin);
            node->op = cur().text;
            ++pos_;
            node->args = {left, parseUnary()};
            left = node;
        }
        return left;
    }

    ExprPtr parseUnary()
    {
        DepthGuard guard(*this);
        if (isOp("-") || isOp("+") || isOp("~")) {
            ExprPtr node = makeNode(Expr::Kind::Unary, cur().begin);
            node->op = cur().text;
            ++pos_;
            node->args = {parseUnary()};
            // Fold negative literals so that they keep their literal type.
            ExprPtr operand = node->args[0];
            if (node->op == "-" &&
                (operand->kind == Expr::Kind::Integer || operand->kind == Expr::Kind::Decimal ||
                 operand->kind == Expr::Kind::Float)) {
                operand->text = "-" + operand->text;
                return operand;
            }
            if (node->op == "+") {
                return operand;
            }
            return node;
        }
        return parsePrimary();
    }

    ExprPtr parsePrimary()
    {
        const Token& t = cur();
        switch (t.kind) {
            case TokenKind::Money: {
                ExprPtr node = makeNode(Expr::Kind::Money, t.begin);
                node->text = t.text;
                ++pos_;
                return node;
            }
            case TokenKind::Integer:
            case TokenKind::Decimal:
            case TokenKind::Float:
            case TokenKind::String:
            case TokenKind::Hex: {
                static const Expr::Kind kinds[] = {Expr::Kind::Integer, Expr::Kind::Decimal,
                                                   Expr::Kind::Float, Expr::Kind::String,
                                                   Expr::Kind::Hex};
                Expr::Kind kind = t.kind == TokenKind::Integer   ? kinds[0]
                                  : t.kind == TokenKind::Decimal ? kinds[1]
                                  : t.kind == TokenKind::Float   ? kinds[2]
                                  : t.kind == TokenKind::String  ? kinds[3]
                                                                 : kinds[4];
                ExprPtr node = makeNode(kind, t.begin);
                node->text = t.text;
                ++pos_;
                return node;
            }
            case TokenKind::Variable: {
                ExprPtr node = makeNode(Expr::Kind::Variable, t.begin);
                node->text = t.text;
                ++pos_;
                return node;
            }
            case TokenKind::GlobalVariable: {
                ExprPtr node = makeNode(Expr::Kind::Global, t.begin);
                node->text = toLower(t.text);
                ++pos_;
                return node;
            }
            case TokenKind::Param: {
                ExprPtr node = makeNode(Expr::Kind::Param, t.begin);
                node->text = std::to_string(paramCount_++);
                ++pos_;
                return node;
            }
            case TokenKind::Operator:
                if (t.text == "(") {
                    ++pos_;
                    ExprPtr inner;
                    if (isWord("select")) {
                        inner = makeNode(Expr::Kind::Subquery, t.begin);
                        inner->select = parseSelectWithUnions();
                    } else {
                        inner = parseExpr();
                    }
                    expectOp(")");
                    return inner;
                }
                fail();
            case TokenKind::Identifier:
                return parseIdentifierExpr();
            case TokenKind::End:
                fail();
        }
        fail();
    }

    ExprPtr parseIdentifierExpr()
    {
        const Token& t = cur();
        if (isWord("null")) {
            ++pos_;
            return makeNode(Expr::Kind::Null, t.begin);
        }
        if (isWord("exists")) {
            ++pos_;
            ExprPtr node = makeNode(Expr::Kind::Exists, t.begin);
            expectOp("(");
            node->select = parseSelectWithUnions();
            expectOp(")");
            return node;
        }
        if (isWord("case")) {
            return parseCase();
        }
        if (isWord("convert") && ahead(1).kind == TokenKind::Operator && ahead(1).text == "(") {
            pos_ += 2;
            ExprPtr node = makeNode(Expr::Kind::Convert, t.begin);
            node->type = parseType();
            expectOp(",");
            node->args.push_back(parseExpr());
            if (acceptOp(",")) {
                node->args.push_back(parseExpr());
            }
            expectOp(")");
            return node;
        }
        if (wordIs(t, "cast") && ahead(1).kind == TokenKind::Operator && ahead(1).text == "(") {
            // cast(expr as type): convert without a style.
            pos_ += 2;
            ExprPtr node = makeNode(Expr::Kind::Convert, t.begin);
            node->args.push_back(parseExpr());
            expectWord("as");
            node->type = parseType();
            expectOp(")");
            return node;
        }
        if (!t.delimited && ahead(1).kind == TokenKind::Operator && ahead(1).text == "(" &&
            !isReservedFunctionBlocker(t)) {
            return parseFunctionCall();
        }
        if (isReserved(t)) {
            fail();
        }
        ExprPtr node = makeNode(Expr::Kind::Column, t.begin);
        node->names.push_back(tokens_[pos_++].text);
        while (isOp(".")) {
            ++pos_;
            if (isOp(".")) {
                node->names.push_back("");
                continue;
            }
            node->names.push_back(namePart());
        }
        if (isOp("(")) {
            // [db.][owner.]function(...): a SQL function called by its qualified name; the
            // qualifiers stay in names.
            node->kind = Expr::Kind::Function;
            node->text = toLower(node->names.back());
            node->names.pop_back();
            ++pos_;
            parseFunctionArguments(*node);
        }
        return node;
    }

    bool isReservedFunctionBlocker(const Token& t) const
    {
        // Keywords that may be followed by "(" but are not functions.
        return wordIs(t, "in") || wordIs(t, "exists") || wordIs(t, "values") || wordIs(t, "select");
    }

    ExprPtr parseFunctionCall()
    {
        ExprPtr node = makeNode(Expr::Kind::Function, cur().begin);
        node->text = toLower(tokens_[pos_].text);
        pos_ += 2;
        parseFunctionArguments(*node);
        return node;
    }

    // The arguments after a function's "(", and the ")".
    void parseFunctionArguments(Expr& node)
    {
        if (acceptOp("*")) {
            node.star = true;
        } else if (!isOp(")")) {
            if (acceptWord("distinct")) {
                node.op = "distinct";
            }
            do {
                node.args.push_back(parseExpr());
            } while (acceptOp(","));
        }
        expectOp(")");
    }

    ExprPtr parseCase()
    {
        ExprPtr node = makeNode(Expr::Kind::Case, cur().begin);
        ++pos_;
        if (!isWord("when")) {
            node->hasOperand = true;
            node->args.push_back(parseExpr());
        }
        while (acceptWord("when")) {
            node->args.push_back(parseExpr());
            expectWord("then");
            node->args.push_back(parseExpr());
        }
        if (acceptWord("else")) {
            node->hasElse = true;
            node->args.push_back(parseExpr());
        }
        expectWord("end");
        return node;
    }

    const std::string& batch_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int paramCount_ = 0;
    int depth_ = 0;
    std::set<std::string> labels_;                    // labels of the batch or body
    bool viewDefinition_ = false;                     // parsing the select of CREATE VIEW
    std::vector<std::pair<std::string, int>> gotos_;  // goto targets and their lines
};

}  // namespace

std::vector<StatementPtr> parseBatch(const std::string& batch, bool quotedIdentifier)
{
    return Parser(batch, quotedIdentifier).parseAll();
}

TypeSpec parseTypeSpec(const std::string& text)
{
    return Parser(text, false).parseTypeOnly();
}

}  // namespace tdsim

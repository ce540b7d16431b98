// Recursive-descent parser for the Transact-SQL this server accepts.
#pragma once

#include <string>
#include <vector>

#include "engine/Ast.h"
#include "engine/Lexer.h"

namespace tdsim {

// A syntax error in the server's terms (message number, text, line).
struct ParseError {
    int number;
    std::string text;
    int line;
};

// Parses one batch into statements. Throws ParseError or LexError.
std::vector<StatementPtr> parseBatch(const std::string& batch, bool quotedIdentifier);

// Parses a single datatype (used by sp_addtype): "varchar(10)", "numeric(10,2)".
TypeSpec parseTypeSpec(const std::string& text);

}  // namespace tdsim

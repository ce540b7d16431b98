// Splits Transact-SQL text into tokens. Knows nothing about statements.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tdsim {

enum class TokenKind {
    Identifier,      // plain, [bracketed] or "quoted" (with quoted_identifier on)
    String,          // '...' or "..." (with quoted_identifier off); text holds the value
    Integer,         // 123
    Decimal,         // 1.5 (exact numeric)
    Float,           // 1.5e3
    Hex,             // 0x1f; text holds the hex digits without the prefix
    Money,           // $12.50; text holds the number without the $
    Variable,        // @name (text holds "@name")
    GlobalVariable,  // @@name (text holds "@@name")
    Param,           // ?
    Operator,        // punctuation and operators, text holds them
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    bool delimited = false;  // identifier written in [] or ""
    size_t begin = 0;        // byte offset of the token in the batch
    size_t end = 0;          // one past its last byte
    int line = 1;
};

// Thrown for text that cannot be tokenized (an unterminated quote or comment).
struct LexError {
    int number;
    std::string text;
    int line;
};

std::vector<Token> tokenize(const std::string& text, bool quotedIdentifier);

}  // namespace tdsim

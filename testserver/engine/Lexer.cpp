#include "engine/Lexer.h"

#include <cctype>

namespace tdsim {
namespace {

bool isIdentStart(unsigned char c)
{
    return std::isalpha(c) || c == '_' || c == '#' || c >= 0x80;
}
bool isIdentChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '#' || c == '$' || c >= 0x80;
}

class Lexer {
public:
    Lexer(const std::string& text, bool quotedIdentifier)
        : text_(text), quotedIdentifier_(quotedIdentifier)
    {
    }

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        for (;;) {
            skipBlanksAndComments();
            Token token;
            token.begin = pos_;
            token.line = line_;
            if (pos_ >= text_.size()) {
                token.end = pos_;
                tokens.push_back(token);
                return tokens;
            }
            readToken(token);
            token.end = pos_;
            tokens.push_back(std::move(token));
        }
    }

private:
    char peek(size_t ahead = 0) const
    {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    void advance()
    {
        if (text_[pos_] == '\n') {
            ++line_;
        }
        ++pos_;
    }

    void skipBlanksAndComments()
    {
        while (pos_ < text_.size()) {
            unsigned char c = static_cast<unsigned char>(text_[pos_]);
            if (std::isspace(c)) {
                advance();
            } else if (c == '-' && peek(1) == '-') {
                while (pos_ < text_.size() && text_[pos_] != '\n') {
                    advance();
                }
            } else if (c == '/' && peek(1) == '*') {
                skipBlockComment();
            } else {
                return;
            }
        }
    }

    // Block comments nest in Transact-SQL.
    void skipBlockComment()
    {
        int startLine = line_;
        int depth = 0;
        while (pos_ < text_.size()) {
            if (peek() == '/' && peek(1) == '*') {
                ++depth;
                advance();
                advance();
            } else if (peek() == '*' && peek(1) == '/') {
                --depth;
                advance();
                advance();
                if (depth == 0) {
                    return;
                }
            } else {
                advance();
            }
        }
        throw LexError{113, "Missing end comment mark '*/'.", startLine};
    }

    void readToken(Token& token)
    {
        char c = peek();
        // N'...': a national character literal, the same string here.
        if ((c == 'N' || c == 'n') && peek(1) == '\'') {
            advance();
            c = peek();
        }
        if (c == '\'' || (c == '"' && !quotedIdentifier_)) {
            token.kind = TokenKind::String;
            token.text = readQuoted(c);
            // An empty string literal is a single blank on this server.
            if (token.text.empty()) {
                token.text = " ";
            }
        } else if (c == '"' || c == '[') {
            token.kind = TokenKind::Identifier;
            token.delimited = true;
            token.text = readQuoted(c == '[' ? ']' : '"');
        } else if (c == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
            advance();
            advance();
            token.kind = TokenKind::Hex;
            while (std::isxdigit(static_cast<unsigned char>(peek()))) {
                token.text += peek();
                advance();
            }
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && std::isdigit(static_cast<unsigned char>(peek(1))))) {
            readNumber(token);
        } else if (c == '$' &&
                   (std::isdigit(static_cast<unsigned char>(peek(1))) || peek(1) == '.' ||
                    ((peek(1) == '-' || peek(1) == '+') &&
                     std::isdigit(static_cast<unsigned char>(peek(2)))))) {
            advance();
            if (peek() == '-' || peek() == '+') {
                if (peek() == '-')
                    token.text = "-";
                advance();
            }
            Token number;
            readNumber(number);
            token.kind = TokenKind::Money;
            token.text += number.text;
        } else if (c == '@') {
            token.kind = peek(1) == '@' ? TokenKind::GlobalVariable : TokenKind::Variable;
            token.text += c;
            advance();
            if (peek() == '@') {
                token.text += '@';
                advance();
            }
            while (isIdentChar(static_cast<unsigned char>(peek()))) {
                token.text += peek();
                advance();
            }
        } else if (isIdentStart(static_cast<unsigned char>(c))) {
            token.kind = TokenKind::Identifier;
            while (isIdentChar(static_cast<unsigned char>(peek()))) {
                token.text += peek();
                advance();
            }
        } else if (c == '?') {
            token.kind = TokenKind::Param;
            token.text = "?";
            advance();
        } else {
            token.kind = TokenKind::Operator;
            token.text = readOperator();
        }
    }

    // Reads a quoted piece; a doubled closing quote stands for itself.
    std::string readQuoted(char open)
    {
        char close = open == '[' ? ']' : open;
        int startLine = line_;
        size_t start = pos_;
        advance();
        std::string value;
        for (;;) {
            if (pos_ >= text_.size()) {
                std::string piece = text_.substr(start, 40);
                if (close == ']') {
                    throw LexError{102, "Incorrect syntax near '" + piece + "'.", startLine};
                }
                throw LexError{105,
                               "Unclosed quote before the character string '" +
                                   text_.substr(start + 1, 40) + "'.",
                               startLine};
            }
            char c = peek();
            advance();
            if (c == close) {
                if (peek() == close && close != ']') {
                    value += close;
                    advance();
                    continue;
                }
                return value;
            }
            value += c;
        }
    }

    void readNumber(Token& token)
    {
        token.kind = TokenKind::Integer;
        while (std::isdigit(static_cast<unsigned char>(peek()))) {
            token.text += peek();
            advance();
        }
        if (peek() == '.') {
            token.kind = TokenKind::Decimal;
            token.text += '.';
            advance();
            while (std::isdigit(static_cast<unsigned char>(peek()))) {
                token.text += peek();
                advance();
            }
        }
        if ((peek() == 'e' || peek() == 'E') &&
            (std::isdigit(static_cast<unsigned char>(peek(1))) ||
             ((peek(1) == '-' || peek(1) == '+') &&
              std::isdigit(static_cast<unsigned char>(peek(2)))))) {
            token.kind = TokenKind::Float;
            token.text += peek();
            advance();
            token.text += peek();
            advance();
            while (std::isdigit(static_cast<unsigned char>(peek()))) {
                token.text += peek();
                advance();
            }
        }
    }

    std::string readOperator()
    {
        static const char* const twoCharOps[] = {
            "*=", "=*", "<>", "!=", "<=", ">=", "!<", "!>", "||"};
        for (const char* op : twoCharOps) {
            if (peek() == op[0] && peek(1) == op[1]) {
                // "*=" only joins when it is not "* =" of a select list; the parser
                // decides, the lexer just keeps the pair.
                advance();
                advance();
                return op;
            }
        }
        // "! =" with blanks between is taken as "!=" (scripts written for the server use it).
        if (peek() == '!') {
            size_t next = pos_ + 1;
            while (next < text_.size() && (text_[next] == ' ' || text_[next] == '\t'))
                ++next;
            if (next < text_.size() && text_[next] == '=') {
                while (pos_ <= next)
                    advance();
                return "!=";
            }
        }
        std::string op(1, peek());
        advance();
        return op;
    }

    const std::string& text_;
    bool quotedIdentifier_;
    size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

std::vector<Token> tokenize(const std::string& text, bool quotedIdentifier)
{
    return Lexer(text, quotedIdentifier).run();
}

}  // namespace tdsim

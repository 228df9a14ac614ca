#pragma once

#include <QString>
#include <vector>

#include "engine/sql/token.h"

namespace veranth::engine::sql {

// Splits statement text into tokens. The dialect has no comments; '*', '?', '#' and brackets
// inside a quoted string stay part of the string, so Like patterns pass through untouched.
// A text that cannot be read yields one Error token (value: the reason) and then End, so the
// parser reports it in the clause where it meets it.
class Lexer {
public:
    explicit Lexer(QStringView source);

    Token next();

private:
    QChar peek(qsizetype ahead = 0) const;
    void advance();
    Token make(TokenKind kind, const SourcePosition& start, QStringView text = {}) const;
    Token fail(const SourcePosition& start, QString reason);
    Token identifier(const SourcePosition& start);
    Token number(const SourcePosition& start);
    Token quoted(const SourcePosition& start, QChar quote);
    Token delimited(const SourcePosition& start, QChar close, const char* what);
    QStringView since(const SourcePosition& start) const;
    Token symbol(const SourcePosition& start);
    void skipSpace();

    QStringView source_;
    qsizetype offset_ = 0;
    int line_ = 1;
    int column_ = 1;
    bool failed_ = false;
};

// All tokens of a text, ending with the End token (or an Error token and End).
std::vector<Token> tokenize(QStringView source);

}  // namespace veranth::engine::sql

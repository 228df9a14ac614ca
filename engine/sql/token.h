#pragma once

#include <QString>

#include "engine/sql/keywords.h"

namespace veranth::engine::sql {

// Where something starts in the statement text; line and column count from 1, the offset from 0
// (in UTF-16 code units, as QString indexes).
struct SourcePosition {
    qsizetype offset = 0;
    int line = 1;
    int column = 1;
};

enum class TokenKind {
    End,
    Error,          // text the lexer could not read; value holds the reason
    Identifier,     // keyword holds its keyword, if it is one
    BracketedName,
    String,
    Number,
    DateLiteral,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Ampersand,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    LeftParen,
    RightParen,
    Comma,
    Dot,
    Bang,
    Semicolon,
};

struct Token {
    TokenKind kind = TokenKind::End;
    // The token's text in the source, without quotes, brackets or # marks. Only valid while the
    // source text lives: the parser copies what the tree keeps.
    QStringView text;
    QString value;  // String: the text with doubled quotes undone; Error: the reason
    Keyword keyword = Keyword::None;
    SourcePosition position;
    qsizetype length = 0;  // source characters the token covers, quotes and brackets included

    // What the token stands for, as a string of its own.
    QString string() const {
        return kind == TokenKind::String || kind == TokenKind::Error ? value : text.toString();
    }
};

}  // namespace veranth::engine::sql

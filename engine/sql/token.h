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
    Identifier,     // value as written; keyword holds its keyword, if it is one
    BracketedName,  // value is the text between [ and ]
    String,         // value is the text with its doubled quotes undone
    Number,         // value is the digits as written
    DateLiteral,    // value is the text between the # marks
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
    QString value;
    Keyword keyword = Keyword::None;
    SourcePosition position;
    qsizetype length = 0;  // source characters the token covers, quotes and brackets included
};

}  // namespace veranth::engine::sql

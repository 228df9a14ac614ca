#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sql/lexer.h"

namespace veranth::engine::sql {
namespace {

struct Lexed {
    TokenKind kind;
    std::string value;
};

std::vector<Lexed> lex(const char16_t* text) {
    std::vector<Lexed> out;
    for (const Token& token : tokenize(QStringView(text))) {
        if (token.kind == TokenKind::End) break;
        out.push_back({token.kind, token.string().toStdString()});
    }
    return out;
}

bool operator==(const Lexed& a, const Lexed& b) { return a.kind == b.kind && a.value == b.value; }

void PrintTo(const Lexed& l, std::ostream* os) { *os << "{" << static_cast<int>(l.kind) << ", \"" << l.value << "\"}"; }

using K = TokenKind;

struct LexCase {
    const char16_t* text;
    std::vector<Lexed> tokens;
};

TEST(SqlLexer, SplitsTheDialectsTokens) {
    const std::vector<LexCase> cases = {
        {u"SELECT [Last Name] FROM [Order Details]",
         {{K::Identifier, "SELECT"}, {K::BracketedName, "Last Name"}, {K::Identifier, "FROM"}, {K::BracketedName, "Order Details"}}},
        // Connect prefixes hold ';', '=', '\' and blanks.
        {u"[ODBC;DSN=x;UID=a;PWD=b].dbo.Funds",
         {{K::BracketedName, "ODBC;DSN=x;UID=a;PWD=b"}, {K::Dot, ""}, {K::Identifier, "dbo"}, {K::Dot, ""}, {K::Identifier, "Funds"}}},
        {u"[;database=C:\\data\\x.mdb].T",
         {{K::BracketedName, ";database=C:\\data\\x.mdb"}, {K::Dot, ""}, {K::Identifier, "T"}}},
        // Doubled quotes stand for one; the other quote kind is plain text.
        {u"'O''Brien' \"say \"\"hi\"\"\" 'a\"b'",
         {{K::String, "O'Brien"}, {K::String, "say \"hi\""}, {K::String, "a\"b"}}},
        {u"''", {{K::String, ""}}},
        {u"''''", {{K::String, "'"}}},
        // Wildcards inside a Like pattern are part of the string.
        {u"Name Like '[A-C]*#?'", {{K::Identifier, "Name"}, {K::Identifier, "Like"}, {K::String, "[A-C]*#?"}}},
        {u"#05 Jan 2004# #09-12-2026#", {{K::DateLiteral, "05 Jan 2004"}, {K::DateLiteral, "09-12-2026"}}},
        {u"1234.5 5.4 .5 12000123 1E3 2e-2",
         {{K::Number, "1234.5"}, {K::Number, "5.4"}, {K::Number, ".5"}, {K::Number, "12000123"}, {K::Number, "1E3"}, {K::Number, "2e-2"}}},
        {u"= <> < > <= >= => =< & + - * / \\ ^ ( ) , . ! ;",
         {{K::Equal, ""}, {K::NotEqual, ""}, {K::Less, ""}, {K::Greater, ""}, {K::LessEqual, ""}, {K::GreaterEqual, ""},
          {K::GreaterEqual, ""}, {K::LessEqual, ""}, {K::Ampersand, ""}, {K::Plus, ""}, {K::Minus, ""}, {K::Star, ""},
          {K::Slash, ""}, {K::Backslash, ""}, {K::Caret, ""}, {K::LeftParen, ""}, {K::RightParen, ""}, {K::Comma, ""},
          {K::Dot, ""}, {K::Bang, ""}, {K::Semicolon, ""}}},
        // Operators need no blanks around them.
        {u"a=>5", {{K::Identifier, "a"}, {K::GreaterEqual, ""}, {K::Number, "5"}}},
        {u"x=-1", {{K::Identifier, "x"}, {K::Equal, ""}, {K::Minus, ""}, {K::Number, "1"}}},
        {u"Fee_Procurement_Settled Left$(s,1)",
         {{K::Identifier, "Fee_Procurement_Settled"}, {K::Identifier, "Left$"}, {K::LeftParen, ""}, {K::Identifier, "s"},
          {K::Comma, ""}, {K::Number, "1"}, {K::RightParen, ""}}},
        {u"  \t\r\n  ", {}},
    };
    for (const LexCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(lex(c.text), c.tokens);
    }
}

TEST(SqlLexer, RecognisesKeywordsWithoutRegardToCase) {
    const std::vector<Token> tokens = tokenize(u"select Select SELECT DistinctRow mod Type");
    EXPECT_EQ(tokens[0].keyword, Keyword::Select);
    EXPECT_EQ(tokens[1].keyword, Keyword::Select);
    EXPECT_EQ(tokens[2].keyword, Keyword::Select);
    EXPECT_EQ(tokens[3].keyword, Keyword::DistinctRow);
    EXPECT_EQ(tokens[4].keyword, Keyword::Mod);
    EXPECT_EQ(tokens[5].keyword, Keyword::None);  // Type names a column in the utilities
    EXPECT_EQ(tokens[0].string(), QStringLiteral("select"));
}

TEST(SqlLexer, GivesEveryTokenItsLineColumnAndOffset) {
    // CR LF counts as one line break, as the SQL window's multi-line box writes it.
    const std::vector<Token> tokens = tokenize(u"SELECT *\r\nFROM [My T]\n  WHERE 'x'");
    ASSERT_EQ(tokens.size(), 7u);
    auto expectAt = [](const Token& t, qsizetype offset, int line, int column, qsizetype length) {
        EXPECT_EQ(t.position.offset, offset);
        EXPECT_EQ(t.position.line, line);
        EXPECT_EQ(t.position.column, column);
        EXPECT_EQ(t.length, length);
    };
    expectAt(tokens[0], 0, 1, 1, 6);    // SELECT
    expectAt(tokens[1], 7, 1, 8, 1);    // *
    expectAt(tokens[2], 10, 2, 1, 4);   // FROM
    expectAt(tokens[3], 15, 2, 6, 6);   // [My T]
    expectAt(tokens[4], 24, 3, 3, 5);   // WHERE
    expectAt(tokens[5], 30, 3, 9, 3);   // 'x'
    expectAt(tokens[6], 33, 3, 12, 0);  // end
}

TEST(SqlLexer, StopsAtTextItCannotReadAndSaysWhy) {
    struct ErrorCase {
        const char16_t* text;
        int column;
        const char* reason;
    };
    const std::vector<ErrorCase> cases = {
        {u"a = 'open", 5, "missing closing ' of the string"},
        {u"a = \"open", 5, "missing closing \" of the string"},
        {u"FROM [ODBC;DSN=x", 6, "missing closing ']' of the name"},
        {u"[two\nlines]", 1, "missing closing ']' of the name"},
        {u"d < #05 Jan 2004", 5, "missing closing '#' of the date"},
        {u"[]", 1, "empty name"},
        {u"a ~ b", 3, "unexpected character '~'"},
        {u"a = 1 ? 2", 7, "unexpected character '?'"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        const std::vector<Token> tokens = tokenize(QStringView(c.text));
        ASSERT_GE(tokens.size(), 2u);
        const Token& error = tokens[tokens.size() - 2];
        EXPECT_EQ(error.kind, TokenKind::Error);
        EXPECT_EQ(error.value.toStdString(), c.reason);
        EXPECT_EQ(error.position.column, c.column);
        EXPECT_EQ(tokens.back().kind, TokenKind::End);
    }
}

}  // namespace
}  // namespace veranth::engine::sql

#include "engine/sql/lexer.h"
#include "engine/sql/parser_core.h"

namespace veranth::engine::sql {

namespace {

constexpr qsizetype kLongestQuotedToken = 40;
// Far beyond any statement a person or the program writes, well within the stack.
constexpr int kDeepestNesting = 200;

bool isNameToken(const Token& token) {
    return token.kind == TokenKind::Identifier || token.kind == TokenKind::BracketedName;
}

}  // namespace

Parser::Parser(QStringView source) : source_(source), tokens_(tokenize(source)) {}

Parser::DepthGuard::DepthGuard(Parser& parser) : parser_(parser) {
    if (++parser.depth_ > kDeepestNesting) {
        --parser.depth_;
        parser.failAt(parser.peek(), QStringLiteral("the statement nests more than %1 levels deep").arg(kDeepestNesting));
    }
}

const Token& Parser::take() {
    const Token& token = tokens_[current_];
    if (token.kind != TokenKind::End && token.kind != TokenKind::Error) ++current_;
    lastArea_ = area_;
    return token;
}

bool Parser::accept(TokenKind kind) {
    if (!at(kind)) return false;
    take();
    return true;
}

bool Parser::accept(Keyword keyword) {
    if (!at(keyword)) return false;
    take();
    return true;
}

const Token& Parser::expect(TokenKind kind, const char* what) {
    if (!at(kind)) fail(QString::fromLatin1(what));
    return take();
}

void Parser::expect(Keyword keyword) {
    if (!accept(keyword)) fail(keywordText(keyword));
}

QString Parser::describe(const Token& token) const {
    if (token.kind == TokenKind::End) return QStringLiteral("the end of the statement");
    QString text = source_.mid(token.position.offset, token.length).toString();
    if (text.size() > kLongestQuotedToken) text = text.left(kLongestQuotedToken) + QStringLiteral("...");
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

void Parser::fail(const QString& expected) const {
    const Token& token = peek();
    if (token.kind == TokenKind::Error) failAt(token, token.value);
    failAt(token, QStringLiteral("expected %1 but found %2").arg(expected, describe(token)));
}

void Parser::failAt(const Token& token, const QString& detail) const {
    throw SqlSyntaxError(area_, detail, token.position);
}

void Parser::expectEnd(const char* what) {
    if (at(TokenKind::End)) return;
    if (at(TokenKind::Error)) fail(QString());
    failAt(peek(), QStringLiteral("expected the end of the %1 but found %2").arg(QLatin1String(what), describe(peek())));
}

bool Parser::atNamePart(size_t ahead) const {
    const Token& token = peek(ahead);
    if (token.kind == TokenKind::BracketedName) return true;
    return token.kind == TokenKind::Identifier && !isReserved(token.keyword);
}

QString Parser::namePart(const char* what) {
    if (!atNamePart()) fail(QString::fromLatin1(what));
    return take().string();
}

bool Parser::atQualifiedStar() const {
    if (!atNamePart()) return false;
    for (size_t i = 1;; i += 2) {
        if (!at(TokenKind::Dot, i)) return false;
        if (at(TokenKind::Star, i + 1)) return true;
        if (!isNameToken(peek(i + 1))) return false;
    }
}

QStringList Parser::qualifiedStar() {
    QStringList qualifier{take().string()};
    while (true) {
        take();  // the dot
        if (accept(TokenKind::Star)) return qualifier;
        qualifier.append(take().string());
    }
}

// After a dot or a bang any word names a member: t.Order and Forms!Main need no brackets.
QStringList Parser::qualifiedName(const char* what) {
    QStringList parts{namePart(what)};
    while ((at(TokenKind::Dot) || at(TokenKind::Bang)) && isNameToken(peek(1))) {
        take();
        parts.append(take().string());
    }
    return parts;
}

TableName Parser::tableName() {
    TableName name;
    name.position = peek().position;
    if (at(TokenKind::BracketedName) && peek().text.contains(u';') && at(TokenKind::Dot, 1)) {
        name.connect = take().string();
        take();
        if (!isNameToken(peek())) fail(QStringLiteral("a table name after the database prefix"));
        name.parts.append(take().string());
        while (at(TokenKind::Dot) && isNameToken(peek(1))) {
            take();
            name.parts.append(take().string());
        }
        return name;
    }
    name.parts = qualifiedName("a table name");
    return name;
}

QString Parser::optionalAlias() {
    if (accept(Keyword::As)) return namePart("an alias");
    if (atNamePart()) return take().string();
    return {};
}

QStringList Parser::nameList(const char* what) {
    expect(TokenKind::LeftParen, "'('");
    QStringList names;
    do {
        names.append(namePart(what));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RightParen, "')'");
    return names;
}

}  // namespace veranth::engine::sql

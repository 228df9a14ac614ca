#include "engine/sql/lexer.h"

namespace veranth::engine::sql {

Lexer::Lexer(QStringView source) : source_(source) {}

QChar Lexer::peek(qsizetype ahead) const {
    const qsizetype at = offset_ + ahead;
    return at < source_.size() ? source_[at] : QChar();
}

void Lexer::advance() {
    const QChar c = source_[offset_++];
    // CR LF is one line break; a lone CR or LF is one too.
    if (c == u'\n' || (c == u'\r' && peek() != u'\n')) {
        ++line_;
        column_ = 1;
    } else {
        ++column_;
    }
}

QStringView Lexer::since(const SourcePosition& start) const {
    return source_.mid(start.offset, offset_ - start.offset);
}

Token Lexer::make(TokenKind kind, const SourcePosition& start, QStringView text) const {
    Token token;
    token.kind = kind;
    token.text = text;
    token.position = start;
    token.length = offset_ - start.offset;
    return token;
}

Token Lexer::fail(const SourcePosition& start, QString reason) {
    failed_ = true;
    Token token = make(TokenKind::Error, start);
    token.value = std::move(reason);
    return token;
}

void Lexer::skipSpace() {
    while (offset_ < source_.size() && source_[offset_].isSpace()) advance();
}

Token Lexer::next() {
    if (failed_) return make(TokenKind::End, {offset_, line_, column_});
    skipSpace();
    const SourcePosition start{offset_, line_, column_};
    if (offset_ >= source_.size()) return make(TokenKind::End, start);

    const QChar c = peek();
    if (c.isLetter() || c == u'_') return identifier(start);
    if (c.isDigit() || (c == u'.' && peek(1).isDigit())) return number(start);
    if (c == u'\'' || c == u'"') return quoted(start, c);
    if (c == u'[') return delimited(start, u']', "name");
    if (c == u'#') return delimited(start, u'#', "date");
    return symbol(start);
}

Token Lexer::identifier(const SourcePosition& start) {
    while (peek().isLetterOrNumber() || peek() == u'_') advance();
    // The string functions' $ forms (Left$, Format$, ...) are names too.
    if (peek() == u'$') advance();
    Token token = make(TokenKind::Identifier, start, since(start));
    token.keyword = keywordOf(token.text);
    return token;
}

Token Lexer::number(const SourcePosition& start) {
    while (peek().isDigit()) advance();
    if (peek() == u'.') {
        advance();
        while (peek().isDigit()) advance();
    }
    const QChar e = peek();
    if ((e == u'e' || e == u'E') &&
        (peek(1).isDigit() || ((peek(1) == u'+' || peek(1) == u'-') && peek(2).isDigit()))) {
        advance();
        if (peek() == u'+' || peek() == u'-') advance();
        while (peek().isDigit()) advance();
    }
    return make(TokenKind::Number, start, since(start));
}

Token Lexer::quoted(const SourcePosition& start, QChar quote) {
    advance();
    const qsizetype first = offset_;
    bool doubled = false;
    while (true) {
        if (offset_ >= source_.size())
            return fail(start, QStringLiteral("missing closing %1 of the string").arg(quote));
        if (peek() == quote) {
            if (peek(1) != quote) break;
            doubled = true;
            advance();
        }
        advance();
    }
    const QStringView inner = source_.mid(first, offset_ - first);
    advance();
    Token token = make(TokenKind::String, start, inner);
    token.value = inner.toString();
    // A doubled quote stands for one.
    if (doubled) token.value.replace(QString(2, quote), QString(quote));
    return token;
}

// [name] and #date#: the text up to the closing mark, kept as written.
Token Lexer::delimited(const SourcePosition& start, QChar close, const char* what) {
    advance();
    const qsizetype first = offset_;
    while (offset_ < source_.size() && peek() != close && peek() != u'\n' && peek() != u'\r') advance();
    if (peek() != close)
        return fail(start, QStringLiteral("missing closing '%1' of the %2").arg(close).arg(QLatin1String(what)));
    const QStringView inner = source_.mid(first, offset_ - first);
    advance();
    if (inner.trimmed().isEmpty()) return fail(start, QStringLiteral("empty %1").arg(QLatin1String(what)));
    return make(close == u']' ? TokenKind::BracketedName : TokenKind::DateLiteral, start, inner);
}

Token Lexer::symbol(const SourcePosition& start) {
    const QChar c = peek();
    const QChar following = peek(1);
    auto single = [&](TokenKind kind) {
        advance();
        return make(kind, start);
    };
    auto pair = [&](TokenKind kind) {
        advance();
        advance();
        return make(kind, start);
    };
    switch (c.unicode()) {
        case u'=':
            if (following == u'>') return pair(TokenKind::GreaterEqual);
            if (following == u'<') return pair(TokenKind::LessEqual);
            return single(TokenKind::Equal);
        case u'<':
            if (following == u'>') return pair(TokenKind::NotEqual);
            if (following == u'=') return pair(TokenKind::LessEqual);
            return single(TokenKind::Less);
        case u'>':
            if (following == u'=') return pair(TokenKind::GreaterEqual);
            return single(TokenKind::Greater);
        case u'&': return single(TokenKind::Ampersand);
        case u'+': return single(TokenKind::Plus);
        case u'-': return single(TokenKind::Minus);
        case u'*': return single(TokenKind::Star);
        case u'/': return single(TokenKind::Slash);
        case u'\\': return single(TokenKind::Backslash);
        case u'^': return single(TokenKind::Caret);
        case u'(': return single(TokenKind::LeftParen);
        case u')': return single(TokenKind::RightParen);
        case u',': return single(TokenKind::Comma);
        case u'.': return single(TokenKind::Dot);
        case u'!': return single(TokenKind::Bang);
        case u';': return single(TokenKind::Semicolon);
        default: break;
    }
    advance();
    return fail(start, QStringLiteral("unexpected character '%1'").arg(c));
}

std::vector<Token> tokenize(QStringView source) {
    Lexer lexer(source);
    std::vector<Token> tokens;
    tokens.reserve(static_cast<size_t>(source.size() / 4 + 2));
    do {
        tokens.push_back(lexer.next());
    } while (tokens.back().kind != TokenKind::End);
    return tokens;
}

}  // namespace veranth::engine::sql

#include "engine/like.h"

namespace veranth::engine {

namespace {

bool sameLetter(QChar a, QChar b) { return a == b || a.toCaseFolded() == b.toCaseFolded(); }

// Matches one "[...]" list at pattern[p] (just after '['); sets `end` past the closing ']'.
bool matchList(QChar c, const QString& pattern, qsizetype p, qsizetype& end) {
    bool negate = false;
    if (p < pattern.size() && pattern[p] == QLatin1Char('!')) {
        negate = true;
        ++p;
    }
    bool found = false;
    bool first = true;
    while (p < pattern.size() && (first || pattern[p] != QLatin1Char(']'))) {
        first = false;
        const QChar low = pattern[p];
        if (p + 2 < pattern.size() && pattern[p + 1] == QLatin1Char('-') && pattern[p + 2] != QLatin1Char(']')) {
            const QChar high = pattern[p + 2];
            const QChar folded = c.toCaseFolded();
            if ((c >= low && c <= high) || (folded >= low.toCaseFolded() && folded <= high.toCaseFolded())) found = true;
            p += 3;
        } else {
            if (sameLetter(c, low)) found = true;
            ++p;
        }
    }
    end = p + 1;  // past ']' (or past the end for an unclosed list)
    return found != negate;
}

}  // namespace

bool likeMatch(const QString& text, const QString& pattern) {
    // Iterative match with one backtrack point for the last '*', linear in practice.
    qsizetype t = 0, p = 0;
    qsizetype starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const QChar pc = pattern[p];
            if (pc == QLatin1Char('*')) {
                starP = p++;
                starT = t;
                continue;
            }
            if (pc == QLatin1Char('?')) {
                ++p;
                ++t;
                continue;
            }
            if (pc == QLatin1Char('#')) {
                if (text[t].isDigit()) {
                    ++p;
                    ++t;
                    continue;
                }
            } else if (pc == QLatin1Char('[')) {
                qsizetype end = p;
                if (matchList(text[t], pattern, p + 1, end)) {
                    p = end;
                    ++t;
                    continue;
                }
            } else if (sameLetter(text[t], pc)) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP < 0) return false;
        p = starP + 1;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
    return p == pattern.size();
}

}  // namespace veranth::engine

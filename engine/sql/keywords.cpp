#include "engine/sql/keywords.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace veranth::engine::sql {

namespace {

struct KeywordEntry {
    const char16_t* word;
    Keyword keyword;
    bool reserved;
};

// Sorted by word (upper case) for binary search.
constexpr std::array kKeywords{
    KeywordEntry{u"ADD", Keyword::Add, false},
    KeywordEntry{u"ALL", Keyword::All, true},
    KeywordEntry{u"ALTER", Keyword::Alter, false},
    KeywordEntry{u"AND", Keyword::And, true},
    KeywordEntry{u"ANY", Keyword::Any, false},
    KeywordEntry{u"AS", Keyword::As, true},
    KeywordEntry{u"ASC", Keyword::Asc, true},
    KeywordEntry{u"BETWEEN", Keyword::Between, true},
    KeywordEntry{u"BY", Keyword::By, true},
    KeywordEntry{u"COLUMN", Keyword::Column, false},
    KeywordEntry{u"CONSTRAINT", Keyword::Constraint, true},
    KeywordEntry{u"CREATE", Keyword::Create, false},
    KeywordEntry{u"DEFAULT", Keyword::Default, false},
    KeywordEntry{u"DELETE", Keyword::Delete, true},
    KeywordEntry{u"DESC", Keyword::Desc, true},
    KeywordEntry{u"DISALLOW", Keyword::Disallow, false},
    KeywordEntry{u"DISTINCT", Keyword::Distinct, true},
    KeywordEntry{u"DISTINCTROW", Keyword::DistinctRow, true},
    KeywordEntry{u"DROP", Keyword::Drop, false},
    KeywordEntry{u"EQV", Keyword::Eqv, true},
    KeywordEntry{u"EXISTS", Keyword::Exists, true},
    KeywordEntry{u"FALSE", Keyword::False, true},
    KeywordEntry{u"FOREIGN", Keyword::Foreign, false},
    KeywordEntry{u"FROM", Keyword::From, true},
    KeywordEntry{u"GROUP", Keyword::Group, true},
    KeywordEntry{u"HAVING", Keyword::Having, true},
    KeywordEntry{u"IGNORE", Keyword::Ignore, false},
    KeywordEntry{u"IMP", Keyword::Imp, true},
    KeywordEntry{u"IN", Keyword::In, true},
    KeywordEntry{u"INDEX", Keyword::Index, false},
    KeywordEntry{u"INNER", Keyword::Inner, true},
    KeywordEntry{u"INSERT", Keyword::Insert, true},
    KeywordEntry{u"INTO", Keyword::Into, true},
    KeywordEntry{u"IS", Keyword::Is, true},
    KeywordEntry{u"JOIN", Keyword::Join, true},
    KeywordEntry{u"KEY", Keyword::Key, false},
    KeywordEntry{u"LEFT", Keyword::Left, true},
    KeywordEntry{u"LIKE", Keyword::Like, true},
    KeywordEntry{u"MOD", Keyword::Mod, true},
    KeywordEntry{u"NOT", Keyword::Not, true},
    KeywordEntry{u"NULL", Keyword::Null, true},
    KeywordEntry{u"ON", Keyword::On, true},
    KeywordEntry{u"OPTION", Keyword::Option, false},
    KeywordEntry{u"OR", Keyword::Or, true},
    KeywordEntry{u"ORDER", Keyword::Order, true},
    KeywordEntry{u"OUTER", Keyword::Outer, true},
    KeywordEntry{u"OWNERACCESS", Keyword::OwnerAccess, false},
    KeywordEntry{u"PARAMETERS", Keyword::Parameters, true},
    KeywordEntry{u"PERCENT", Keyword::Percent, true},
    KeywordEntry{u"PIVOT", Keyword::Pivot, true},
    KeywordEntry{u"PRIMARY", Keyword::Primary, false},
    KeywordEntry{u"REFERENCES", Keyword::References, false},
    KeywordEntry{u"RIGHT", Keyword::Right, true},
    KeywordEntry{u"SELECT", Keyword::Select, true},
    KeywordEntry{u"SET", Keyword::Set, true},
    KeywordEntry{u"SOME", Keyword::Some, false},
    KeywordEntry{u"TABLE", Keyword::Table, false},
    KeywordEntry{u"TOP", Keyword::Top, true},
    KeywordEntry{u"TRANSFORM", Keyword::Transform, true},
    KeywordEntry{u"TRUE", Keyword::True, true},
    KeywordEntry{u"UNION", Keyword::Union, true},
    KeywordEntry{u"UNIQUE", Keyword::Unique, false},
    KeywordEntry{u"UPDATE", Keyword::Update, true},
    KeywordEntry{u"VALUES", Keyword::Values, true},
    KeywordEntry{u"WHERE", Keyword::Where, true},
    KeywordEntry{u"WITH", Keyword::With, true},
    KeywordEntry{u"XOR", Keyword::Xor, true},
};

constexpr qsizetype kLongestKeyword = 11;

// Every identifier goes through here, so the word is upper-cased into a small buffer once and
// searched for as plain code units.
const KeywordEntry* findEntry(QStringView word) {
    std::array<char16_t, kLongestKeyword> upper{};
    for (qsizetype i = 0; i < word.size(); ++i) {
        char16_t c = word[i].unicode();
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        else if (c < u'A' || c > u'Z') return nullptr;  // keywords are plain letters
        upper[static_cast<size_t>(i)] = c;
    }
    const std::u16string_view key(upper.data(), static_cast<size_t>(word.size()));
    const auto* found = std::lower_bound(kKeywords.begin(), kKeywords.end(), key,
                                         [](const KeywordEntry& entry, std::u16string_view k) {
                                             return std::u16string_view(entry.word) < k;
                                         });
    return found != kKeywords.end() && std::u16string_view(found->word) == key ? found : nullptr;
}

// The parser asks this for nearly every token, so it is a table lookup by keyword.
const KeywordEntry* entryFor(Keyword keyword) {
    static const auto byKeyword = [] {
        std::array<const KeywordEntry*, static_cast<size_t>(Keyword::Xor) + 1> table{};
        for (const KeywordEntry& entry : kKeywords) table[static_cast<size_t>(entry.keyword)] = &entry;
        return table;
    }();
    return byKeyword[static_cast<size_t>(keyword)];
}

}  // namespace

Keyword keywordOf(QStringView word) {
    if (word.size() < 2 || word.size() > kLongestKeyword) return Keyword::None;
    const KeywordEntry* entry = findEntry(word);
    return entry ? entry->keyword : Keyword::None;
}

QString keywordText(Keyword keyword) {
    const KeywordEntry* entry = entryFor(keyword);
    return entry ? QString::fromUtf16(entry->word) : QString();
}

bool isReserved(Keyword keyword) {
    const KeywordEntry* entry = entryFor(keyword);
    return entry && entry->reserved;
}

}  // namespace veranth::engine::sql

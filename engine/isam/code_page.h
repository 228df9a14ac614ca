#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace veranth::engine::isam {

// The encoding of the text in a table file: a single-byte code page, Latin-1 or UTF-8.
// Windows-1252 is what files without a mark are taken to hold.
class CodePage {
public:
    static constexpr int kUtf8 = 65001;
    static constexpr int kLatin1 = 28591;

    static CodePage windows1252() { return CodePage(1252); }
    static CodePage utf8() { return CodePage(kUtf8); }
    // 437, 850, 852, 866, 1250-1254, 28591 (Latin-1), 65001 (UTF-8).
    static std::optional<CodePage> byNumber(int number);
    // The forms .cpg files and schema.ini write: "1252", "ANSI 1252", "CP1252", "windows-1252",
    // "UTF-8", "UTF8", "65001", "ISO-8859-1", "LATIN1", "ANSI" (1252), "OEM" (437).
    static std::optional<CodePage> byName(const QString& name);

    int number() const { return number_; }
    bool isUtf8() const { return number_ == kUtf8; }
    // The name written into .cpg and schema.ini files.
    QString name() const;

    QString decode(const char* data, qsizetype size) const;
    QString decode(const QByteArray& bytes) const { return decode(bytes.constData(), bytes.size()); }
    // Appends the bytes of `text`; false (with `unencodable` set) when a character has no
    // byte in this code page: such text is refused, never replaced by '?'.
    bool encode(const QString& text, QByteArray& out, QChar* unencodable = nullptr) const;

    // Single-byte pages only: writes the bytes of `text` into `out` (room for `capacity`),
    // returning how many; -1 when it needs more room, -2 (with `unencodable` set) when a
    // character has no byte here.
    qsizetype encodeInto(const QString& text, char* out, qsizetype capacity, QChar* unencodable = nullptr) const;

    friend bool operator==(const CodePage& a, const CodePage& b) { return a.number_ == b.number_; }

private:
    explicit CodePage(int number) : number_(number) {}
    int number_;
};

}  // namespace veranth::engine::isam

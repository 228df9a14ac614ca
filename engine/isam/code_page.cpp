#include "engine/isam/code_page.h"

#include "engine/isam/code_page_tables.h"

#include <QHash>
#include <QRegularExpression>

#include <array>
#include <memory>
#include <mutex>

namespace veranth::engine::isam {

namespace {

constexpr std::array<int, 9> kSingleByte = {437, 850, 852, 866, 1250, 1251, 1252, 1253, 1254};

// Character -> byte for the upper half of one page, built on first use.
const QHash<char16_t, char>& reverseOf(int number) {
    static std::mutex mutex;
    static QHash<int, std::shared_ptr<QHash<char16_t, char>>> built;
    std::lock_guard lock(mutex);
    auto& slot = built[number];
    if (!slot) {
        slot = std::make_shared<QHash<char16_t, char>>();
        const char16_t* upper = upperHalfOf(number);
        for (int i = 0; i < 128; ++i) slot->insert(upper[i], static_cast<char>(0x80 + i));
    }
    return *slot;
}

}  // namespace

std::optional<CodePage> CodePage::byNumber(int number) {
    if (number == kUtf8 || number == kLatin1) return CodePage(number);
    for (int n : kSingleByte)
        if (n == number) return CodePage(number);
    return std::nullopt;
}

std::optional<CodePage> CodePage::byName(const QString& given) {
    const QString name = given.trimmed().toUpper();
    if (name == QLatin1String("UTF-8") || name == QLatin1String("UTF8")) return utf8();
    if (name == QLatin1String("ANSI")) return windows1252();
    if (name == QLatin1String("OEM")) return CodePage(437);
    if (name == QLatin1String("ISO-8859-1") || name == QLatin1String("ISO8859-1") || name == QLatin1String("LATIN1") ||
        name == QLatin1String("ISO_8859_1"))
        return CodePage(kLatin1);
    static const QRegularExpression numbered(QStringLiteral("^(?:ANSI|OEM|CP|WINDOWS-|IBM)?\\s*(\\d{3,5})$"));
    const auto match = numbered.match(name);
    if (match.hasMatch()) return byNumber(match.captured(1).toInt());
    return std::nullopt;
}

QString CodePage::name() const {
    if (isUtf8()) return QStringLiteral("UTF-8");
    if (number_ == kLatin1) return QStringLiteral("ISO-8859-1");
    return QString::number(number_);
}

QString CodePage::decode(const char* data, qsizetype size) const {
    if (isUtf8()) return QString::fromUtf8(data, size);
    if (number_ == kLatin1) return QString::fromLatin1(data, size);
    const char16_t* upper = upperHalfOf(number_);
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = b < 0x80 ? QChar(b) : QChar(upper[b - 0x80]);
    }
    return out;
}

qsizetype CodePage::encodeInto(const QString& text, char* out, qsizetype capacity, QChar* unencodable) const {
    if (text.size() > capacity) return -1;
    const QHash<char16_t, char>* reverse = number_ == kLatin1 ? nullptr : &reverseOf(number_);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out[i] = static_cast<char>(c);
        } else if (!reverse && c <= 0xFF) {
            out[i] = static_cast<char>(c);
        } else if (auto it = reverse ? reverse->constFind(c) : QHash<char16_t, char>::const_iterator(); reverse && it != reverse->constEnd()) {
            out[i] = *it;
        } else {
            if (unencodable) *unencodable = text[i];
            return -2;
        }
    }
    return text.size();
}

bool CodePage::encode(const QString& text, QByteArray& out, QChar* unencodable) const {
    if (isUtf8()) {
        out += text.toUtf8();
        return true;
    }
    const QHash<char16_t, char>* reverse = number_ == kLatin1 ? nullptr : &reverseOf(number_);
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* dst = out.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            dst[i] = static_cast<char>(c);
            continue;
        }
        if (!reverse) {
            if (c <= 0xFF) {
                dst[i] = static_cast<char>(c);
                continue;
            }
        } else if (auto it = reverse->constFind(c); it != reverse->constEnd()) {
            dst[i] = *it;
            continue;
        }
        out.resize(start);
        if (unencodable) *unencodable = text[i];
        return false;
    }
    return true;
}

}  // namespace veranth::engine::isam

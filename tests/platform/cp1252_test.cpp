#include "platform/cp1252.h"

#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

TEST(PlatformCp1252, MapsTheHighRangeBothWays) {
    const struct {
        unsigned char byte;
        char16_t character;
    } cases[] = {{0x41, u'A'}, {0x80, u'\u20ac'}, {0x92, u'\u2019'}, {0x96, u'\u2013'}, {0x9f, u'\u0178'},
                 {0xa3, u'\u00a3'}, {0xe9, u'\u00e9'}, {0xff, u'\u00ff'}, {0x81, u'\u0081'}};
    for (const auto& c : cases) {
        const QByteArray byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(DecodeCp1252(byte), QString(QChar(c.character))) << int(c.byte);
        bool lossless = false;
        EXPECT_EQ(EncodeCp1252(QString(QChar(c.character)), &lossless), byte) << int(c.byte);
        EXPECT_TRUE(lossless);
    }
}

TEST(PlatformCp1252, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    EXPECT_EQ(EncodeCp1252(DecodeCp1252(all)), all);
}

TEST(PlatformCp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    bool lossless = true;
    EXPECT_EQ(EncodeCp1252(QStringLiteral("a\u0416b\U0001F600c"), &lossless), QByteArray("a?b?c"));
    EXPECT_FALSE(lossless);
}

}  // namespace
}  // namespace veranth::platform

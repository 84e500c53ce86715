// SPDX-License-Identifier: MIT
#include "platform/cp932.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

// What the system's iconv makes of the text: the reference for the mapping.
QByteArray iconvCp932(const QString &text)
{
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"),
        { QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"), QStringLiteral("CP932") });
    if (!iconv.waitForStarted())
        return {};
    iconv.write(text.toUtf8());
    iconv.closeWriteChannel();
    iconv.waitForFinished();
    return iconv.readAllStandardOutput();
}

class Cp932RoundTrip : public ::testing::TestWithParam<const char16_t *> { };

TEST_P(Cp932RoundTrip, MatchesMicrosoftTableAndReadsBack)
{
    const QString text = QString::fromUtf16(GetParam());
    bool unmappable = true;
    const QByteArray bytes = cp932::encode(text, &unmappable);
    EXPECT_FALSE(unmappable);
    const QByteArray reference = iconvCp932(text);
    ASSERT_FALSE(reference.isEmpty()) << "iconv is needed as the reference";
    EXPECT_EQ(bytes.toHex(), reference.toHex());
    bool invalid = true;
    EXPECT_EQ(cp932::decode(bytes, &invalid), text);
    EXPECT_FALSE(invalid);
}

// The characters that differ between plain JIS and Microsoft's table, the
// NEC specials the screens use, and half-width katakana.
INSTANTIATE_TEST_SUITE_P(Characters, Cp932RoundTrip,
    ::testing::Values(u"－", u"～", u"①②⑥", u"ⅠⅡⅢ", u"★先生", u"ｸﾘｱﾎﾟｲﾝﾄ", u"ﾊﾞｰｼﾞｮﾝ情報", u"レベル３－２",
        u"12345みなみ学習塾", u"　"),
    [](const auto &info) { return "text" + std::to_string(info.index); });

TEST(Cp932, KnownBytesOfTheFullWidthHyphenAndWave)
{
    EXPECT_EQ(cp932::encode(QStringLiteral("－")), QByteArray("\x81\x7C"));
    EXPECT_EQ(cp932::encode(QStringLiteral("～")), QByteArray("\x81\x60"));
    EXPECT_EQ(cp932::encode(QStringLiteral("①")), QByteArray("\x87\x40"));
}

TEST(Cp932, InvalidBytesDecodeWithoutCrashAndAreFlagged)
{
    bool invalid = false;
    const QString text = cp932::decode(QByteArray("A\x81\xFF"
                                                  "B\x82",
                                           5),
        &invalid);
    EXPECT_TRUE(invalid);
    EXPECT_TRUE(text.startsWith(QLatin1Char('A')));
    EXPECT_TRUE(text.contains(QLatin1Char('B')));
}

TEST(Cp932, UnmappableCharactersAreFlagged)
{
    bool unmappable = false;
    cp932::encode(QStringLiteral("😀"), &unmappable);
    EXPECT_TRUE(unmappable);
}

} // namespace

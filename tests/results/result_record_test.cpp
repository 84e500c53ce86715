// SPDX-License-Identifier: MIT
#include "results/result_record.h"
#include "results/results_file.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// The bytes another copy of the program writes, laid down by hand.
QByteArray handBuiltRecord()
{
    QByteArray b(44, '\0');
    const double date = 46365.0; // 2026-12-09
    const double time = 0.4375; // 10:30
    std::memcpy(b.data(), &date, 8); // this machine is little-endian
    std::memcpy(b.data() + 8, &time, 8);
    b[16] = char(0x39); // pupil 0x1339 = 4921
    b[17] = char(0x13);
    b[18] = char(0x04); // level 4
    b[19] = char(0x00);
    b[20] = char(0x9F); // 99999 = 0x0001869F
    b[21] = char(0x86);
    b[22] = char(0x01);
    b[23] = char(0x00);
    std::memcpy(b.data() + 24, "12345", 5);
    std::memcpy(b.data() + 29, "     ", 5);
    std::memcpy(b.data() + 34, "0    ", 5);
    return b;
}

TEST(ResultRecordLayout, EncodesEveryFieldAtItsOffset)
{
    ResultRecord r;
    r.date = 46365.0;
    r.timeOfDay = 0.4375;
    r.pupilNumber = 4921;
    r.level = 4;
    r.seconds = 99999;
    std::memcpy(r.schoolCode.data(), "12345", 5);
    EXPECT_EQ(encodeRecord(r).toHex(' '), handBuiltRecord().toHex(' '));
}

TEST(ResultRecordLayout, DecodesHandBuiltBytesAndRoundTrips)
{
    const QByteArray b = handBuiltRecord();
    const ResultRecord r = decodeRecord(b.constData());
    EXPECT_EQ(r.date, 46365.0);
    EXPECT_EQ(r.timeOfDay, 0.4375);
    EXPECT_EQ(r.pupilNumber, 4921);
    EXPECT_EQ(r.level, 4);
    EXPECT_EQ(r.seconds, 99999);
    EXPECT_EQ(QByteArray(r.schoolCode.data(), 5), QByteArray("12345"));
    EXPECT_EQ(encodeRecord(r), b);
}

TEST(ResultRecordLayout, NegativeNumbersAreTwosComplementLittleEndian)
{
    ResultRecord r;
    r.pupilNumber = -2;
    r.level = -1;
    r.seconds = -3;
    const QByteArray b = encodeRecord(r);
    EXPECT_EQ(b.mid(16, 8).toHex(),
        QByteArray("feffffff"
                   "fdffffff"));
}

struct SchoolCodeCase {
    const char16_t *code;
    QByteArray field;
};

class SchoolCodeField : public ::testing::TestWithParam<SchoolCodeCase> { };

TEST_P(SchoolCodeField, IsFiveCp932BytesNeverSplittingACharacter)
{
    const auto field = schoolCodeField(QString::fromUtf16(GetParam().code));
    EXPECT_EQ(QByteArray(field.data(), 5), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(Codes, SchoolCodeField,
    ::testing::Values(SchoolCodeCase { u"", QByteArray("     ") }, SchoolCodeCase { u"123", QByteArray("123  ") },
        SchoolCodeCase { u"12345", QByteArray("12345") }, SchoolCodeCase { u"1234567", QByteArray("12345") },
        // 学 is two bytes (0x8A 0x77): two fit, the third would be split.
        SchoolCodeCase { u"学学学", QByteArray("\x8A\x77\x8A\x77 ") },
        SchoolCodeCase { u"1学学", QByteArray("1\x8A\x77\x8A\x77") },
        SchoolCodeCase { u"12学学", QByteArray("12\x8A\x77 ") },
        // Half-width katakana is one byte in CP932.
        SchoolCodeCase { u"ｱｲｳｴｵｶ", QByteArray("\xB1\xB2\xB3\xB4\xB5") }));

} // namespace

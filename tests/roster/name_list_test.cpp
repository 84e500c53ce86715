// SPDX-License-Identifier: MIT
#include "roster/name_list.h"
#include "state/shared_state.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kName4 = QStringLiteral("山田花子");
const QString kSp = QString(kIdeographicSpace);

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

TEST(NameListLine, ModeZeroExample)
{
    const PupilStats stats { 3, 12, 0, 0 };
    EXPECT_EQ(DisplayText(0, ListGradeLabel(2), kName4 + blanks(16), stats),
        QStringLiteral("小2 ") + kName4 + kSp + kSp + QStringLiteral("  3回/   12回"));
}

struct ModeCase {
    int mode;
    QString columns; // left "/" right for the stats 3, 12, 45, 1234
};

class NameListModes : public ::testing::TestWithParam<ModeCase> { };

TEST_P(NameListModes, ShowTheirTwoColumns)
{
    const PupilStats stats { 3, 12, 45, 1234 };
    EXPECT_EQ(DisplayText(GetParam().mode, ListGradeLabel(4), kName4, stats),
        QStringLiteral("小4 ") + kName4 + kSp + kSp + GetParam().columns);
}

INSTANTIATE_TEST_SUITE_P(EachMode, NameListModes,
    ::testing::Values(ModeCase { 0, QStringLiteral("  3回/   12回") }, ModeCase { 1, QStringLiteral("  45/   1234") },
        ModeCase { 2, QStringLiteral("  45/  3回") }, ModeCase { 3, QStringLiteral("   1234/   12回") }));

// Zero sums show blanks as wide as a number would be, counting an
// ideographic space and "回" as two columns.
int displayColumns(const QString &text)
{
    int columns = 0;
    for (QChar c : text)
        columns += c.unicode() < 0x80 ? 1 : 2;
    return columns;
}

TEST(NameListColumns, ZeroTextsAreBlanksOfTheNumbersWidth)
{
    EXPECT_EQ(ColumnC1(0), blanks(5));
    EXPECT_EQ(ColumnC2(0), blanks(5) + kSp);
    EXPECT_EQ(ColumnC3(0), blanks(2) + kSp);
    EXPECT_EQ(ColumnC4(0), blanks(7));
    EXPECT_EQ(displayColumns(ColumnC1(0)), displayColumns(ColumnC1(7)));
    EXPECT_EQ(displayColumns(ColumnC2(0)), displayColumns(ColumnC2(7)));
    EXPECT_EQ(displayColumns(ColumnC3(0)), displayColumns(ColumnC3(7)));
    EXPECT_EQ(displayColumns(ColumnC4(0)), displayColumns(ColumnC4(7)));
}

TEST(NameListColumns, LongNumbersLoseTheirLeadingDigits)
{
    EXPECT_EQ(ColumnC1(1234), QStringLiteral("234回"));
    EXPECT_EQ(ColumnC1(99), QStringLiteral(" 99回"));
    EXPECT_EQ(ColumnC2(123456), QStringLiteral("23456回"));
    EXPECT_EQ(ColumnC3(98765), QStringLiteral("8765"));
    EXPECT_EQ(ColumnC4(123456789), QStringLiteral("3456789"));
    EXPECT_EQ(ColumnC4(1), blanks(6) + QStringLiteral("1"));
}

TEST(NameListLine, ZeroStatisticsKeepTheLineWidth)
{
    const PupilStats none {};
    for (int mode = 0; mode < kDisplayModes; ++mode) {
        const PupilStats some { 3, 12, 45, 1234 };
        EXPECT_EQ(displayColumns(DisplayText(mode, ListGradeLabel(3), kName4, none)),
            displayColumns(DisplayText(mode, ListGradeLabel(3), kName4, some)))
            << mode;
    }
}

struct WidthCase {
    int mode;
    int grade;
    int width; // label + blank + name + filler, in characters
};

class NameColumnWidth : public ::testing::TestWithParam<WidthCase> { };

TEST_P(NameColumnWidth, KindergartenIsWiderExceptInModeOne)
{
    const QString text = DisplayText(GetParam().mode, ListGradeLabel(GetParam().grade), QStringLiteral("青木"), {});
    // Zero columns start with a blank, so the filler ends at the first
    // character after the name that is not an ideographic space.
    qsizetype end = 5; // past label, blank and the two-character name
    while (end < text.size() && text[end] == kIdeographicSpace)
        ++end;
    EXPECT_EQ(end, GetParam().width) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(ModesAndBands, NameColumnWidth,
    ::testing::Values(WidthCase { 0, 0, 11 }, WidthCase { 1, 0, 9 }, WidthCase { 2, -2, 11 }, WidthCase { 3, -5, 11 },
        WidthCase { 1, -5, 9 }, WidthCase { 0, 1, 9 }, WidthCase { 2, 8, 9 }, WidthCase { 3, 13, 9 }));

TEST(NameListLine, NamesAreTrimmedOfBlanksOnly)
{
    const QString text = DisplayText(1, ListGradeLabel(1), QStringLiteral("  林 まゆ") + kSp + blanks(12), {});
    EXPECT_TRUE(text.startsWith(QStringLiteral("小1 林 まゆ") + kSp + kSp)) << text.toStdString();
}

TEST(NameListLine, ATooLongNameGetsNoFiller)
{
    const QString name = QStringLiteral("寿限無寿限無五劫の擦り切れ");
    const QString text = DisplayText(1, ListGradeLabel(1), name, {});
    EXPECT_EQ(text, QStringLiteral("小1 ") + name + ColumnC3(0) + QStringLiteral("/") + ColumnC4(0));
}

TEST(PupilStatistics, SumLevelsOneToThirtyFive)
{
    auto state = std::make_unique<SharedState>();
    state->TodayRunCount(1, 9) = 2;
    state->TodayRunCount(35, 9) = 1;
    state->TodayRunCount(0, 9) = 50; // slot 0 belongs to no level
    state->TotalRunCount(4, 9) = 7;
    state->TodayPoints(2, 9) = 11;
    state->TotalPoints(3, 9) = 40000;
    state->TotalPoints(3, 10) = 5; // another pupil
    const PupilStats stats = PupilStatsOf(*state, 9);
    EXPECT_EQ(stats.todayRuns, 3);
    EXPECT_EQ(stats.totalRuns, 7);
    EXPECT_EQ(stats.todayPoints, 11);
    EXPECT_EQ(stats.totalPoints, 40000);
}

// Adds a pupil with the key the screen would give it.
void addPupil(NameList &list, NameOrderKeys &keys, int birthYear, const QString &text, int number,
    const QString &reading = QString())
{
    const QString name = text.mid(text.indexOf(QLatin1Char(' ')) + 1);
    list.add(birthYear, text, number, keys.key(name, reading));
}

TEST(HiddenList, SortsByBirthYearThenByTheNameInJisOrder)
{
    NameList list;
    NameOrderKeys keys;
    addPupil(list, keys, 2018, QStringLiteral("小2 上田"), 3);
    addPupil(list, keys, 2016, QStringLiteral("小4 林"), 12);
    addPupil(list, keys, 2018, QStringLiteral("小2 井上"), 2);
    addPupil(list, keys, 2020, QStringLiteral("幼3 森"), 1);
    addPupil(list, keys, 2016, QStringLiteral("小4 加藤"), 4);
    list.sort();
    QStringList texts;
    for (const auto &line : list.lines())
        texts << line.text();
    // いのうえ before うえだ, although 上 has the lower character code.
    EXPECT_EQ(texts,
        (QStringList { QStringLiteral("2016小4 加藤*4"), QStringLiteral("2016小4 林*12"),
            QStringLiteral("2018小2 井上*2"), QStringLiteral("2018小2 上田*3"), QStringLiteral("2020幼3 森*1") }));
}

TEST(HiddenList, EqualNamesKeepTheOrderOfTheirLines)
{
    NameList list;
    NameOrderKeys keys;
    addPupil(list, keys, 2018, QStringLiteral("小2 上田"), 9);
    addPupil(list, keys, 2018, QStringLiteral("小2 上田"), 10);
    addPupil(list, keys, 2018, QStringLiteral("小2 上田"), 1);
    list.sort();
    QStringList texts;
    for (const auto &line : list.lines())
        texts << line.text();
    EXPECT_EQ(texts,
        (QStringList {
            QStringLiteral("2018小2 上田*1"), QStringLiteral("2018小2 上田*10"), QStringLiteral("2018小2 上田*9") }));
}

// Two pupils of one birth year whose order by character code is the wrong
// one: `first` must come first.
struct OrderCase {
    const char *name;
    const char16_t *first;
    const char16_t *firstReading;
    const char16_t *second;
    const char16_t *secondReading;
};

class NameOrder : public ::testing::TestWithParam<OrderCase> { };

TEST_P(NameOrder, FollowsTheReadingOrTheJisOrderNotTheCharacterCodes)
{
    const OrderCase &c = GetParam();
    const QString first = QString::fromUtf16(c.first);
    const QString second = QString::fromUtf16(c.second);
    ASSERT_GT(QString::compare(first, second), 0) << "a case where the character codes disagree";
    NameList list;
    NameOrderKeys keys;
    addPupil(list, keys, 2017, QStringLiteral("小3 ") + second, 1, QString::fromUtf16(c.secondReading));
    addPupil(list, keys, 2017, QStringLiteral("小3 ") + first, 2, QString::fromUtf16(c.firstReading));
    list.sort();
    ASSERT_EQ(list.lines().size(), 2u);
    EXPECT_EQ(list.lines()[0].numbered, QStringLiteral("小3 ") + first + QStringLiteral("*2"));
}

INSTANTIATE_TEST_SUITE_P(Pairs, NameOrder,
    ::testing::Values(OrderCase { "JisOrderOfKanji", u"井上", u"", u"上田", u"" },
        OrderCase { "AndoBeforeIto", u"安藤", u"", u"伊藤", u"" },
        OrderCase { "ReadingOfAnExtensionKanji", u"髙橋", u"たかはし", u"渡辺", u"わたなべ" },
        OrderCase { "KatakanaReadingReadsAsHiragana", u"髙橋", u"タカハシ", u"渡辺", u"わたなべ" },
        OrderCase { "HalfWidthReading", u"髙橋", u"ﾀｶﾊｼ", u"渡辺", u"ﾜﾀﾅﾍﾞ" },
        OrderCase { "ReadingBeatsTheKanjisOwnPlace", u"東海林", u"しょうじ", u"中村", u"なかむら" },
        OrderCase { "ReadingSortsAmongKanaNames", u"木村", u"きむら", u"くるみ", u"" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(NameOrderKeys, ASpareTextThatIsNoReadingIsNotUsedAsOne)
{
    EXPECT_EQ(NameOrderKeys::readingOf(QStringLiteral("あおき                ")), QStringLiteral("あおき"));
    EXPECT_EQ(NameOrderKeys::readingOf(QStringLiteral("アオキ　サクラ")), QStringLiteral("あおき さくら"));
    EXPECT_EQ(NameOrderKeys::readingOf(QStringLiteral("ｶﾞｸ")), QStringLiteral("がく"));
    for (const char16_t *other : { u"", u"   ", u"3-1", u"青木", u"あお木", u"aoki" })
        EXPECT_TRUE(NameOrderKeys::readingOf(QString::fromUtf16(other)).isEmpty())
            << QString::fromUtf16(other).toStdString();
    NameOrderKeys keys;
    EXPECT_EQ(
        keys.key(QStringLiteral("上田  "), QStringLiteral("5年2組")), keys.key(QStringLiteral("上田"), QString()));
}

TEST(HiddenList, FilterKeepsOrderAndPairsEachLineWithItsNumber)
{
    NameList list;
    NameOrderKeys keys;
    const int schoolYear = 2026;
    addPupil(list, keys, 2017, QStringLiteral("小3 B"), 30); // G = 3
    addPupil(list, keys, 2012, QStringLiteral("中2 C"), 40); // G = 8
    addPupil(list, keys, 2017, QStringLiteral("小3 A"), 31); // G = 3
    addPupil(list, keys, 2021, QStringLiteral("幼2 D"), 50); // G = -1
    addPupil(list, keys, 2009, QStringLiteral("高2 E"), 60); // G = 11
    list.sort();

    const auto third = list.filtered(QStringLiteral("小３"), schoolYear);
    EXPECT_EQ(third.lines, (QStringList { QStringLiteral("小3 A"), QStringLiteral("小3 B") }));
    EXPECT_EQ(third.numbered, (QStringList { QStringLiteral("小3 A*31"), QStringLiteral("小3 B*30") }));

    EXPECT_EQ(list.filtered(QStringLiteral("中学生全体"), schoolYear).lines, QStringList { QStringLiteral("中2 C") });
    EXPECT_EQ(list.filtered(QStringLiteral("小学生全体"), schoolYear).lines.size(), 2);
    EXPECT_EQ(list.filtered(kAllGrades, schoolYear).lines,
        (QStringList { QStringLiteral("高2 E"), QStringLiteral("中2 C"), QStringLiteral("小3 A"),
            QStringLiteral("小3 B"), QStringLiteral("幼2 D") }));
}

TEST(ChosenLine, LabelsAndNumber)
{
    const QString line = QStringLiteral("小2 山田花子") + kSp + kSp + QStringLiteral("  3回/   12回");
    EXPECT_EQ(SelectedLineLabel(line), QStringLiteral("小2 山田花子") + kSp + kSp);
    EXPECT_EQ(SelectedLineLabel(QStringLiteral("小1 林  ") + QStringLiteral("      3")), QStringLiteral("小1 林"));
    EXPECT_EQ(ConfirmedLineLabel(line), QStringLiteral("小2 山田花子") + kSp + kSp + QStringLiteral("  3回"));
    EXPECT_EQ(PupilNumberOfLine(line + QStringLiteral("*4711")), 4711);
    EXPECT_EQ(PupilNumberOfLine(QStringLiteral("no number")), -1);
}

TEST(ChosenLine, AStarInANameCannotNameAnotherPupil)
{
    NameList list;
    list.add(2018, DisplayText(1, ListGradeLabel(2), QStringLiteral("*3 山田"), {}), 17, QByteArray());
    const auto visible = list.filtered(kAllGrades, 2026);
    ASSERT_EQ(visible.numbered.size(), 1);
    EXPECT_EQ(PupilNumberOfLine(visible.numbered[0]), 17);
    EXPECT_TRUE(visible.lines[0].contains(QStringLiteral("*3 山田")));
}

} // namespace

// SPDX-License-Identifier: MIT
#include "results/criteria_file.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

const QString kHeader = QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n");

class CriteriaFile : public ::testing::Test {
protected:
    TestInstall install;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    QString path() const { return install.programDataFolder() + QStringLiteral("タイム回数データ.txt"); }
    CriteriaLoadResult load(const QString &text)
    {
        install.writeCriteria(text);
        return readCriteriaTable(*state, path());
    }
};

TEST_F(CriteriaFile, HeaderLandsInSlotZeroAsZerosAndLevelsFollowInLineOrder)
{
    state->TargetTime[0] = 7;
    state->PointMultiplier[0] = 3;
    ASSERT_TRUE(load(kHeader
        + QStringLiteral("60,120,100,5,1,20,300,7,1,0,0,0\n"
                         "80,150,90,9999,1.5,0,0,7,1,a,b,c\n"))
                    .ok);
    EXPECT_EQ(state->TargetTime[0], 0);
    EXPECT_EQ(state->PassLineTime[0], 0);
    EXPECT_EQ(state->ClearPoints[0], 0);
    EXPECT_EQ(state->ClearCount[0], 0);
    EXPECT_EQ(state->PointMultiplier[0], 0.0f);

    EXPECT_EQ(state->TargetTime[1], 60);
    EXPECT_EQ(state->PassLineTime[1], 120);
    EXPECT_EQ(state->OverPracticeCount[1].toNumber(), 20);
    EXPECT_EQ(state->TargetTime[2], 80);
    EXPECT_EQ(state->ClearCount[2], 9999);
    EXPECT_EQ(state->PointMultiplier[2], 1.5f);
    EXPECT_EQ(state->OverPracticeCount[2].toNumber(), 0);
    EXPECT_EQ(state->OverPracticePoints[2].toNumber(), 0);
    EXPECT_EQ(state->CriteriaReserved10[2].text, QStringLiteral("a"));
    EXPECT_EQ(state->CriteriaReserved12[2].text, QStringLiteral("c"));
}

TEST_F(CriteriaFile, SlotsBeyondTheFileKeepWhatTheyHeld)
{
    state->TargetTime[2] = 77;
    state->TargetTime[35] = 99;
    ASSERT_TRUE(load(kHeader + QStringLiteral("60,120,100,5,1,20,300,7,1,0,0,0\n")).ok);
    EXPECT_EQ(state->TargetTime[1], 60);
    EXPECT_EQ(state->TargetTime[2], 77);
    EXPECT_EQ(state->TargetTime[35], 99);

    state->TargetTime[1] = 5;
    ASSERT_TRUE(load(kHeader).ok);
    EXPECT_EQ(state->TargetTime[1], 5);
}

TEST_F(CriteriaFile, ElevenItemLineTakesItsTwelfthFromTheNextLine)
{
    ASSERT_TRUE(load(kHeader
        + QStringLiteral("60,120,100,5,1,20,300,7,1,0,0\n"
                         "41,80,150,100,6,2,20,300,7,1,0,0,0\n"))
                    .ok);
    EXPECT_EQ(state->TargetTime[1], 60);
    EXPECT_EQ(state->CriteriaReserved12[1].toNumber(), 41);
    EXPECT_EQ(state->TargetTime[2], 80);
    EXPECT_EQ(state->ClearCount[2], 6);
    EXPECT_EQ(state->PointMultiplier[2], 2.0f);
}

struct BadCriteria {
    const char *name;
    QString text; // empty name of file means "no file"
    QString mustMention;
};

class CriteriaFileRefused : public CriteriaFile, public ::testing::WithParamInterface<BadCriteria> { };

TEST_P(CriteriaFileRefused, NamesTheFileAndTheProblemAndChangesNothing)
{
    state->TargetTime[1] = 33;
    CriteriaLoadResult result;
    if (GetParam().text.isNull())
        result = readCriteriaTable(*state, path());
    else
        result = load(GetParam().text);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.contains(path())) << result.problem.toStdString();
    EXPECT_TRUE(result.problem.contains(GetParam().mustMention)) << result.problem.toStdString();
    EXPECT_EQ(state->TargetTime[1], 33);
}

QString tooManyLines()
{
    QString text = kHeader;
    for (int i = 0; i < 36; ++i)
        text += QStringLiteral("60,120,100,5,1,20,300,7,1,0,0,0\n");
    return text;
}

INSTANTIATE_TEST_SUITE_P(Problems, CriteriaFileRefused,
    ::testing::Values(BadCriteria { "Missing", QString(), QStringLiteral("読めません") },
        BadCriteria { "Empty", QStringLiteral(""), QStringLiteral("空") },
        BadCriteria { "ShortLastRow", kHeader + QStringLiteral("60,120,100,5,1,20,300\n"),
            QStringLiteral("2行目の項目が足りません") },
        BadCriteria { "ThirtySevenLines", tooManyLines(), QStringLiteral("37行目") },
        BadCriteria { "TextInTargetTime", kHeader + QStringLiteral("6O,120,100,5,1,20,300,7,1,0,0,0\n"),
            QStringLiteral("2行目の1列目「6O」") },
        BadCriteria { "TextInMultiplier", kHeader + QStringLiteral("60,120,100,5,x1,20,300,7,1,0,0,0\n"),
            QStringLiteral("5列目") },
        BadCriteria { "CountBeyond16Bits", kHeader + QStringLiteral("60,120,100,40000,1,20,300,7,1,0,0,0\n"),
            QStringLiteral("4列目") }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CriteriaFile, RefusalAtStartUpGoesThroughTheFatalPath)
{
    RecordingFatal fatal;
    install.writeCriteria(kHeader + QStringLiteral("60,120\n"));
    EXPECT_FALSE(LoadCriteriaTable(*state, fatal, path()));
    ASSERT_TRUE(fatal.called());
    EXPECT_TRUE(fatal.messages.front().contains(path()));
}

TEST_F(CriteriaFile, ThirtySixLinesIsTheMostThatLoads)
{
    QString text = kHeader;
    for (int i = 1; i <= 35; ++i)
        text += QStringLiteral("%1,120,100,5,1,20,300,7,1,0,0,0\n").arg(i);
    ASSERT_TRUE(load(text).ok);
    EXPECT_EQ(state->TargetTime[35], 35);
}

} // namespace

namespace {

// What a teacher types with a Japanese input method must load as what it
// shows; text that is no number is refused, in every numeric column.
struct CellCase {
    const char *name;
    QString text;
    std::optional<double> value;
};

class CriteriaCell : public ::testing::TestWithParam<CellCase> { };

TEST_P(CriteriaCell, ReadsHalfAndFullWidthNumbersAndRefusesText)
{
    EXPECT_EQ(criteriaCellNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cells, CriteriaCell,
    ::testing::Values(CellCase { "Empty", QString(), 0.0 }, CellCase { "Blanks", QStringLiteral("  "), 0.0 },
        CellCase { "HalfWidth", QStringLiteral("60"), 60.0 }, CellCase { "FullWidth", QStringLiteral("６０"), 60.0 },
        CellCase { "FullWidthPoint", QStringLiteral("１．５"), 1.5 },
        CellCase { "FullWidthMinus", QStringLiteral("－３"), -3.0 },
        CellCase { "Mixed", QStringLiteral("1２0"), 120.0 },
        CellCase { "IdeographicBlankAround", QStringLiteral("　６０　"), 60.0 },
        CellCase { "LetterO", QStringLiteral("6O"), std::nullopt },
        CellCase { "Word", QStringLiteral("なし"), std::nullopt },
        CellCase { "TwoPoints", QStringLiteral("１．５．"), std::nullopt },
        CellCase { "InnerBlank", QStringLiteral("6 0"), std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

TEST_F(CriteriaFile, FullWidthDigitsLoadInEveryNumericColumn)
{
    ASSERT_TRUE(load(kHeader + QStringLiteral("６０,１２０,１００,５,１．５,２０,３００,７,１,0,0,0\n")).ok);
    EXPECT_EQ(state->TargetTime[1], 60);
    EXPECT_EQ(state->PassLineTime[1], 120);
    EXPECT_EQ(state->ClearPoints[1], 100);
    EXPECT_EQ(state->ClearCount[1], 5);
    EXPECT_EQ(state->PointMultiplier[1], 1.5f);
    EXPECT_EQ(state->OverPracticeCount[1].toNumber(), 20);
    EXPECT_EQ(state->OverPracticePoints[1].toNumber(), 300);
    EXPECT_EQ(state->JudgePeriodDays[1].toNumber(), 7);
    EXPECT_EQ(state->OverPracticePeriodDays[1].toNumber(), 1);
}

class CriteriaTextInCountColumns : public CriteriaFile, public ::testing::WithParamInterface<int> { };

TEST_P(CriteriaTextInCountColumns, IsRefusedLikeTheTimeColumns)
{
    QStringList cells = QStringLiteral("60,120,100,5,1,20,300,7,1,0,0,0").split(QLatin1Char(','));
    const int column = GetParam();
    cells[column - 1] = QStringLiteral("七");
    state->TargetTime[1] = 33;
    const CriteriaLoadResult result = load(kHeader + cells.join(QLatin1Char(',')) + QLatin1Char('\n'));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.contains(QStringLiteral("2行目の%1列目「七」は数字ではありません").arg(column)))
        << result.problem.toStdString();
    EXPECT_EQ(state->TargetTime[1], 33);
}

INSTANTIATE_TEST_SUITE_P(Columns6To9, CriteriaTextInCountColumns, ::testing::Values(6, 7, 8, 9));

namespace {

// A stored value the program cannot run the level with: the file loads,
// the level is marked with the column and its range, other levels are not.
struct StoredValue {
    const char *name;
    int column;
    QString text;
    bool runnable;
    QString mustMention; // for a value out of range
};

class CriteriaStoredRange : public CriteriaFile, public ::testing::WithParamInterface<StoredValue> { };

TEST_P(CriteriaStoredRange, MarksOnlyTheLevelWhoseValueIsOutOfRange)
{
    QStringList cells = QStringLiteral("80,150,100,5,1,20,300,7,1,0,0,0").split(QLatin1Char(','));
    cells[GetParam().column - 1] = GetParam().text;
    const CriteriaLoadResult result
        = load(kHeader + QStringLiteral("60,120,100,5,1,20,300,7,1,0,0,0\n") + cells.join(QLatin1Char(',')) + '\n');
    ASSERT_TRUE(result.ok) << result.problem.toStdString();
    EXPECT_TRUE(state->CriteriaOutOfRange[1].isEmpty());
    EXPECT_TRUE(state->CriteriaOutOfRange[0].isEmpty());
    if (GetParam().runnable) {
        EXPECT_TRUE(state->CriteriaOutOfRange[2].isEmpty()) << state->CriteriaOutOfRange[2].toStdString();
        EXPECT_TRUE(result.levelProblems.isEmpty());
        EXPECT_TRUE(criteriaOutOfRangeReport(*state, path()).isEmpty());
        return;
    }
    EXPECT_EQ(state->CriteriaOutOfRange[2], GetParam().mustMention);
    EXPECT_EQ(result.levelProblems, QStringList { QStringLiteral("レベル2：") + GetParam().mustMention });
    const QString report = criteriaOutOfRangeReport(*state, path());
    EXPECT_TRUE(report.contains(path()));
    EXPECT_TRUE(report.contains(QStringLiteral("レベル2：") + GetParam().mustMention)) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("レベル1：")));
}

INSTANTIATE_TEST_SUITE_P(Values, CriteriaStoredRange,
    ::testing::Values(
        StoredValue { "EmptyPassLine", 2, QString(), false, QStringLiteral("「最低Time」0（10～19999）") },
        StoredValue { "ZeroPassLine", 2, QStringLiteral("0"), false, QStringLiteral("「最低Time」0（10～19999）") },
        StoredValue {
            "NegativePassLine", 2, QStringLiteral("-5"), false, QStringLiteral("「最低Time」-5（10～19999）") },
        StoredValue { "OverflowingPassLine", 2, QStringLiteral("500000000"), false,
            QStringLiteral("「最低Time」500000000（10～19999）") },
        StoredValue { "ShortestPassLine", 2, QStringLiteral("10"), true, QString() },
        StoredValue { "PassLineOneShort", 2, QStringLiteral("9"), false, QStringLiteral("「最低Time」9（10～19999）") },
        StoredValue { "LongestPassLine", 2, QStringLiteral("19999"), true, QString() },
        StoredValue { "PassLineReachingTimeUp", 2, QStringLiteral("20000"), false,
            QStringLiteral("「最低Time」20000（10～19999）") },
        StoredValue { "ZeroTarget", 1, QStringLiteral("0"), false, QStringLiteral("「目標Time」0（1～5999）") },
        StoredValue { "NegativeTarget", 1, QStringLiteral("-1"), false, QStringLiteral("「目標Time」-1（1～5999）") },
        StoredValue {
            "TargetOfAnUncountedRun", 1, QStringLiteral("6000"), false, QStringLiteral("「目標Time」6000（1～5999）") },
        StoredValue {
            "NegativeMultiplier", 5, QStringLiteral("-2"), false, QStringLiteral("「ﾎﾟｲﾝﾄ倍率」-2（0.1～100）") },
        StoredValue { "ZeroMultiplier", 5, QStringLiteral("0"), false, QStringLiteral("「ﾎﾟｲﾝﾄ倍率」0（0.1～100）") },
        StoredValue { "SmallestMultiplier", 5, QStringLiteral("0.1"), true, QString() },
        StoredValue {
            "NegativeClearPoints", 3, QStringLiteral("-1"), false, QStringLiteral("「ｸﾘｱﾎﾟｲﾝﾄ」-1（0～99999999）") },
        StoredValue { "NoCountGoal", 4, QStringLiteral("9999"), true, QString() },
        StoredValue {
            "NegativeClearCount", 4, QStringLiteral("-1"), false, QStringLiteral("「ｸﾘｱ回数」-1（0～32767）") },
        StoredValue {
            "NegativeOverPracticeCount", 6, QStringLiteral("-1"), false, QStringLiteral("「禁回」-1（0～32767）") },
        StoredValue {
            "NegativeOverPracticePoints", 7, QStringLiteral("-3"), false, QStringLiteral("「禁点」-3（0～99999999）") },
        StoredValue {
            "NegativeJudgePeriod", 8, QStringLiteral("-7"), false, QStringLiteral("「判期間」-7（0～99999）") },
        StoredValue { "EmptyJudgePeriodCountsNothing", 8, QString(), true, QString() },
        StoredValue {
            "NegativeOverPracticePeriod", 9, QStringLiteral("-1"), false, QStringLiteral("「禁期間」-1（0～99999）") },
        StoredValue {
            "FullWidthNegativeTarget", 1, QStringLiteral("－１"), false, QStringLiteral("「目標Time」-1（1～5999）") }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CriteriaFile, EveryColumnOutOfRangeIsNamedAndALaterGoodLoadClearsTheMark)
{
    ASSERT_TRUE(load(kHeader + QStringLiteral("0,0,100,5,-2,20,300,7,1,0,0,0\n")).ok);
    EXPECT_EQ(state->CriteriaOutOfRange[1],
        QStringLiteral("「目標Time」0（1～5999）、「最低Time」0（10～19999）、「ﾎﾟｲﾝﾄ倍率」-2（0.1～100）"));
    // The values load as read, for the editor and the lists to show.
    EXPECT_EQ(state->PassLineTime[1], 0);
    EXPECT_EQ(state->PointMultiplier[1], -2.0f);
    ASSERT_TRUE(load(kHeader + QStringLiteral("60,120,100,5,1,20,300,7,1,0,0,0\n")).ok);
    EXPECT_TRUE(state->CriteriaOutOfRange[1].isEmpty());
}

TEST(CriteriaRanges, TheSampleAndTheNewDataFolderTablesAreRunnable)
{
    TestInstall install;
    install.writeCriteria(TestInstall::defaultCriteria());
    auto state = std::make_unique<SharedState>();
    const QString path = install.programDataFolder() + QStringLiteral("タイム回数データ.txt");
    ASSERT_TRUE(readCriteriaTable(*state, path).ok);
    EXPECT_TRUE(criteriaOutOfRangeReport(*state, path).isEmpty());

    QFile sample(QStringLiteral(TEST_SAMPLE_SOURCE_DIR "/data/rukamina/タイム回数データ.txt"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    install.writeCriteria(QString::fromUtf8(sample.readAll()));
    ASSERT_TRUE(readCriteriaTable(*state, path).ok);
    EXPECT_TRUE(criteriaOutOfRangeReport(*state, path).isEmpty());
}

} // namespace

// SPDX-License-Identifier: MIT
#include "roster/roster_file.h"
#include "state/shared_state.h"
#include "support/data_root.h"

#include <QDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QDate kToday(2026, 5, 10); // school year 2026 with the start month 4

struct Visited {
    int pupil;
    int grade;
    QString label;
};

class RosterLoad : public ::testing::Test {
protected:
    RosterLoad()
        : state(std::make_unique<SharedState>())
    {
        state->DataRootFolder = install.dataRoot();
        state->SchoolYearStartMonth = 4;
    }

    bool load()
    {
        visited.clear();
        return LoadRoster(
            *state, kToday,
            [this](const RosterRecord &r, int grade, const ListGrade &label) {
                visited.push_back({ r.pupilNumber, grade, label.label });
            },
            &failure);
    }

    TestInstall install;
    std::unique_ptr<SharedState> state;
    std::vector<Visited> visited;
    RosterFailure failure;
};

TEST_F(RosterLoad, StoresTheEightValuesWithFixedWidthTexts)
{
    install.writeRoster(QStringLiteral("7,2018,11,-12,\"山田 花子\",0,\"メモ, その1\",abc\n"));
    ASSERT_TRUE(load()) << failure.description.toStdString();
    const RosterRecord &r = state->Roster[1];
    EXPECT_EQ(r.pupilNumber, 7);
    EXPECT_EQ(r.birthYear, 2018);
    EXPECT_EQ(r.spare1, 11);
    EXPECT_EQ(r.spare2, -12);
    EXPECT_EQ(r.name, QStringLiteral("山田 花子") + QString(15, QLatin1Char(' ')));
    EXPECT_EQ(r.spareText1, QStringLiteral("メモ, その1") + QString(13, QLatin1Char(' ')));
    EXPECT_EQ(r.spareText2, QStringLiteral("abc") + QString(17, QLatin1Char(' ')));
    EXPECT_EQ(state->SchoolYear, 2026);
    EXPECT_EQ(state->RosterName[7], r.name);
    EXPECT_EQ(state->RosterBirthYear[7], 2018);
    EXPECT_EQ(state->RosterGradeLabel[7], QStringLiteral("小２"));
    ASSERT_EQ(visited.size(), 1u);
    EXPECT_EQ(visited[0].grade, 2);
    EXPECT_EQ(visited[0].label, QStringLiteral("小2"));
}

TEST_F(RosterLoad, LongNamesKeepTheirFirstTwentyCharacters)
{
    const QString name25 = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねの");
    install.writeRoster(QStringLiteral("1,2018,0,0,\"%1\",0,\"\",\"\"\n").arg(name25));
    ASSERT_TRUE(load());
    EXPECT_EQ(state->RosterName[1], name25.left(20));
}

TEST_F(RosterLoad, EmptyFileListsNobody)
{
    install.writeRoster(QString());
    state->ListedPupilCount = 3;
    ASSERT_TRUE(load());
    EXPECT_EQ(state->ListedPupilCount, 0);
    EXPECT_TRUE(visited.empty());
}

TEST_F(RosterLoad, EntriesMayBeSpreadOverLines)
{
    install.writeRoster(QStringLiteral("1\n2018\n0\n0\n\"青木\"\n0\n\"\"\n\"\"\n2,2017,0,0\n\"井上\",0,\"\",\"\"\n"));
    ASSERT_TRUE(load());
    EXPECT_EQ(state->ListedPupilCount, 2);
    EXPECT_EQ(state->RosterName[2].trimmed(), QStringLiteral("井上"));
}

// Status and the switch for status-2 pupils.
struct StatusCase {
    int status;
    double includeStatus2;
    bool listed;
};

class RosterStatus : public RosterLoad, public ::testing::WithParamInterface<StatusCase> { };

TEST_P(RosterStatus, DecidesWhetherThePupilIsListed)
{
    state->IncludeStatus2Pupils = GetParam().includeStatus2;
    install.writeRoster(QStringLiteral("1,2018,0,0,\"青木\",0,\"\",\"\"\n"
                                       "2,2016,0,0,\"井上\",%1,\"\",\"\"\n"
                                       "3,2017,0,0,\"上田\",0,\"\",\"\"\n")
                            .arg(GetParam().status));
    ASSERT_TRUE(load());
    const bool listed = GetParam().listed;
    EXPECT_EQ(state->ListedPupilCount, listed ? 3 : 2);
    EXPECT_EQ(state->ListedPupils[2], listed ? 2 : 3);
    EXPECT_EQ(state->Roster[2].pupilNumber, listed ? 2 : 3);
    ASSERT_EQ(visited.size(), listed ? 3u : 2u);
    EXPECT_EQ(visited[1].pupil, listed ? 2 : 3);
    // Known by number either way.
    EXPECT_EQ(state->RosterName[2].trimmed(), QStringLiteral("井上"));
    EXPECT_EQ(state->RosterBirthYear[2], 2016);
    EXPECT_EQ(state->RosterGradeLabel[2], QStringLiteral("小４"));
}

INSTANTIATE_TEST_SUITE_P(Statuses, RosterStatus,
    ::testing::Values(StatusCase { 0, 0, true }, StatusCase { 2, 1, true }, StatusCase { 2, 0, false },
        StatusCase { 2, 2, false }, StatusCase { 1, 1, false }, StatusCase { 3, 1, false },
        StatusCase { -1, 1, false }));

TEST_F(RosterLoad, ANotListedLastEntryLeavesTheCountAtTheListedOnes)
{
    install.writeRoster(QStringLiteral("1,2018,0,0,\"青木\",0,\"\",\"\"\n2,2018,0,0,\"井上\",1,\"\",\"\"\n"));
    ASSERT_TRUE(load());
    EXPECT_EQ(state->ListedPupilCount, 1);
    EXPECT_EQ(state->ListedPupils[1], 1);
}

TEST_F(RosterLoad, ByNumberTablesKeepValuesTheFileNoLongerSets)
{
    install.writeRoster(QStringLiteral("5,2018,0,0,\"江藤\",0,\"\",\"\"\n6,2018,0,0,\"藤井\",0,\"\",\"\"\n"));
    ASSERT_TRUE(load());
    // Pupil 5 leaves the roster; pupil 6 moves to grades table B has no
    // label for (G = -2 and G = 11).
    install.writeRoster(QStringLiteral("6,2022,0,0,\"藤井\",0,\"\",\"\"\n7,2009,0,0,\"森\",0,\"\",\"\"\n"));
    ASSERT_TRUE(load());
    EXPECT_EQ(state->RosterName[5].trimmed(), QStringLiteral("江藤"));
    EXPECT_EQ(state->RosterBirthYear[5], 2018);
    EXPECT_EQ(state->RosterGradeLabel[5], QStringLiteral("小２"));
    EXPECT_EQ(state->RosterBirthYear[6], 2022);
    EXPECT_EQ(state->RosterGradeLabel[6], QStringLiteral("小２"));
    EXPECT_EQ(state->RosterGradeLabel[7], QString());
    ASSERT_EQ(visited.size(), 2u);
    EXPECT_EQ(visited[0].label, QStringLiteral("幼1"));
    EXPECT_EQ(visited[1].label, QStringLiteral("高2"));
}

TEST_F(RosterLoad, DuplicateNumbersAreBothListedAndTheLaterWins)
{
    install.writeRoster(QStringLiteral("4,2018,0,0,\"江藤\",0,\"\",\"\"\n4,2015,0,0,\"林\",0,\"\",\"\"\n"));
    ASSERT_TRUE(load());
    EXPECT_EQ(state->ListedPupilCount, 2);
    EXPECT_EQ(state->RosterName[4].trimmed(), QStringLiteral("林"));
    EXPECT_EQ(state->RosterBirthYear[4], 2015);
    EXPECT_EQ(state->RosterGradeLabel[4], QStringLiteral("小５"));
}

TEST_F(RosterLoad, NumbersMayBeQuotedEmptyOrFractional)
{
    install.writeRoster(QStringLiteral("\"12\",2018.5,,0,\"青木\",\"0\",\"\",\"\"\n"));
    ASSERT_TRUE(load()) << failure.description.toStdString();
    EXPECT_EQ(state->Roster[1].pupilNumber, 12);
    EXPECT_EQ(state->Roster[1].birthYear, 2018); // halves to even
    EXPECT_EQ(state->Roster[1].spare1, 0);
}

TEST_F(RosterLoad, FiveThousandListedAndMoreNotListedLoad)
{
    QString text;
    for (int i = 1; i <= 5000; ++i)
        text += QStringLiteral("%1,2018,0,0,\"N%1\",0,\"\",\"\"\n").arg(i);
    text += QStringLiteral("0,2018,0,0,\"ゼロ\",1,\"\",\"\"\n");
    install.writeRoster(text);
    ASSERT_TRUE(load()) << failure.description.toStdString();
    EXPECT_EQ(state->ListedPupilCount, 5000);
    EXPECT_EQ(state->RosterName[0].trimmed(), QStringLiteral("ゼロ"));
}

struct FailureCase {
    const char *what;
    QString roster; // empty: no file at all
    int number;
    int listedBefore;
};

class RosterFailures : public RosterLoad, public ::testing::WithParamInterface<FailureCase> { };

TEST_P(RosterFailures, AreReportedWithTheirNumberAndTheFile)
{
    if (!GetParam().roster.isNull())
        install.writeRoster(GetParam().roster);
    EXPECT_FALSE(load());
    EXPECT_EQ(failure.number, GetParam().number);
    EXPECT_TRUE(failure.description.contains(QStringLiteral("新名簿.txt"))) << failure.description.toStdString();
    EXPECT_EQ(int(visited.size()), GetParam().listedBefore);
}

const QString kGood = QStringLiteral("1,2018,0,0,\"青木\",0,\"\",\"\"\n");

INSTANTIATE_TEST_SUITE_P(Kinds, RosterFailures,
    ::testing::Values(FailureCase { "missing", QString(), rostererror::FileNotFound, 0 },
        FailureCase { "cut short", kGood + QStringLiteral("2,2018,0,0,\"井上\",0\n"), rostererror::PastEndOfFile, 1 },
        FailureCase { "number above 5000", kGood + QStringLiteral("5001,2018,0,0,\"井上\",0,\"\",\"\"\n"),
            rostererror::OutOfRange, 1 },
        FailureCase {
            "negative number", QStringLiteral("-1,2018,0,0,\"井上\",0,\"\",\"\"\n"), rostererror::OutOfRange, 0 },
        FailureCase {
            "text for a number", QStringLiteral("1,平成,0,0,\"井上\",0,\"\",\"\"\n"), rostererror::TypeMismatch, 0 },
        FailureCase {
            "16-bit overflow", QStringLiteral("1,2018,40000,0,\"井上\",0,\"\",\"\"\n"), rostererror::Overflow, 0 }),
    [](const auto &info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(RosterLoad, MoreThanFiveThousandListedFails)
{
    QString text;
    for (int i = 0; i <= 5000; ++i)
        text += QStringLiteral("%1,2018,0,0,\"N\",0,\"\",\"\"\n").arg(i);
    install.writeRoster(text);
    EXPECT_FALSE(load());
    EXPECT_EQ(failure.number, rostererror::OutOfRange);
    EXPECT_EQ(visited.size(), 5000u);
}

TEST_F(RosterLoad, AFolderInPlaceOfTheFileIsUnreadable)
{
    QDir().mkpath(RosterFilePath(*state));
    EXPECT_FALSE(load());
    EXPECT_EQ(failure.number, rostererror::FileAccess);
}

TEST(Teacher, AStarOrSenseiAnywhereInTheName)
{
    EXPECT_TRUE(isTeacher(QStringLiteral("★山口")));
    EXPECT_TRUE(isTeacher(QStringLiteral("山口★")));
    EXPECT_TRUE(isTeacher(QStringLiteral("田中先生")));
    EXPECT_TRUE(isTeacher(QStringLiteral("先生")));
    EXPECT_FALSE(isTeacher(QStringLiteral("先 生")));
    EXPECT_FALSE(isTeacher(QStringLiteral("青木 さくら")));
}

} // namespace

// SPDX-License-Identifier: MIT
#include "maintenance/data_editor_rules.h"
#include "maintenance/results_list_model.h"
#include "platform/clock.h"
#include "results/results_support.h"
#include "support/data_root.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace results_test;

namespace {

constexpr int kSchoolYear = 2026;

std::shared_ptr<EditorRoster> rosterOf(const QString &rosterText)
{
    TestInstall install;
    install.writeRoster(rosterText);
    auto roster = std::make_shared<EditorRoster>();
    RosterFailure failure;
    if (!LoadEditorRoster(install.dataRoot() + QStringLiteral("新名簿.txt"), kSchoolYear, *roster, &failure))
        ADD_FAILURE() << failure.description.toStdString();
    return roster;
}

const QString kRoster = QStringLiteral("12,2017,0,0,\"山田太郎\",0,\"\",\"\"\n"
                                       "3,2019,0,0,\"  佐藤 一二三四五六七  \",1,\"\",\"\"\n"
                                       "40,2008,0,0,\"卒業生\",3,\"\",\"\"\n");

ResultRecord run(double date, double timeOfDay, int pupil, int level, int seconds, const char *code)
{
    ResultRecord r = makeRecord(date, pupil, level, seconds);
    r.timeOfDay = timeOfDay;
    for (int i = 0; i < 5; ++i)
        r.schoolCode[size_t(i)] = code[i];
    return r;
}

struct LineCase {
    const char *name;
    qint64 recordNumber;
    ResultRecord record;
    QString schoolCode;
    QString expected;
};

class DataListLine : public ::testing::TestWithParam<LineCase> { };

// 2026-12-09 as an OLE date (a constant: static data of another file may
// not be ready when the cases below are built).
constexpr double kDec9 = 46365;

INSTANTIATE_TEST_SUITE_P(Examples, DataListLine,
    ::testing::Values(LineCase { "OwnSchool", 7, run(kDec9, 0.5, 12, 3, 45, "12345"), QStringLiteral("12345"),
                          QStringLiteral("   7 2026/12/09　 12:00:00ﾚﾍﾞﾙ3　   45秒 　  12 山田太郎　　 小３++ルカ塾") },
        LineCase { "AnotherSchool", 8, run(kDec9, 0.5, 12, 3, 45, "99999"), QStringLiteral("12345"),
            QStringLiteral("   8 2026/12/09　 12:00:00ﾚﾍﾞﾙ3　   45秒 　  12 山田太郎　　 小３++他塾") },
        // A record written with no code configured carries five blanks: this
        // school's own, as the export and the check count it. Any code is
        // then another school's.
        LineCase { "NoCodeConfigured", 9, run(kDec9, 0.5, 12, 3, 45, "     "), QString(),
            QStringLiteral("   9 2026/12/09　 12:00:00ﾚﾍﾞﾙ3　   45秒 　  12 山田太郎　　 小３++ルカ塾") },
        LineCase { "NoCodeConfiguredAnotherSchool", 9, run(kDec9, 0.5, 12, 3, 45, "12345"), QString(),
            QStringLiteral("   9 2026/12/09　 12:00:00ﾚﾍﾞﾙ3　   45秒 　  12 山田太郎　　 小３++他塾") },
        // Right-alignment keeps the rightmost characters of a time, but a
        // record number stays whole (a teacher looks it up by the number
        // the check reports); a long name is cut to six; a pupil whose
        // status hides him elsewhere is still named.
        LineCase { "WideNumbersLongName", 123456,
            run(kDec9 + 0.99, 9.0 / 24 + 5.0 / 1440 + 7.0 / 86400, 3, 35, 123456, "12345"), QStringLiteral("12345"),
            QStringLiteral("123456 2026/12/09　  9:05:07ﾚﾍﾞﾙ35　23456秒 　   3 佐藤 一二三 小１++ルカ塾") },
        // Not on the roster, or a grade without a label: blanks, nothing.
        LineCase { "UnknownPupilAndTimeUp", 10, run(kDec9, 0.75, 999, 1, 99999, "12345"), QStringLiteral("12345"),
            QStringLiteral("  10 2026/12/09　 18:00:00ﾚﾍﾞﾙ1　99999秒 　 999 　　　　　 ++ルカ塾") },
        LineCase { "GradeWithoutLabel", 11, run(kDec9, 0.5, 40, 2, 60, "12345"), QStringLiteral("12345"),
            QStringLiteral("  11 2026/12/09　 12:00:00ﾚﾍﾞﾙ2　   60秒 　  40 卒業生　　　 ++ルカ塾") }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(DataListLine, IsBuiltFromItsSeventeenParts)
{
    const LineCase &c = GetParam();
    const auto roster = rosterOf(kRoster);
    const SchoolOfRecord school(c.schoolCode, QStringLiteral("ルカ塾"));
    EXPECT_EQ(dataListLine(c.recordNumber, c.record, *roster, school).toStdString(), c.expected.toStdString());
}

TEST(EditorRosterLoad, TakesEveryEntryWhateverItsStatusInFileOrder)
{
    const auto roster = rosterOf(kRoster);
    EXPECT_EQ(roster->choices,
        QStringList({ QStringLiteral("12 /  山田太郎"), QStringLiteral("3 /  佐藤 一二三四五六七"),
            QStringLiteral("40 /  卒業生") }));
    EXPECT_TRUE(roster->has(40));
    EXPECT_FALSE(roster->has(41));
    EXPECT_EQ(roster->gradeLabelOf(12), QStringLiteral("小３"));
    EXPECT_EQ(roster->gradeLabelOf(40), QString());
}

struct CountCase {
    qint64 length;
    const char *expected;
};
class RecordCount : public ::testing::TestWithParam<CountCase> { };
INSTANTIATE_TEST_SUITE_P(Lengths, RecordCount,
    ::testing::Values(CountCase { 0, "総レコード数:0" }, CountCase { 88, "総レコード数:2" },
        CountCase { 45, "総レコード数:1（末尾に書きかけの1バイト）" },
        CountCase { 29 * 44 + 17, "総レコード数:29（末尾に書きかけの17バイト）" },
        CountCase { 43, "総レコード数:0（末尾に書きかけの43バイト）" },
        CountCase { 44000000, "総レコード数:1000000" }));

TEST_P(RecordCount, ShowsWholeRecordsAndNamesATornTailInBytes)
{
    EXPECT_EQ(recordCountText(GetParam().length), QString::fromUtf8(GetParam().expected));
}

struct TimeCase {
    const char *text;
    int expected; // -1: refused
};
class EditedTime : public ::testing::TestWithParam<TimeCase> { };
INSTANTIATE_TEST_SUITE_P(Texts, EditedTime,
    ::testing::Values(TimeCase { "45", 45 }, TimeCase { " 45 ", 45 }, TimeCase { "0", 0 }, TimeCase { "99999", 99999 },
        TimeCase { "00012", 12 }, TimeCase { "", -1 }, TimeCase { "abc", -1 }, TimeCase { "45秒", -1 },
        TimeCase { "-1", -1 }, TimeCase { "100000", -1 }, TimeCase { "12.5", -1 }, TimeCase { "４５", -1 },
        TimeCase { "1e3", -1 }, TimeCase { "99999999999", -1 }));

TEST_P(EditedTime, AcceptsOnlyWholeSecondsTheFileCanHold)
{
    QString problem;
    const auto seconds = validEditedTime(QString::fromUtf8(GetParam().text), &problem);
    if (GetParam().expected < 0) {
        EXPECT_FALSE(seconds);
        EXPECT_TRUE(problem.contains(QString::fromUtf8(GetParam().text))) << problem.toStdString();
    } else {
        ASSERT_TRUE(seconds);
        EXPECT_EQ(*seconds, GetParam().expected);
    }
}

struct PupilCase {
    const char *text;
    int expected; // -1: refused
};
class ChosenPupil : public ::testing::TestWithParam<PupilCase> { };
INSTANTIATE_TEST_SUITE_P(Texts, ChosenPupil,
    ::testing::Values(PupilCase { "12 /  山田太郎", 12 }, PupilCase { "40 /  卒業生", 40 },
        PupilCase { "12 / 名前は違っても番号で", 12 }, PupilCase { "12", -1 }, PupilCase { "山田太郎", -1 },
        PupilCase { "99 /  山田太郎", -1 }, PupilCase { "x12 /  山田太郎", -1 }, PupilCase { "-12 / a", -1 },
        PupilCase { "70000 / a", -1 }, PupilCase { " / 山田", -1 }));

TEST_P(ChosenPupil, MustBeOnTheRoster)
{
    const auto roster = rosterOf(kRoster);
    QString problem;
    // The run's own pupil (1 here) is on no case's line.
    const auto pupil = validChosenPupil(QString::fromUtf8(GetParam().text), *roster, 1, &problem);
    if (GetParam().expected < 0) {
        EXPECT_FALSE(pupil);
        EXPECT_TRUE(problem.contains(QString::fromUtf8(GetParam().text)));
    } else {
        ASSERT_TRUE(pupil);
        EXPECT_EQ(*pupil, GetParam().expected);
    }
}

// A run whose pupil has left the roster keeps that pupil when the choice is
// left as opened; a newly chosen pupil must be on the roster.
struct StoredPupilCase {
    const char *name;
    const char *text;
    int stored;
    int expected; // -1: refused
};
class ChosenPupilOfStoredRun : public ::testing::TestWithParam<StoredPupilCase> { };
INSTANTIATE_TEST_SUITE_P(Texts, ChosenPupilOfStoredRun,
    ::testing::Values(StoredPupilCase { "LeftPupilUnchanged", "99 /  ", 99, 99 },
        StoredPupilCase { "LeftPupilWithBlanks", " 99 / ", 99, 99 },
        StoredPupilCase { "NumberBeyondTheRoster", "6000 /  ", 6000, 6000 },
        StoredPupilCase { "DamagedNegativeNumber", "-3 /  ", -3, -3 },
        StoredPupilCase { "NewChoiceOnTheRoster", "12 /  山田太郎", 99, 12 },
        StoredPupilCase { "NewChoiceNotOnTheRoster", "98 /  ", 99, -1 },
        StoredPupilCase { "SameDigitsElsewhere", "990 /  ", 99, -1 }, StoredPupilCase { "NoSlash", "99", 99, -1 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(ChosenPupilOfStoredRun, KeepsTheRunsOwnPupilAndChecksOnlyNewChoices)
{
    const auto roster = rosterOf(kRoster);
    QString problem;
    const auto pupil
        = validChosenPupil(QString::fromUtf8(GetParam().text), *roster, std::int16_t(GetParam().stored), &problem);
    if (GetParam().expected == -1) {
        EXPECT_FALSE(pupil);
        EXPECT_TRUE(problem.contains(QString::fromUtf8(GetParam().text))) << problem.toStdString();
    } else {
        ASSERT_TRUE(pupil) << problem.toStdString();
        EXPECT_EQ(*pupil, GetParam().expected);
    }
}

TEST(ResultsListModel, RecordNumbersAreWholeAndAsWideAsTheWidestOfTheFile)
{
    ResultsEnv env;
    std::vector<ResultRecord> records;
    for (int i = 1; i <= 12345; ++i)
        records.push_back(makeRecord(kDec9, 1, i == 12000 ? 0 : 1, i % 600));
    writeFile(env.resultsPath(), bytesOf(records));
    ResultsListModel model;
    int error = 0;
    ASSERT_TRUE(model.load(env.resultsPath(), nullptr, SchoolOfRecord({}, {}), &error));
    EXPECT_EQ(model.recordNumberWidth(), 5);
    const auto line = [&](int row) { return model.data(model.index(row)).toString(); };
    EXPECT_TRUE(line(0).startsWith(QStringLiteral("    1 2026/12/09"))) << line(0).toStdString();
    EXPECT_TRUE(line(model.rowCount() - 1).startsWith(QStringLiteral("12345 2026/12/09")))
        << line(model.rowCount() - 1).toStdString();
    // Every line keeps its parts in the same columns.
    EXPECT_EQ(line(0).indexOf(QStringLiteral("ﾚﾍﾞﾙ")), line(model.rowCount() - 1).indexOf(QStringLiteral("ﾚﾍﾞﾙ")));

    // A file of fewer records keeps the four characters it always had.
    writeFile(env.resultsPath(), bytesOf(std::vector<ResultRecord>(records.begin(), records.begin() + 30)));
    ASSERT_TRUE(model.load(env.resultsPath(), nullptr, SchoolOfRecord({}, {}), &error));
    EXPECT_EQ(model.recordNumberWidth(), 4);
    EXPECT_TRUE(line(29).startsWith(QStringLiteral("  30 "))) << line(29).toStdString();
}

TEST(ResultsListModel, ListsEveryRunButLevelZeroAndIgnoresAPartialRecord)
{
    ResultsEnv env;
    QByteArray bytes = bytesOf({ makeRecord(kDec9, 1, 1, 10), makeRecord(kDec9, 1, 0, 11), makeRecord(kDec9, 2, 2, 12),
        makeRecord(kDec9, 0, 0, 0) });
    bytes += '\x01';
    writeFile(env.resultsPath(), bytes);

    ResultsListModel model;
    int error = -1;
    ASSERT_TRUE(model.load(env.resultsPath(), nullptr, SchoolOfRecord({}, {}), &error));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(model.fileLength(), 4 * 44 + 1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.recordNumberAt(0), 1);
    EXPECT_EQ(model.recordNumberAt(1), 3);
    EXPECT_TRUE(model.data(model.index(1)).toString().startsWith(QStringLiteral("   3 ")));
    EXPECT_EQ(model.recordBytes(3), encodeRecord(makeRecord(kDec9, 2, 2, 12)));
    EXPECT_TRUE(model.recordBytes(5).isEmpty());
    // The run that follows a record number, skipping what is not listed.
    EXPECT_EQ(model.rowAtOrAfter(2), 1);
    EXPECT_EQ(model.rowAtOrAfter(4), -1);
}

TEST(ResultsListModel, A45ByteFileListsItsOneRun)
{
    ResultsEnv env;
    writeFile(env.resultsPath(), encodeRecord(makeRecord(kDec9, 5, 4, 33)) + QByteArray(1, 'x'));
    ResultsListModel model;
    int error = 0;
    ASSERT_TRUE(model.load(env.resultsPath(), nullptr, SchoolOfRecord({}, {}), &error));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(recordCountText(model.fileLength()), QStringLiteral("総レコード数:1（末尾に書きかけの1バイト）"));
}

} // namespace

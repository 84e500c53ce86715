// SPDX-License-Identifier: MIT
#include "platform/cp932.h"
#include "roster/grade_rules.h"
#include "roster/name_list.h"
#include "roster/roster_file.h"
#include "setup/data_files.h"
#include "setup/roster_import.h"
#include "state/shared_state.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// 2026-12-09 with the school year starting in April: school year 2026.
const QDateTime kNow(QDate(2026, 12, 9), QTime(8, 5, 0));
constexpr int kStartMonth = 4;

enum class Encoding { Utf8Bom, Utf8, Cp932 };

QByteArray encoded(const QString &text, Encoding e)
{
    switch (e) {
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Cp932:
        return cp932::encode(text);
    }
    return {};
}

struct RosterImport : ::testing::Test {
    QTemporaryDir dir;
    QString root() const { return dir.path() + QStringLiteral("/data/"); }
    QString roster() const { return root() + QStringLiteral("新名簿.txt"); }
    QString csv() const { return dir.path() + QStringLiteral("/組.csv"); }

    void writeCsv(const QByteArray &bytes) const
    {
        QString error;
        ASSERT_TRUE(datafiles::writeFileAtomically(csv(), bytes, &error)) << error.toStdString();
    }
    QByteArray read(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    rosterimport::Outcome import() const { return rosterimport::importFile(csv(), root(), kStartMonth, kNow); }

    // The roster as the name list reads it: listed entries in file order.
    struct Listed {
        int number;
        int birthYear;
        QString name;
        QString label;
    };
    std::vector<Listed> loadRoster()
    {
        auto state = std::make_unique<SharedState>();
        state->DataRootFolder = root();
        state->SchoolYearStartMonth = kStartMonth;
        std::vector<Listed> out;
        RosterFailure failure;
        EXPECT_TRUE(LoadRoster(
            *state, kNow.date(),
            [&out](const RosterRecord &r, int, const ListGrade &label) {
                out.push_back({ r.pupilNumber, r.birthYear, r.name.trimmed(), label.label });
            },
            &failure))
            << failure.description.toStdString();
        return out;
    }
};

class GoodFile : public RosterImport, public ::testing::WithParamInterface<Encoding> { };

TEST_P(GoodFile, IsWrittenInTheRostersLayoutAndReadsBack)
{
    // Columns in another order, an extra column, CR LF, a quoted name with a
    // comma, a full-width number, a status-1 pupil and a blank line.
    writeCsv(encoded(QStringLiteral("名前,ふりがな,番号,状態,生年\r\n"
                                    "青木 さくら,あおき,1,0,2018\r\n"
                                    "\"石井,はると\",いしい,２,,2017\r\n"
                                    "\r\n"
                                    "上田　ゆい,うえだ,3,1,2012\r\n"
                                    "★山口,やまぐち,40,0,1980\r\n"),
        GetParam()));
    const rosterimport::Outcome outcome = import();
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.count, 4);
    EXPECT_TRUE(outcome.warning.isEmpty()) << "a teacher is listed";

    const QByteArray bytes = read(roster());
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    // The ふりがな column goes into the first spare text.
    EXPECT_TRUE(bytes.startsWith(cp932::encode(QStringLiteral("1,2018,0,0,\"青木 さくら\",0,\"あおき\",\"\"\r\n"))));

    const auto listed = loadRoster();
    ASSERT_EQ(listed.size(), 3u) << "status 1 is not listed";
    EXPECT_EQ(listed[0].number, 1);
    EXPECT_EQ(listed[0].name, QStringLiteral("青木 さくら"));
    EXPECT_EQ(listed[1].number, 2);
    EXPECT_EQ(listed[1].birthYear, 2017);
    EXPECT_EQ(listed[1].name, QStringLiteral("石井,はると"));
    EXPECT_EQ(listed[2].name, QStringLiteral("★山口"));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, GoodFile, ::testing::Values(Encoding::Utf8Bom, Encoding::Utf8, Encoding::Cp932), [](const auto &info) {
        return std::string(info.param == Encoding::Utf8Bom ? "Utf8WithBom"
                : info.param == Encoding::Utf8             ? "Utf8"
                                                           : "Cp932");
    });

TEST_F(RosterImport, GradesBecomeTheBirthYearsOfThisSchoolYear)
{
    writeCsv(QStringLiteral("番号,学年,名前\n1,小1,一年\n2,小６,六年\n3,中３,中三\n4,幼3,年長\n5,高1,高一\n").toUtf8());
    ASSERT_TRUE(import().ok);
    const auto listed = loadRoster();
    ASSERT_EQ(listed.size(), 5u);
    const QStringList labels { "小1", "小6", "中3", "幼3", "高1" };
    for (size_t i = 0; i < listed.size(); ++i)
        EXPECT_EQ(listed[i].label, labels[int(i)]) << listed[i].name.toStdString();
    EXPECT_EQ(listed[0].birthYear, 2019);
}

TEST_F(RosterImport, TitleRowsAboveTheHeaderAreSkippedAndLinesStillCount)
{
    writeCsv("2026年度 1組,,\n,,\n番号,生年,名前\n1,2018,青木\n1,2018,石井\n");
    const rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("5行目: 番号1は4行目と同じです")))
        << outcome.message.toStdString();
}

TEST_F(RosterImport, OldRosterIsKeptAsADatedCopy)
{
    const QByteArray old = datafiles::itemFileBytes(QStringLiteral("7,2018,0,0,\"石井\",0,\"\",\"\"\n"));
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(roster(), old, &error));
    writeCsv("番号,生年,名前\n1,2018,青木\n");
    const rosterimport::Outcome outcome = import();
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.backupPath, root() + "新名簿_20261209-080500.txt");
    EXPECT_EQ(read(outcome.backupPath), old);
    EXPECT_TRUE(outcome.message.contains(outcome.backupPath));
    EXPECT_FALSE(outcome.warning.isEmpty()) << "no teacher in the new roster";
}

struct BadRowCase {
    const char *name;
    const char16_t *header;
    const char16_t *row; // written as line 3, after a good line 2
    const char16_t *reason;
};

class BadRow : public RosterImport, public ::testing::WithParamInterface<BadRowCase> { };

TEST_P(BadRow, IsNamedWithItsLineAndNothingIsWritten)
{
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(roster(), "old roster", &error));
    const BadRowCase &c = GetParam();
    const bool grades = QString::fromUtf16(c.header).contains(QStringLiteral("学年"));
    writeCsv((QString::fromUtf16(c.header) + "\n" + (grades ? "1,小1,青木" : "1,2018,青木") + "\n"
        + QString::fromUtf16(c.row) + "\n")
                 .toUtf8());
    const rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("3行目: ") + QString::fromUtf16(c.reason)))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(csv())) << "the message names the file";
    EXPECT_FALSE(outcome.message.contains(QStringLiteral("2行目:")));
    EXPECT_EQ(read(roster()), "old roster");
    EXPECT_EQ(QDir(root()).entryList(QDir::Files), QStringList { "新名簿.txt" }) << "no copy, no leftovers";
}

const char16_t *const kYears = u"番号,生年,名前,状態";
const char16_t *const kGrades = u"番号,学年,名前";

INSTANTIATE_TEST_SUITE_P(Rows, BadRow,
    ::testing::Values(BadRowCase { "NoNumber", kYears, u",2018,石井,0", u"番号がありません" },
        BadRowCase { "NumberZero", kYears, u"0,2018,石井,0", u"番号「0」は1から5000" },
        BadRowCase { "NumberTooLarge", kYears, u"5001,2018,石井,0", u"番号「5001」は1から5000" },
        BadRowCase { "NumberWithFraction", kYears, u"2.5,2018,石井,0", u"番号「2.5」は1から5000" },
        BadRowCase { "NumberAsText", kYears, u"二,2018,石井,0", u"番号「二」は1から5000" },
        BadRowCase { "DuplicateNumber", kYears, u"1,2017,石井,0", u"番号1は2行目と同じです" },
        BadRowCase { "NoYear", kYears, u"2,,石井,0", u"生年がありません" },
        BadRowCase { "TwoDigitYear", kYears, u"2,18,石井,0", u"生年「18」は1900から2026" },
        BadRowCase { "FutureYear", kYears, u"2,2031,石井,0", u"生年「2031」は1900から2026" },
        BadRowCase { "NoName", kYears, u"2,2018, ,0", u"名前がありません" },
        BadRowCase { "NameTooLong", kYears, u"2,2018,あいうえおかきくけこさしすせそたちつてとな,0",
            u"名前が21文字あります（20文字まで）" },
        BadRowCase { "NameOutsideCp932", kYears, u"2,2018,𠮷田,0", u"名前にShift-JISで書けない" },
        BadRowCase { "NameWithStar", kYears, u"2,2018,石井*2,0", u"名前に「*」は使えません" },
        BadRowCase { "NameWithQuote", kYears, u"2,2018,\"石\"\"井\",0", u"名前に「\"」は使えません" },
        BadRowCase { "NameWithLineBreak", kYears, u"2,2018,\"石井\nはると\",0", u"名前に改行があります" },
        BadRowCase { "StatusAsText", kYears, u"2,2018,石井,休み", u"状態「休み」は0から9" },
        BadRowCase { "StatusTooLarge", kYears, u"2,2018,石井,10", u"状態「10」は0から9" },
        BadRowCase { "UnknownGrade", kGrades, u"2,小7,石井", u"学年「小7」がわかりません" },
        BadRowCase { "NoGrade", kGrades, u"2,,石井", u"学年がありません" },
        BadRowCase { "ShortRow", kYears, u"2", u"生年がありません、名前がありません" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RosterImport, EveryBadRowIsListedNotOnlyTheFirst)
{
    writeCsv("番号,生年,名前\n1,2018,青木\n1,2018,石井\nx,2018,上田\n4,2018,\n5,2018,江藤\n");
    const rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    for (const char *line : { "3行目:", "4行目:", "5行目:" })
        EXPECT_TRUE(outcome.message.contains(QString::fromUtf8(line))) << line;
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("3行に問題")));
    EXPECT_FALSE(QFile::exists(roster()));
}

struct FileCase {
    const char *name;
    QByteArray bytes;
    const char16_t *problem;
};

class BadFile : public RosterImport, public ::testing::WithParamInterface<FileCase> { };

TEST_P(BadFile, IsRefusedWithTheReason)
{
    writeCsv(GetParam().bytes);
    const rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.contains(QString::fromUtf16(GetParam().problem))) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.startsWith(csv()));
    EXPECT_FALSE(QFile::exists(roster()));
}

INSTANTIATE_TEST_SUITE_P(Files, BadFile,
    ::testing::Values(
        FileCase { "MissingNumberColumn", QByteArray("生年,名前\n2018,青木\n"), u"番号 の列がありません" },
        FileCase { "MissingNameColumn", QByteArray("番号,生年\n1,2018\n"), u"名前 の列がありません" },
        FileCase { "MissingYearAndGrade", QByteArray("番号,名前\n1,青木\n"), u"生年（または学年） の列" },
        FileCase { "YearAndGrade", QByteArray("番号,生年,学年,名前\n1,2018,小2,青木\n"), u"両方" },
        FileCase { "TwoNameColumns", QByteArray("番号,生年,名前,氏名\n1,2018,青木,青木\n"), u"「氏名」の列が2つ" },
        FileCase { "UnknownEncoding", QByteArray("番号,生年,名前\n1,2018,\x81\xFF\n"), u"文字コードがわかりません" },
        FileCase { "Utf16", QByteArray("\xFF\xFE\x6A\x75", 4), u"UTF-16" },
        FileCase { "ExcelWorkbook", QByteArray("PK\x03\x04rest", 8), u".xlsx" },
        FileCase { "Empty", QByteArray(), u"中身がありません" },
        FileCase { "HeaderOnly", QByteArray("番号,生年,名前\n"), u"名前の行がありません" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RosterImport, MissingCsvIsNamed)
{
    const rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.startsWith(csv()));
}

TEST_F(RosterImport, UnwritableDataFolderLeavesTheOldRosterAndNoCopy)
{
    // A plain file where the data folder should be: nothing can be written.
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(dir.path() + "/data", "not a folder", &error));
    writeCsv("番号,生年,名前\n1,2018,青木\n");
    const rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.contains(dir.path() + "/data")) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("名簿は変えていません")));
}

// A roster already in the data folder: the starter teacher and a pupil
// whose spare fields another program of the suite may use.
const QString kExisting = QStringLiteral("5000,1975,0,0,\"先生\",0,\"\",\"\"\n"
                                         "3,2016,7,8,\"上田\",0,\"うえだ\",\"保健\"\n");

struct ExistingRoster : RosterImport {
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(datafiles::writeItemFile(roster(), kExisting, &error));
    }
    rosterimport::Outcome import(const QByteArray &csv, rosterimport::Mode mode = rosterimport::Mode::AddOrUpdate,
        const QString &fileName = QStringLiteral("組.csv"))
    {
        const QString path = dir.path() + QLatin1Char('/') + fileName;
        QString error;
        EXPECT_TRUE(datafiles::writeFileAtomically(path, csv, &error)) << error.toStdString();
        return rosterimport::importFile(path, root(), kStartMonth, kNow, mode);
    }
    QStringList names()
    {
        QStringList out;
        for (const Listed &l : loadRoster())
            out << QStringLiteral("%1:%2").arg(l.number).arg(l.name);
        return out;
    }
};

TEST_F(ExistingRoster, TwoClassesOneAfterTheOtherBothStay)
{
    rosterimport::Outcome outcome = import(QStringLiteral("番号,学年,名前\n101,5年,青木\n102,5年,石井\n").toUtf8(),
        rosterimport::Mode::AddOrUpdate, QStringLiteral("5年1組.csv"));
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    outcome = import(QStringLiteral("番号,学年,名前\n201,5年,江藤\n202,5年,大野\n").toUtf8(),
        rosterimport::Mode::AddOrUpdate, QStringLiteral("5年2組.csv"));
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("5年2組.csv"))) << outcome.message.toStdString();
    EXPECT_EQ(names(), (QStringList { "5000:先生", "3:上田", "101:青木", "102:石井", "201:江藤", "202:大野" }));
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("新しく加えた人 2人、書き直した人 0人")))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("ほかの 4人はそのまま残しました")));
    EXPECT_TRUE(outcome.warning.isEmpty()) << "the teacher is still there";
    EXPECT_EQ(QDir(root()).entryList({ "新名簿_*.txt" }, QDir::Files).size(), 2) << "a dated copy per import";
}

TEST_F(ExistingRoster, AKnownNumberIsUpdatedInPlaceKeepingWhatTheFileDoesNotSay)
{
    const rosterimport::Outcome outcome = import(QStringLiteral("番号,生年,名前,状態\n3,2017,上田 ゆい,1\n").toUtf8());
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(read(roster()),
        datafiles::itemFileBytes(QStringLiteral("5000,1975,0,0,\"先生\",0,\"\",\"\"\n"
                                                "3,2017,7,8,\"上田 ゆい\",1,\"うえだ\",\"保健\"\n")));
}

TEST_F(ExistingRoster, ReplaceDropsThePupilsTheFileDoesNotNameButKeepsTheTeacher)
{
    const rosterimport::Outcome outcome
        = import(QStringLiteral("番号,学年,名前\n101,小5,青木\n").toUtf8(), rosterimport::Mode::Replace);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(names(), (QStringList { "101:青木", "5000:先生" }));
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("ファイルにない 1人を名簿から外しました")))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("先生 1人は残しました")));
}

// A file says a teacher goes by naming the teacher's number with a status
// that is not listed; a pupil given a teacher's number is refused.
struct TeacherCase {
    const char *name;
    const char16_t *row;
    bool written;
    bool teacherListed;
};

class TeacherRow : public ExistingRoster, public ::testing::WithParamInterface<std::tuple<TeacherCase, bool>> { };

TEST_P(TeacherRow, RemovesATeacherOnlyWhenTheFileSaysSo)
{
    const auto &[c, replace] = GetParam();
    const rosterimport::Outcome outcome
        = import((QStringLiteral("番号,学年,名前,状態\n101,小5,青木,0\n") + QString::fromUtf16(c.row) + "\n").toUtf8(),
            replace ? rosterimport::Mode::Replace : rosterimport::Mode::AddOrUpdate);
    EXPECT_EQ(outcome.ok, c.written) << outcome.message.toStdString();
    if (!c.written) {
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("3行目: 番号5000は先生「先生」の番号です")))
            << outcome.message.toStdString();
        EXPECT_EQ(read(roster()), datafiles::itemFileBytes(kExisting));
        return;
    }
    bool teacher = false;
    for (const Listed &l : loadRoster())
        teacher = teacher || l.name.contains(QStringLiteral("先生"));
    EXPECT_EQ(teacher, c.teacherListed);
    EXPECT_EQ(outcome.warning.isEmpty(), c.teacherListed);
}

INSTANTIATE_TEST_SUITE_P(Rows, TeacherRow,
    ::testing::Combine(::testing::Values(TeacherCase { "NotNamed", u"102,小5,石井,0", true, true },
                           TeacherCase { "NamedWithStatusNine", u"5000,,先生,9", true, false },
                           TeacherCase { "RenamedStillATeacher", u"5000,,★田中先生,0", true, true },
                           TeacherCase { "PupilOnTheTeachersNumber", u"5000,小5,石井,0", false, false },
                           TeacherCase { "PupilOnTheTeachersNumberNotListed", u"5000,小5,石井,9", true, false }),
        ::testing::Bool()),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Replace" : "AddOrUpdate");
    });

TEST_F(ExistingRoster, ATeacherRowNeedsNoGrade)
{
    const rosterimport::Outcome outcome
        = import(QStringLiteral("番号,学年,名前\n5000,,先生\n90,,★山口\n91,,山口\n").toUtf8());
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("4行目: 学年がありません"))) << outcome.message.toStdString();
    EXPECT_FALSE(outcome.message.contains(QStringLiteral("2行目")));
    EXPECT_FALSE(outcome.message.contains(QStringLiteral("3行目")));

    ASSERT_TRUE(import(QStringLiteral("番号,生年,名前\n5000,,先生\n90,,★山口\n").toUtf8()).ok);
    auto state = std::make_unique<SharedState>();
    state->DataRootFolder = root();
    state->SchoolYearStartMonth = kStartMonth;
    ASSERT_TRUE(LoadRoster(*state, kNow.date(), nullptr, nullptr));
    EXPECT_EQ(state->RosterBirthYear[5000], 1975) << "an updated teacher keeps the year";
    EXPECT_EQ(state->RosterBirthYear[90], rosterimport::kTeacherBirthYear);
}

struct GradeCase {
    const char *name;
    const char16_t *header;
    const char16_t *cells; // grade (and stage) cells of pupil 1, 青木
    const char16_t *label; // as the name list shows it; empty when refused
};

class GradeForm : public RosterImport, public ::testing::WithParamInterface<GradeCase> { };

TEST_P(GradeForm, IsReadAsTheGradeATeacherMeans)
{
    const GradeCase &c = GetParam();
    writeCsv((QString::fromUtf16(c.header) + "\n1," + QString::fromUtf16(c.cells) + ",青木\n").toUtf8());
    const rosterimport::Outcome outcome = import();
    const QString label = QString::fromUtf16(c.label);
    if (label.isEmpty()) {
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("2行目: 学"))) << outcome.message.toStdString();
        return;
    }
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    const auto listed = loadRoster();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].label, label);
}

const char16_t *const kGradeOnly = u"番号,学年,名前";
const char16_t *const kWithStage = u"番号,学年,学校,名前";
const char16_t *const kWithKind = u"番号,学年,校種,名前";

INSTANTIATE_TEST_SUITE_P(Forms, GradeForm,
    ::testing::Values(GradeCase { "StageAndYear", kGradeOnly, u"小5", u"小5" },
        GradeCase { "YearWithNen", kGradeOnly, u"5年", u"小5" },
        GradeCase { "YearWithNensei", kGradeOnly, u"5年生", u"小5" },
        GradeCase { "FullWidth", kGradeOnly, u"５年", u"小5" }, GradeCase { "Junior", kGradeOnly, u"中1", u"中1" },
        GradeCase { "JuniorLong", kGradeOnly, u"中学1年", u"中1" },
        GradeCase { "HighLong", kGradeOnly, u"高校2年", u"高2" }, GradeCase { "High", kGradeOnly, u"高2", u"高2" },
        GradeCase { "Kindergarten", kGradeOnly, u"年長", u"幼3" },
        GradeCase { "NumberWithStage", kWithStage, u"1,中", u"中1" },
        GradeCase { "NenWithStageSchool", kWithStage, u"2年,高校", u"高2" },
        GradeCase { "NumberWithKind", kWithKind, u"3,小学校", u"小3" },
        GradeCase { "EmptyStageCell", kWithStage, u"中2,", u"中2" },
        GradeCase { "StagesDisagree", kWithStage, u"中1,小", u"" }, GradeCase { "NoSuchYear", kGradeOnly, u"中4", u"" },
        GradeCase { "NoSuchYearInStage", kWithStage, u"5,高", u"" },
        GradeCase { "UnknownStage", kWithStage, u"1,大学", u"" }, GradeCase { "Words", kGradeOnly, u"五年", u"" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RosterImport, ABareGradeReadAsElementarySchoolIsSaid)
{
    writeCsv(QStringLiteral("番号,学年,名前\n1,5年,青木\n2,中1,石井\n3,1,上田\n").toUtf8());
    const rosterimport::Outcome outcome = import();
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("2人分を小学校の学年として読みました")))
        << outcome.message.toStdString();
}

TEST_F(RosterImport, AReadingIsStoredForTheNameOrderAndMustBeKana)
{
    writeCsv(QStringLiteral("番号,生年,名前,フリガナ\n1,2017,髙橋,タカハシ\n2,2017,渡辺,\n").toUtf8());
    ASSERT_TRUE(import().ok);
    auto state = std::make_unique<SharedState>();
    state->DataRootFolder = root();
    state->SchoolYearStartMonth = kStartMonth;
    ASSERT_TRUE(LoadRoster(*state, kNow.date(), nullptr, nullptr));
    EXPECT_EQ(NameOrderKeys::readingOf(state->Roster[1].spareText1), QStringLiteral("たかはし"));
    EXPECT_EQ(state->Roster[2].spareText1.trimmed(), QString());

    writeCsv(QStringLiteral(
        "番号,生年,名前,ふりがな\n1,2017,髙橋,高橋\n2,2017,渡辺,わたなべわたなべわたなべわたなべわたなべわたなべ\n")
                 .toUtf8());
    const rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("2行目: ふりがな「高橋」はひらがなかカタカナで")))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("3行目: ふりがなが24文字あります")));
}

// The roster line used to be filled in placeholder by placeholder, and a
// "%4" in a name took the status in its place.
TEST_F(RosterImport, ANameWithAPercentSignIsWrittenAsItIs)
{
    writeCsv(QStringLiteral("番号,生年,名前,状態\n1,2018,青木%4,0\n2,2018,%1石井,0\n").toUtf8());
    ASSERT_TRUE(import().ok);
    const auto listed = loadRoster();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].name, QStringLiteral("青木%4"));
    EXPECT_EQ(listed[1].name, QStringLiteral("%1石井"));
}

TEST_F(RosterImport, AnUnreadableRosterCanOnlyBeReplaced)
{
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(roster(), "cut short", &error));
    writeCsv("番号,生年,名前\n1,2018,青木\n");
    rosterimport::Outcome outcome = import();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("今の名簿を読めない"))) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(roster())) << "names the roster";
    EXPECT_EQ(read(roster()), "cut short");

    outcome = rosterimport::importFile(csv(), root(), kStartMonth, kNow, rosterimport::Mode::Replace);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.warning.contains(QStringLiteral("先生は残せませんでした"))) << outcome.warning.toStdString();
    EXPECT_EQ(read(outcome.backupPath), "cut short");
}

} // namespace

// SPDX-License-Identifier: MIT
#include "maintenance/criteria_grid.h"
#include "platform/cp932.h"
#include "results/criteria_file.h"
#include "state/shared_state.h"
#include "support/data_root.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kHeader = QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,");

// A criteria file as the editor writes it, with `levels` level lines.
QByteArray criteriaFile(int levels)
{
    QString text = kHeader + QStringLiteral("\r\n");
    for (int l = 1; l <= levels; ++l)
        text += QStringLiteral("%1,%2,100,5,%3,20,300,7,1,0,,x%1\r\n")
                    .arg(40 + l)
                    .arg(90 + l)
                    .arg(l % 3 ? QStringLiteral("1") : QStringLiteral("1.5"));
    return cp932::encode(text);
}

struct Grid : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.path() + QStringLiteral("/タイム回数データ.txt"); }
    void write(const QByteArray &bytes) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

TEST_F(Grid, UnchangedGridOf35LevelsSavesTheSameBytes)
{
    const QByteArray original = criteriaFile(35);
    write(original);
    const CriteriaGridLoad load = loadCriteriaGrid(path());
    ASSERT_TRUE(load.ok);
    EXPECT_TRUE(load.problem.isEmpty());
    ASSERT_EQ(load.rows.size(), 36u);
    EXPECT_EQ(load.rows[0], criteriaTitleRow());
    EXPECT_EQ(load.rows[35][0], QStringLiteral("35"));
    EXPECT_EQ(load.rows[35][1], QStringLiteral("75"));
    EXPECT_EQ(load.rows[35][12], QStringLiteral("x75"));
    const QByteArray saved = criteriaFileBytes(load.rows);
    EXPECT_EQ(saved.count("\r\n"), 36);
    EXPECT_EQ(saved, original);
}

TEST_F(Grid, ChangedCellChangesOnlyItsItem)
{
    write(criteriaFile(4));
    CriteriaGridLoad load = loadCriteriaGrid(path());
    load.rows[3][5] = QStringLiteral("2.5");
    const QList<QByteArray> before = criteriaFile(4).split('\n');
    const QList<QByteArray> after = criteriaFileBytes(load.rows).split('\n');
    ASSERT_EQ(before.size(), after.size());
    for (int line = 0; line < before.size(); ++line) {
        if (line != 3) {
            EXPECT_EQ(after[line], before[line]) << line;
            continue;
        }
        const QList<QByteArray> was = before[line].split(',');
        const QList<QByteArray> now = after[line].split(',');
        ASSERT_EQ(now.size(), 12);
        for (int item = 0; item < 12; ++item)
            EXPECT_EQ(now[item], item == 4 ? QByteArray("2.5") : was[item]) << item;
    }
}

TEST_F(Grid, HeaderOfTheFileIsReplacedByTheTitles)
{
    write(cp932::encode(QStringLiteral("a,b,c,d,e,f,g,h,i,j,k,l\r\n1,2,3,4,5,6,7,8,9,10,11,12\r\n")));
    const CriteriaGridLoad load = loadCriteriaGrid(path());
    EXPECT_TRUE(criteriaFileBytes(load.rows).startsWith(cp932::encode(kHeader + QStringLiteral("\r\n"))));
}

TEST_F(Grid, ShortLastRowIsCompletedAndReported)
{
    write(cp932::encode(kHeader + QStringLiteral("\r\n60,120,100,5,1,20,300,7,1,0,0,0\r\n70,130\r\n")));
    const CriteriaGridLoad load = loadCriteriaGrid(path());
    ASSERT_TRUE(load.ok);
    ASSERT_EQ(load.rows.size(), 3u);
    EXPECT_EQ(load.rows[2][2], QStringLiteral("130"));
    EXPECT_EQ(load.rows[2][3], QString());
    EXPECT_TRUE(load.problem.contains(path()));
    EXPECT_TRUE(load.problem.contains(QStringLiteral("レベル2")));
}

TEST_F(Grid, MissingFileCannotBeLoaded)
{
    const CriteriaGridLoad load = loadCriteriaGrid(path());
    EXPECT_FALSE(load.ok);
    EXPECT_TRUE(load.problem.contains(path()));
}

TEST(CriteriaExplanation, TextsKeepTheirLeadingBlanks)
{
    EXPECT_EQ(criteriaColumnExplanation(2), QStringLiteral("合格最低ラインタイム\n  この５倍が時間切れになります"));
    EXPECT_EQ(criteriaColumnExplanation(5).count(QLatin1Char('\n')), 2);
    EXPECT_TRUE(criteriaColumnExplanation(7).endsWith(QStringLiteral("\n ")));
    EXPECT_TRUE(criteriaColumnExplanation(0).isEmpty());
    EXPECT_TRUE(criteriaColumnExplanation(11).isEmpty());
}

// --- the check before saving ----------------------------------------------

struct Refusal {
    int column;
    const char16_t *cell;
    const char16_t *says;
};

void PrintTo(const Refusal &r, std::ostream *out)
{
    *out << "column " << r.column << " " << QString::fromUtf16(r.cell).toStdString();
}

class GridRefuses : public ::testing::TestWithParam<Refusal> { };

TEST_P(GridRefuses, CellThatWouldBreakTheFile)
{
    std::vector<CriteriaGridRow> rows = { criteriaTitleRow() };
    for (int l = 1; l <= 3; ++l) {
        CriteriaGridRow row;
        row[0] = QString::number(l);
        const char *cells[12] = { "60", "120", "100", "5", "1", "20", "300", "7", "1", "0", "0", "0" };
        for (int c = 1; c <= 12; ++c)
            row[size_t(c)] = QString::fromLatin1(cells[c - 1]);
        rows.push_back(row);
    }
    const Refusal &r = GetParam();
    rows[2][size_t(r.column)] = QString::fromUtf16(r.cell);
    const auto problem = findCriteriaProblem(rows);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->row, 2);
    EXPECT_EQ(problem->column, r.column);
    EXPECT_TRUE(problem->message.contains(QStringLiteral("レベル2"))) << problem->message.toStdString();
    EXPECT_TRUE(problem->message.contains(QString::fromUtf16(r.says))) << problem->message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cells, GridRefuses,
    ::testing::Values(Refusal { 1, u"6o", u"目標Time" }, Refusal { 2, u"abc", u"数字ではありません" },
        Refusal { 5, u"1..5", u"ﾎﾟｲﾝﾄ倍率" }, Refusal { 7, u"三百", u"禁点" }, Refusal { 9, u"1日", u"禁期間" },
        Refusal { 4, u"40000", u"0～32767" }, Refusal { 1, u"3000000000", u"1～5999" }, Refusal { 3, u"", u"空です" },
        Refusal { 9, u"　", u"空です" }, Refusal { 2, u"0", u"10～19999" }, Refusal { 5, u"-2", u"使える範囲の外" },
        Refusal { 8, u"－７", u"0～99999" }, Refusal { 10, u"a,b", u"10列目" }, Refusal { 12, u"\"x", u"12列目" },
        Refusal { 11, u"😀", u"書けない文字" }));

TEST(GridCheck, NumbersInAnyFormAndEmptyReservedCellsPass)
{
    std::vector<CriteriaGridRow> rows = { criteriaTitleRow() };
    CriteriaGridRow row;
    row[0] = QStringLiteral("1");
    // Numeric cells must hold a number within range (an empty one is
    // refused); the reserved columns 10 to 12 may hold anything writable.
    const char *cells[12] = { "60", " 120 ", "0", "5", "1.5", "+20", "+300", "7.", "0.5", "text", "", "x y" };
    for (int c = 1; c <= 12; ++c)
        row[size_t(c)] = QString::fromLatin1(cells[c - 1]);
    rows.push_back(row);
    EXPECT_FALSE(findCriteriaProblem(rows).has_value());
}

TEST(GridCheck, MoreThan35LevelsAreRefused)
{
    std::vector<CriteriaGridRow> rows(37, CriteriaGridRow {});
    rows[0] = criteriaTitleRow();
    const auto problem = findCriteriaProblem(rows);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->column, 0);
}

// Whatever the check lets through, the loader takes: a saved file never
// stops the program at its next start.
class CheckedCellLoads : public Grid, public ::testing::WithParamInterface<const char16_t *> { };

TEST_P(CheckedCellLoads, InEveryColumn)
{
    for (int column = 1; column <= 12; ++column) {
        std::vector<CriteriaGridRow> rows = { criteriaTitleRow() };
        CriteriaGridRow row;
        row[0] = QStringLiteral("1");
        const char *cells[12] = { "60", "120", "100", "5", "1", "20", "300", "7", "1", "0", "0", "0" };
        for (int c = 1; c <= 12; ++c)
            row[size_t(c)] = QString::fromLatin1(cells[c - 1]);
        row[size_t(column)] = QString::fromUtf16(GetParam());
        rows.push_back(row);
        if (findCriteriaProblem(rows))
            continue;
        write(criteriaFileBytes(rows));
        auto state = std::make_unique<SharedState>();
        const CriteriaLoadResult result = readCriteriaTable(*state, path());
        EXPECT_TRUE(result.ok) << "column " << column << ": " << result.problem.toStdString();
        // ... and every level it lets through can be run.
        EXPECT_TRUE(state->CriteriaOutOfRange[1].isEmpty())
            << "column " << column << ": " << state->CriteriaOutOfRange[1].toStdString();
        const std::optional<double> value = criteriaCellNumber(QString::fromUtf16(GetParam()));
        if (column == 1 && value) {
            EXPECT_EQ(state->TargetTime[1], std::int32_t(std::nearbyint(*value)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, CheckedCellLoads,
    ::testing::Values(u"", u"0", u"75", u" 75 ", u"1.5", u"-2", u"2147483647", u"32767", u"32768", u"abc", u"６０",
        u"1,2", u"\"", u"9e3", u"１．５", u"　"));

TEST(CriteriaCellNumber, IsTheValueTheLoaderTakes)
{
    EXPECT_EQ(criteriaCellNumber(QString()), 0.0);
    EXPECT_EQ(criteriaCellNumber(QStringLiteral(" 60 ")), 60.0);
    EXPECT_EQ(criteriaCellNumber(QStringLiteral("1.5")), 1.5);
    EXPECT_FALSE(criteriaCellNumber(QStringLiteral("60秒")).has_value());
    EXPECT_FALSE(criteriaCellNumber(QStringLiteral("abc")).has_value());
}

} // namespace

// SPDX-License-Identifier: MIT
// The README is how a school gets started; what it tells about the sample
// must match the sample, and the steps a new user needs must be there.
#include "platform/item_reader.h"
#include "results/criteria_file.h"
#include "results/results_journal.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString readme()
{
    QFile file(QStringLiteral(TEST_SAMPLE_SOURCE_DIR "/../README.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(Readme, NamesTheSamplePasswordAndWhatItOpens)
{
    const QString text = readme();
    ASSERT_FALSE(text.isEmpty());
    QFile settings(QStringLiteral(TEST_SAMPLE_SOURCE_DIR "/data/共通データ.txt"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    ItemReader items = ItemReader::fromText(QString::fromUtf8(settings.readAll()));
    QString password;
    for (int i = 1; i <= 6; ++i)
        password = items.next().toText();
    const QRegularExpression said(QStringLiteral("sample's password is (\\S+?)\\."));
    const QRegularExpressionMatch match = said.match(text);
    ASSERT_TRUE(match.hasMatch());
    EXPECT_EQ(match.captured(1), password);
    EXPECT_TRUE(text.contains(QStringLiteral("データ処理")));
}

struct Topic {
    const char *name;
    QString words;
};

class ReadmeExplains : public ::testing::TestWithParam<Topic> { };

TEST_P(ReadmeExplains, WhatANewUserNeeds)
{
    EXPECT_TRUE(readme().contains(GetParam().words)) << GetParam().words.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Topics, ReadmeExplains,
    ::testing::Values(Topic { "SigningIn", QStringLiteral("confirms with \"O.K.\" or the key \"1\"") },
        Topic { "GeneratedSuite", QStringLiteral("`build/suite/` is written again by every build") },
        Topic { "OwnDataRoot", QStringLiteral("To run on a school's own data root") },
        Topic { "RosterColumns", QStringLiteral("The roster `新名簿.txt` has one pupil per line with eight items") },
        Topic { "SharedResults", QStringLiteral("Several PCs, one results file") },
        Topic { "Ending", QStringLiteral("Ending the program") },
        Topic { "AdministratorSteps", QStringLiteral("Setting up a school, step by step") },
        Topic { "SeveralClasses", QStringLiteral("rukamina --import-roster 5年2組.csv") },
        Topic { "GradeForms", QStringLiteral("小5, 5年, 5年生, 中1, 中学1年, 高2, 高校2年, 幼3") },
        Topic { "Replace", QStringLiteral("rukamina --import-roster --replace") },
        Topic { "SoundOff", QStringLiteral("[sound]\n       sound=off") },
        Topic { "Log", QStringLiteral("~/.local/state/rukamina/rukamina.log") },
        Topic { "DailyCopies", QStringLiteral("バックアップ/rukamina/成績累積データ_<yyyyMMdd>.dat") },
        Topic { "Restore", QStringLiteral("Restoring a daily copy") },
        Topic { "OneFolderSeveralAccounts", QStringLiteral("## One folder, several accounts") }),
    [](const auto &info) { return std::string(info.param.name); });

// The administrator looks for the journal by the name the README gives.
TEST(Readme, NamesTheJournalTheDataEditorWrites)
{
    const QString name = QFileInfo(resultsJournalPath(QStringLiteral("/data/rukamina/成績累積データ.dat"))).fileName();
    EXPECT_TRUE(readme().contains(QStringLiteral("`%1`").arg(name))) << name.toStdString();
}

} // namespace

namespace {

// Teachers set the criteria from the README's table; it must give the
// ranges the editor and the loader go by.
TEST(Readme, GivesTheCriteriaRangesTheProgramGoesBy)
{
    const QString text = readme();
    for (int column = 1; column <= kCriteriaNumericColumns; ++column) {
        const QString row = QStringLiteral("| %1 | %2 |").arg(criteriaColumnTitle(column), criteriaRangeText(column));
        EXPECT_TRUE(text.contains(row)) << row.toStdString();
    }
}

} // namespace

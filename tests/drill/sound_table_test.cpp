// SPDX-License-Identifier: MIT
#include "drill/sound_table.h"
#include "platform/item_reader.h"
#include "state/shared_state.h"
#include "support/data_root.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct Category {
    int number;
    int count;
    QStringList files; // slots 1.. as far as given
};

struct TableCase {
    const char *name;
    const char16_t *list;
    std::vector<Category> expected;
};

class SoundList : public ::testing::TestWithParam<TableCase> { };

TEST_P(SoundList, BlocksFillTheirCategories)
{
    auto state = std::make_unique<SharedState>();
    ItemReader reader = ItemReader::fromText(QString::fromUtf16(GetParam().list));
    readSoundTable(*state, reader);
    for (const Category &c : GetParam().expected) {
        const SoundCategory &cat = state->SoundTable[size_t(c.number)];
        EXPECT_EQ(cat.count, c.count) << "category " << c.number;
        for (int j = 0; j < c.files.size(); ++j)
            EXPECT_EQ(cat.files[size_t(j + 1)], c.files[j]) << "category " << c.number << " file " << j + 1;
    }
}

QStringList fileNames(int n)
{
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names << QStringLiteral("F%1").arg(i);
    return names;
}

QString twentyOneFiles()
{
    QString s;
    for (int i = 1; i <= 21; ++i)
        s += QStringLiteral("F%1\r\n").arg(i);
    return s;
}

const std::u16string kNoStar = u"正解音2\r\n" + twentyOneFiles().toStdU16String() + u"間違い音2\r\nW\r\n*\r\n";

INSTANTIATE_TEST_SUITE_P(Lists, SoundList,
    ::testing::Values(TableCase { "TwoFiles", u"正解音2\r\nA\r\nB\r\n*\r\n", { { 2, 2, { "A", "B" } } } },
        TableCase {
            "CommaSeparatedBlocks", u"正解音2,A,B,*,間違い音2,W,*\r\n", { { 2, 2, { "A", "B" } }, { 4, 1, { "W" } } } },
        TableCase { "DuplicateOverwritesSlotBySlot", u"正解音2\r\nA\r\nB\r\nC\r\n*\r\n正解音2\r\nX\r\n*\r\n",
            { { 2, 1, { "X", "B", "C" } } } },
        TableCase {
            "StrayItemsOutsideBlocksAreSkipped", u"ごみ\r\n12\r\n不合格音1\r\nN\r\n*\r\n", { { 10, 1, { "N" } } } },
        TableCase { "MissingStarKeepsTwentyFilesWithoutCount", kNoStar.c_str(),
            { { 2, 0, fileNames(20) }, { 4, 1, { "W" } } } },
        TableCase { "ListEndingInsideABlockKeepsItsFiles", u"間違い音2\r\nW1\r\nW2\r\n", { { 4, 0, { "W1", "W2" } } } },
        TableCase { "EmptyBlock", u"自己最高音2\r\n*\r\n", { { 8, 0, { "" } } } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SoundList, TwentiethFileOfAnOpenBlockIsComparedWithTheLaterNames)
{
    // Without "*" the last item read goes on to the comparison with the
    // categories after the open one, and may open one of them.
    QString list = QStringLiteral("正解音1\r\n");
    for (int i = 1; i <= 19; ++i)
        list += QStringLiteral("F%1\r\n").arg(i);
    list += QStringLiteral("間違い音2\r\nW\r\n*\r\n");
    auto state = std::make_unique<SharedState>();
    ItemReader reader = ItemReader::fromText(list);
    readSoundTable(*state, reader);
    EXPECT_EQ(state->SoundTable[1].count, 0);
    EXPECT_EQ(state->SoundTable[1].files[20], QStringLiteral("間違い音2"));
    EXPECT_EQ(state->SoundTable[4].count, 1);
    EXPECT_EQ(state->SoundTable[4].files[1], QStringLiteral("W"));
}

TEST(LoadSoundTable, ReadsTheShiftJisListFromTheSoundFolderAndNamesEveryCategory)
{
    TestInstall install;
    install.writeSoundList(QStringLiteral("正解音2\n正解①\nＢ\n*\n"));
    auto state = std::make_unique<SharedState>();
    state->SoundFolder = install.soundFolder();
    ASSERT_TRUE(LoadSoundTable(*state, nullptr));
    EXPECT_EQ(state->SoundTable[2].count, 2);
    EXPECT_EQ(state->SoundTable[2].files[1], QStringLiteral("正解①"));
    EXPECT_EQ(state->SoundTable[2].files[2], QStringLiteral("Ｂ"));
    EXPECT_EQ(state->SoundTable[1].name, QStringLiteral("正解音1"));
    EXPECT_EQ(state->SoundTable[10].name, QStringLiteral("不合格音1"));
}

TEST(LoadSoundTable, MissingListIsReportedWithItsPath)
{
    TestInstall install;
    auto state = std::make_unique<SharedState>();
    state->SoundFolder = install.soundFolder();
    QString problem;
    EXPECT_FALSE(LoadSoundTable(*state, &problem));
    EXPECT_TRUE(problem.contains(install.soundFolder() + QStringLiteral("新音ファイル.txt"))) << problem.toStdString();
    EXPECT_EQ(state->SoundTable[4].name, QStringLiteral("間違い音2"));
}

} // namespace

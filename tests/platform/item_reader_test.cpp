// SPDX-License-Identifier: MIT
#include "platform/cp932.h"
#include "platform/item_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList texts(ItemReader reader)
{
    QStringList out;
    while (!reader.atEnd())
        out << reader.next().text;
    return out;
}

TEST(ItemReader, SameItemsWhetherOnePerLineOrCommaSeparated)
{
    const QStringList expected { QStringLiteral("4"), QStringLiteral("学校"), QStringLiteral("0"),
        QStringLiteral("x") };
    EXPECT_EQ(texts(ItemReader::fromText(QStringLiteral("4\r\n\"学校\"\r\n0\r\nx\r\n"))), expected);
    EXPECT_EQ(texts(ItemReader::fromText(QStringLiteral("4,\"学校\",0,x\r\n"))), expected);
    EXPECT_EQ(texts(ItemReader::fromText(QStringLiteral("4,\"学校\"\r\n0,x"))), expected);
}

TEST(ItemReader, QuotedItemKeepsCommasAndBlanks)
{
    ItemReader r = ItemReader::fromText(QStringLiteral("\"みなみ, 北校 \" , next\r\n"));
    const ItemValue first = r.next();
    EXPECT_EQ(first.text, QStringLiteral("みなみ, 北校 "));
    EXPECT_FALSE(first.numeric);
    EXPECT_EQ(r.next().text, QStringLiteral("next"));
    EXPECT_TRUE(r.atEnd());
}

TEST(ItemReader, UnquotedItemsLoseOuterBlanksAndNumbersAreRecognised)
{
    ItemReader r = ItemReader::fromText(QStringLiteral("  12 , 1.5,-3, 12ab ,\"7\"\r\n"));
    ItemValue a = r.next(), b = r.next(), c = r.next(), d = r.next(), e = r.next();
    EXPECT_TRUE(a.numeric);
    EXPECT_EQ(a.number, 12);
    EXPECT_EQ(a.text, QStringLiteral("12"));
    EXPECT_TRUE(b.numeric);
    EXPECT_DOUBLE_EQ(b.number, 1.5);
    EXPECT_EQ(c.number, -3);
    EXPECT_FALSE(d.numeric);
    EXPECT_EQ(d.text, QStringLiteral("12ab"));
    EXPECT_EQ(d.toNumber(), 0);
    EXPECT_FALSE(e.numeric) << "a quoted item is text";
}

// The program's blank is U+0020 alone: an ideographic space (or any other
// space character) around an unquoted item is part of the item, as it is of
// a name on every screen.
struct KeptSpace {
    const char *name;
    QString line;
    QString item;
};

class ItemReaderTrimsOnlyTheBlank : public ::testing::TestWithParam<KeptSpace> { };

TEST_P(ItemReaderTrimsOnlyTheBlank, KeepsOtherSpacesAroundAnUnquotedItem)
{
    ItemReader r = ItemReader::fromText(GetParam().line);
    const ItemValue v = r.next();
    EXPECT_EQ(v.text, GetParam().item);
    EXPECT_FALSE(v.numeric) << "a number with a space character attached is text";
    EXPECT_EQ(r.next().text, QStringLiteral("x"));
}

INSTANTIATE_TEST_SUITE_P(Spaces, ItemReaderTrimsOnlyTheBlank,
    ::testing::Values(KeptSpace { "IdeographicAfter", QStringLiteral(" 山田　,x\r\n"), QStringLiteral("山田　") },
        KeptSpace { "IdeographicBefore", QStringLiteral("　12 ,x\r\n"), QStringLiteral("　12") },
        KeptSpace { "IdeographicOnly", QStringLiteral("　\r\nx\r\n"), QStringLiteral("　") },
        KeptSpace { "NoBreakSpace", QStringLiteral("12\u00a0,x\r\n"), QStringLiteral("12\u00a0") },
        KeptSpace { "Tab", QStringLiteral("\t12,x\r\n"), QStringLiteral("\t12") }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ItemReader, EmptyItemsBetweenCommasAndAtLineEnd)
{
    // The criteria header ends with three empty titles.
    ItemReader r = ItemReader::fromText(QStringLiteral("a,,b,\r\nc,,,\r\n"));
    EXPECT_EQ(texts(r), (QStringList { "a", "", "b", "", "c", "", "", "" }));
}

TEST(ItemReader, BlankLinesYieldNothingAndEndOfFileIsClean)
{
    ItemReader r = ItemReader::fromText(QStringLiteral("a\r\n\r\n   \r\nb\r\n\r\n"));
    EXPECT_EQ(r.total(), 2);
    EXPECT_EQ(r.next().text, QStringLiteral("a"));
    EXPECT_EQ(r.next().text, QStringLiteral("b"));
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.next().text, QString()) << "reading past the end gives an empty item";
    EXPECT_TRUE(ItemReader::fromText(QString()).atEnd());
}

TEST(ItemReader, StrayQuoteStaysOnItsLine)
{
    ItemReader r = ItemReader::fromText(QStringLiteral("\"unclosed, still\r\nnext,line\r\n"));
    EXPECT_EQ(texts(r), (QStringList { "unclosed, still", "next", "line" }));
}

TEST(ItemReader, LineNumbersFollowTheItems)
{
    ItemReader r = ItemReader::fromText(QStringLiteral("a,b\r\n\r\nc\r\n"));
    r.next();
    EXPECT_EQ(r.lineOfLast(), 1);
    r.next();
    r.next();
    EXPECT_EQ(r.lineOfLast(), 3);
}

TEST(ItemReader, ReadsCp932FilesAndReportsMissingOnes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("名簿.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(cp932::encode(QStringLiteral("1,\"★山口\",ｸﾘｱ\r\n")));
    f.write("\x81\xFF,x\r\n"); // a byte pair CP932 does not have
    f.close();
    auto reader = ItemReader::open(path);
    ASSERT_TRUE(reader.has_value());
    EXPECT_TRUE(reader->hadInvalidBytes());
    EXPECT_EQ(reader->next().number, 1);
    EXPECT_EQ(reader->next().text, QStringLiteral("★山口"));
    EXPECT_EQ(reader->next().text, QStringLiteral("ｸﾘｱ"));
    QString error;
    EXPECT_FALSE(ItemReader::open(dir.filePath(QStringLiteral("none.txt")), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

} // namespace

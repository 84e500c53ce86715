// SPDX-License-Identifier: MIT
#include "setup/data_files.h"
#include "setup/roster_import_dialog.h"
#include "state/shared_state.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Answers each message box the exchange opens with the button of the given
// text (any button for an empty text), and notes what every box said. The
// polling timer outlives the answerer only by one tick, and then stops.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QStringList buttons)
        : s_(std::make_shared<State>())
    {
        s_->buttons = std::move(buttons);
        poll(s_);
    }
    ~BoxAnswerer() { s_->done = true; }
    const QStringList &texts() const { return s_->texts; }
    // The buttons each box offered.
    const QList<QStringList> &offered() const { return s_->offered; }

private:
    struct State {
        QStringList buttons;
        QStringList texts;
        QList<QStringList> offered;
        bool done = false;
    };
    static void poll(std::shared_ptr<State> s)
    {
        QTimer::singleShot(20, [s] {
            if (s->done)
                return;
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                s->texts << box->text() + QLatin1Char('\n') + box->detailedText();
                QStringList offered;
                for (QAbstractButton *b : box->buttons())
                    offered << b->text();
                s->offered << offered;
                const QString want = s->buttons.isEmpty() ? QString() : s->buttons.takeFirst();
                for (QAbstractButton *b : box->buttons()) {
                    if (want.isEmpty() || b->text() == want) {
                        b->click();
                        break;
                    }
                }
            }
            poll(s);
        });
    }
    std::shared_ptr<State> s_;
};

struct RosterImportDialog : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    QString csv() const { return dir.path() + "/組.csv"; }
    QString roster() const { return dir.path() + "/新名簿.txt"; }

    RosterImportDialog()
    {
        state->DataRootFolder = dir.path() + "/";
        state->SchoolYearStartMonth = 4;
        QString error;
        EXPECT_TRUE(datafiles::writeFileAtomically(roster(), kOld, &error));
    }
    static inline const QByteArray kOld = datafiles::itemFileBytes(QStringLiteral("5000,1980,0,0,\"先生\",0,\"\",\"\"\n"
                                                                                  "7,2017,0,0,\"石井\",0,\"\",\"\"\n"));
    void writeCsv(const QByteArray &bytes) const
    {
        QString error;
        ASSERT_TRUE(datafiles::writeFileAtomically(csv(), bytes, &error));
    }
    QByteArray rosterBytes() const
    {
        QFile f(roster());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(RosterImportDialog, AddingKeepsEverybodyElseAndSaysWhereTheOldRosterIs)
{
    writeCsv("番号,生年,名前\n1,2018,赤井\n2,2018,青木\n7,2017,石井 はると\n");
    BoxAnswerer answers({ QStringLiteral("追加・更新する"), QString() });
    EXPECT_TRUE(importRosterInteractive(nullptr, *state, csv()));
    ASSERT_EQ(answers.texts().size(), 2);
    const QString asked = answers.texts()[0];
    EXPECT_TRUE(asked.contains(QStringLiteral("3人を読み込みます"))) << asked.toStdString();
    EXPECT_TRUE(asked.contains(QStringLiteral("新しい番号の 2人を加え、1人を書き直します"))) << asked.toStdString();
    EXPECT_TRUE(asked.contains(QStringLiteral("ほかの 1人はそのまま残ります")));
    EXPECT_TRUE(asked.contains(QStringLiteral("このファイルの 3人だけにします。先生 1人は残します。")))
        << asked.toStdString();
    EXPECT_TRUE(answers.texts()[1].contains(QStringLiteral("新名簿_"))) << answers.texts()[1].toStdString();
    EXPECT_TRUE(rosterBytes().startsWith(datafiles::itemFileBytes("5000,1980,0,0,\"先生\"")));
    EXPECT_TRUE(rosterBytes().contains(datafiles::itemFileBytes("7,2017,0,0,\"石井 はると\"")));
    EXPECT_TRUE(rosterBytes().contains(datafiles::itemFileBytes("\"赤井\"")));
}

TEST_F(RosterImportDialog, ReplacingIsAChoiceOfItsOwn)
{
    writeCsv("番号,生年,名前\n1,2018,赤井\n");
    BoxAnswerer answers({ QStringLiteral("置き換える"), QString() });
    EXPECT_TRUE(importRosterInteractive(nullptr, *state, csv()));
    EXPECT_EQ(rosterBytes(),
        datafiles::itemFileBytes("1,2018,0,0,\"赤井\",0,\"\",\"\"\n5000,1980,0,0,\"先生\",0,\"\",\"\"\n"));
}

TEST_F(RosterImportDialog, DeclinedImportChangesNothing)
{
    writeCsv("番号,生年,名前\n1,2018,青木\n");
    BoxAnswerer answers({ QStringLiteral("やめる") });
    EXPECT_FALSE(importRosterInteractive(nullptr, *state, csv()));
    EXPECT_EQ(rosterBytes(), kOld);
}

TEST_F(RosterImportDialog, AnUnreadableRosterOffersOnlyToReplaceIt)
{
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(roster(), "old", &error));
    writeCsv("番号,生年,名前\n1,2018,青木\n");
    BoxAnswerer answers({ QStringLiteral("やめる") });
    EXPECT_FALSE(importRosterInteractive(nullptr, *state, csv()));
    ASSERT_EQ(answers.texts().size(), 1);
    EXPECT_TRUE(answers.texts()[0].contains(QStringLiteral("今の名簿を読めない"))) << answers.texts()[0].toStdString();
    QStringList offered = answers.offered()[0];
    offered.sort();
    EXPECT_EQ(offered, (QStringList { QStringLiteral("やめる"), QStringLiteral("置き換える") }));
    EXPECT_EQ(rosterBytes(), "old");
}

TEST_F(RosterImportDialog, BadRowsAreAllShownBeforeAnythingIsAsked)
{
    writeCsv("番号,生年,名前\n1,2018,青木\n1,2018,石井\n3,18,上田\n");
    BoxAnswerer answers({ QString() });
    EXPECT_FALSE(importRosterInteractive(nullptr, *state, csv()));
    ASSERT_EQ(answers.texts().size(), 1);
    EXPECT_TRUE(answers.texts()[0].contains(QStringLiteral("3行目: 番号1は2行目と同じです")))
        << answers.texts()[0].toStdString();
    EXPECT_TRUE(answers.texts()[0].contains(QStringLiteral("4行目: 生年「18」"))) << answers.texts()[0].toStdString();
    EXPECT_EQ(rosterBytes(), kOld);
}

} // namespace

// SPDX-License-Identifier: MIT
#include "setup/data_files.h"
#include "setup/roster_import_dialog.h"
#include "startup/shared_state.h"

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

private:
    struct State {
        QStringList buttons;
        QStringList texts;
        bool done = false;
    };
    static void poll(std::shared_ptr<State> s)
    {
        QTimer::singleShot(20, [s] {
            if (s->done)
                return;
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                s->texts << box->text() + QLatin1Char('\n') + box->detailedText();
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
        EXPECT_TRUE(datafiles::writeFileAtomically(roster(), "old", &error));
    }
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

TEST_F(RosterImportDialog, ConfirmedImportWritesTheRosterAndSaysWhereTheOldOneIs)
{
    writeCsv("番号,生年,名前\n1,2018,先生\n2,2018,青木\n");
    BoxAnswerer answers({ QStringLiteral("読み込む"), QString() });
    EXPECT_TRUE(importRosterInteractive(nullptr, *state, csv()));
    ASSERT_EQ(answers.texts().size(), 2);
    EXPECT_TRUE(answers.texts()[0].contains(QStringLiteral("2人を読み込み"))) << answers.texts()[0].toStdString();
    EXPECT_TRUE(answers.texts()[1].contains(QStringLiteral("新名簿_"))) << answers.texts()[1].toStdString();
    EXPECT_TRUE(rosterBytes().startsWith(datafiles::itemFileBytes("1,")));
}

TEST_F(RosterImportDialog, DeclinedImportChangesNothing)
{
    writeCsv("番号,生年,名前\n1,2018,青木\n");
    BoxAnswerer answers({ QStringLiteral("やめる") });
    EXPECT_FALSE(importRosterInteractive(nullptr, *state, csv()));
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
    EXPECT_EQ(rosterBytes(), "old");
}

} // namespace

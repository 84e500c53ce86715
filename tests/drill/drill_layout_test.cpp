// SPDX-License-Identifier: MIT
// The drill window and the result screen as a pupil sees them: colours at the
// places the layout gives, texts that fit their fields, the fixed-pitch face
// in the displays. Set DRILL_SCREENSHOTS to a folder to keep the pictures.
#include "drill/run_control.h"
#include "drill_env.h"
#include "platform/layout.h"
#include "support/problem_answer.h"

#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using drill_test::DrillEnv;

// A point given in twips of the window.
QColor at(const QImage &image, int left, int top)
{
    return image.pixelColor(twips(left), twips(top));
}

std::string rgb(const QColor &c)
{
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()).toStdString();
}

#define EXPECT_COLOUR(image, left, top, r, g, b)                                                                       \
    EXPECT_EQ(rgb(at(image, left, top)), rgb(QColor(r, g, b))) << "at " << (left) << ", " << (top) << " twips"

QImage shot(QWidget *window, const char *name)
{
    const QImage image = window->grab().toImage();
    const QString folder = qEnvironmentVariable("DRILL_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        image.save(QDir(folder).filePath(QLatin1String(name) + QStringLiteral(".png")));
    }
    return image;
}

// Every non-empty label of the window shows its whole text.
void expectTextsFit(QWidget *window)
{
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->text().isEmpty() || label->isHidden())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->contentsRect().width())
            << label->objectName().toStdString() << " \"" << label->text().toStdString() << "\"";
        EXPECT_LE(label->fontMetrics().tightBoundingRect(label->text()).height(), label->contentsRect().height())
            << label->objectName().toStdString();
    }
}

// The work area starts below the 1695-twip strip; panels sit at 960, 2280
// inside it. Points inside a panel are given relative to the panel.
constexpr int kPanelLeft = 960;
constexpr int kPanelTop = 1695 + 2280;

struct Layout : ::testing::Test {
    DrillEnv env;
    DrillWindow *drill = nullptr;

    void SetUp() override
    {
        env.state->CurrentLevel = 4;
        env.state->PupilName = QStringLiteral("山田　花子");
        env.count();
        StartDrill(*env.state, env.navigator);
        drill = env.navigator.drill();
    }
    void key(Qt::Key k) { QTest::keyClick(drill->focusWidget(), k); }
    void type(const QString &s)
    {
        QTest::keyClicks(drill->focusWidget(), s);
        key(Qt::Key_Return);
    }
    QString problem() const { return drill->findChild<QLabel *>(QStringLiteral("ProblemDisplay"))->text(); }
};

TEST_F(Layout, MemorisePanelAndStatusStrip)
{
    for (int i = 0; i < 45; ++i) {
        env.clock.advanceMs(1000);
        drill->runClockTick();
    }
    const QImage image = shot(drill, "1-memorise");
    EXPECT_EQ(image.size(), QSize(1024, 768));
    EXPECT_COLOUR(image, 5000, 200, 0, 192, 0); // strip
    EXPECT_COLOUR(image, 300, 1695 + 300, 128, 255, 128); // work area
    EXPECT_COLOUR(image, kPanelLeft + 200, kPanelTop + 200, 0, 192, 0); // panel
    EXPECT_COLOUR(image, kPanelLeft + 615, kPanelTop + 1650, 255, 255, 128); // digit display
    EXPECT_COLOUR(image, 1740 + 60, 720 + 200, 192, 255, 192); // "本日" box
    EXPECT_COLOUR(image, 14220 + 60, 720 + 200, 0, 255, 0); // "タイム" box
    EXPECT_COLOUR(image, 6840 + 127, 1440 + 67, 192, 0, 0); // Pass cell 1
    EXPECT_COLOUR(image, 570 + 127, 1440 + 67, 0, 128, 0); // Best cell 1
    EXPECT_COLOUR(image, 3840 + 127, 1440 + 67, 192, 192, 0); // YourBest cell 1
    // Level 4 runs against 200 s of a 1000 s limit: at 45 s the blue bar
    // has passed 600 twips, the target bar (120 s) goes on to 1800 and the
    // pass-line bar (200 s) to 3003; then the white frame.
    EXPECT_COLOUR(image, 90 + 600, 1260 + 75, 0, 0, 255);
    EXPECT_COLOUR(image, 90 + 1000, 1260 + 75, 0, 255, 0);
    EXPECT_COLOUR(image, 90 + 2400, 1260 + 75, 128, 255, 128);
    EXPECT_COLOUR(image, 90 + 8000, 1260 + 75, 255, 255, 255);

    auto *digits = drill->findChild<QLabel *>(QStringLiteral("DigitDisplay"));
    EXPECT_EQ(digits->text().size(), 7);
    EXPECT_EQ(QFontInfo(digits->font()).family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(drill->findChild<QLabel *>(QStringLiteral("ProgramNameLabel"))->font().pixelSize(), 22)
        << "16.8 pt for a name of up to nine characters";
    expectTextsFit(drill);
}

TEST_F(Layout, CalculationPanelWithLamps)
{
    key(Qt::Key_Return);
    QImage image = shot(drill, "2-calculation");
    const int lampTop = kPanelTop + 3030 + 187;
    EXPECT_COLOUR(image, kPanelLeft + 615, kPanelTop + 1650, 255, 255, 128); // problem display
    EXPECT_COLOUR(image, kPanelLeft + 3240 + 247, lampTop, 192, 192, 192);
    type(QString::number(answerOfProblemText(problem())));
    type(QString::number(answerOfProblemText(problem())));
    QTest::keyClicks(drill->focusWidget(), QStringLiteral("12"));
    image = shot(drill, "3-two-lamps");
    EXPECT_COLOUR(image, kPanelLeft + 3240 + 247, lampTop, 0, 255, 0);
    EXPECT_COLOUR(image, kPanelLeft + 5310 + 247, lampTop, 0, 255, 0);
    EXPECT_COLOUR(image, kPanelLeft + 7380 + 247, lampTop, 192, 192, 192);
    EXPECT_EQ(QFontInfo(drill->findChild<QLineEdit *>(QStringLiteral("Text1"))->font()).family(),
        QStringLiteral("IPAGothic"));
    expectTextsFit(drill);
}

TEST_F(Layout, RecallPanelAndWrongRecallCorrection)
{
    const QString digits = drill->findChild<QLabel *>(QStringLiteral("DigitDisplay"))->text();
    key(Qt::Key_Return);
    for (int i = 0; i < 3; ++i)
        type(QString::number(answerOfProblemText(problem())));
    QTest::keyClicks(drill->focusWidget(), QStringLiteral("1234"));
    QImage image = shot(drill, "4-recall");
    EXPECT_COLOUR(image, kPanelLeft + 450 + 150, kPanelTop + 1500 + 150, 128, 255, 255); // recall box
    EXPECT_COLOUR(image, kPanelLeft + 450 + 150, kPanelTop + 2730 + 150, 0, 192, 0); // no correction yet

    key(Qt::Key_Return);
    image = shot(drill, "5-wrong-recall");
    if (digits != QStringLiteral("1234")) {
        EXPECT_COLOUR(image, kPanelLeft + 450 + 150, kPanelTop + 2730 + 150, 255, 128, 128); // correction box
        EXPECT_TRUE(drill->findChild<QPushButton *>(QStringLiteral("Commandkakunin"))->isVisible());
    }
    expectTextsFit(drill);
}

TEST_F(Layout, OverlayAfterTimeUp)
{
    env.state->PassLineTime[4] = 2;
    env.navigator.drills.clear();
    StartDrill(*env.state, env.navigator);
    drill = env.navigator.drill();
    for (int i = 0; i < 10; ++i) {
        env.clock.advanceMs(1000);
        drill->runClockTick();
    }
    ASSERT_EQ(env.state->TimeUp, 1);
    drill->show();
    const QImage image = shot(drill, "6-overlay");
    EXPECT_COLOUR(image, 300, 300, 0, 192, 192);
    EXPECT_COLOUR(image, 15000, 11200, 0, 192, 192);
    // Red text in the middle band, where "時間切れ" stands.
    bool red = false;
    for (int x = 0; x < image.width() && !red; ++x)
        for (int y = twips(4950); y < twips(4950 + 1020) && !red; ++y)
            red = image.pixelColor(x, y) == QColor(255, 0, 0);
    EXPECT_TRUE(red);
    expectTextsFit(drill);
}

TEST_F(Layout, ResultScreenWithClearedLevelAndGoalBanner)
{
    env.navigator.drills.clear();
    env.writeRecords({ env.run(4, 30), env.run(4, 30), env.run(4, 30), env.run(4, 30), env.run(4, 30) });
    env.state->RecordedTime = 30;
    env.state->NewOwnRecord = 1;
    env.state->NewTopRecord = 1;
    env.navigator.showResult();
    ResultScreen *result = env.navigator.result();
    QImage image = shot(result, "7-result");
    EXPECT_COLOUR(image, 1845 + 100, 405 + 100, 255, 224, 192); // program
    EXPECT_COLOUR(image, 1845 + 100, 1755 + 100, 255, 255, 192); // level
    EXPECT_COLOUR(image, 1845 + 100, 3255 + 100, 192, 255, 192); // pupil
    EXPECT_COLOUR(image, 1845 + 100, 4440 + 100, 192, 255, 192); // time
    EXPECT_COLOUR(image, 1845 + 100, 6390 + 100, 192, 255, 192); // message
    EXPECT_COLOUR(image, 180 + 100, 7710 + 100, 0, 192, 0); // level cleared
    EXPECT_COLOUR(image, 180 + 100, 8145 + 1500, 0, 128, 0); // goal banner
    EXPECT_COLOUR(image, 180 + 3330 + 100, 8145 + 390 + 100, 128, 255, 128);
    expectTextsFit(result);

    result->showButtons();
    image = shot(result, "8-result-buttons");
    EXPECT_TRUE(result->findChild<QPushButton *>(QStringLiteral("MenuButton"))->isVisible());
    EXPECT_TRUE(result->findChild<QPushButton *>(QStringLiteral("AgainButton"))->isVisible());
    expectTextsFit(result);
}

} // namespace

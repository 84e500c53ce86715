// SPDX-License-Identifier: MIT
#include "app/app_navigator.h"
#include "roster/name_selection_screen.h"
#include "setup/screen_scaling.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"
#include "support/scoped_env.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct FitCase {
    int width;
    int height;
    double factor;
};

class FitFactor : public ::testing::TestWithParam<FitCase> { };

TEST_P(FitFactor, FillsTheShorterSideAndNeverShrinks)
{
    const FitCase &c = GetParam();
    EXPECT_DOUBLE_EQ(screenscaling::fitFactor(QSize(c.width, c.height)), c.factor) << c.width << "x" << c.height;
}

INSTANTIATE_TEST_SUITE_P(Screens, FitFactor,
    ::testing::Values(FitCase { 1024, 768, 1.0 }, FitCase { 800, 600, 1.0 }, FitCase { 1366, 768, 1.0 },
        FitCase { 1920, 1080, 1.40625 }, FitCase { 1280, 1024, 1.25 }, FitCase { 2560, 1440, 1.875 },
        FitCase { 3840, 2160, 2.8125 },
        // 1048 / 768 = 1.3646: down to the next 1/64
        FitCase { 1920, 1048, 1.359375 }));

// The free area of a screen and the frame the window manager draws round
// a window, both in the screen's pixels.
struct FramedCase {
    QSize available;
    QMargins frame;
    double factor;
};

class FramedFitFactor : public ::testing::TestWithParam<FramedCase> { };

TEST_P(FramedFitFactor, WindowAndFrameFitTheFreeAreaAndOneStepMoreWouldNot)
{
    const FramedCase &c = GetParam();
    const double factor = screenscaling::fitFactor(c.available, c.frame);
    EXPECT_DOUBLE_EQ(factor, c.factor);
    auto fits = [&c](double f) {
        return std::ceil(1024 * f) + c.frame.left() + c.frame.right() <= c.available.width()
            && std::ceil(768 * f) + c.frame.top() + c.frame.bottom() <= c.available.height();
    };
    if (factor > 1.0) {
        EXPECT_TRUE(fits(factor));
    }
    EXPECT_FALSE(fits(factor + 1.0 / 64));
}

INSTANTIATE_TEST_SUITE_P(Screens, FramedFitFactor,
    ::testing::Values(
        // openbox's frame on a 1024 x 768 screen: 1 px sides, 20 px title,
        // 5 px handle at the bottom; the program never shrinks (the window
        // goes without its frame instead)
        FramedCase { { 1024, 768 }, { 1, 20, 1, 5 }, 1.0 }, FramedCase { { 1366, 740 }, { 1, 20, 1, 5 }, 1.0 },
        // wide borders make the width the limit
        FramedCase { { 1420, 1200 }, { 10, 20, 10, 5 }, 87.0 / 64 },
        // a 1080 screen fills its height with the frame counted
        FramedCase { { 1920, 1080 }, { 1, 20, 1, 5 }, 87.0 / 64 },
        FramedCase { { 1920, 1053 }, { 4, 30, 4, 4 }, 84.0 / 64 },
        FramedCase { { 3840, 2160 }, { 2, 40, 2, 10 }, 175.0 / 64 },
        FramedCase { { 1024, 600 }, { 1, 20, 1, 5 }, 1.0 }));

// Where a window goes, in the application's pixels: the screen's free
// area, the whole screen, the window and the window manager's frame.
struct PlaceCase {
    QRect available;
    QRect screen;
    QSize window;
    QMargins frame;
    QPoint frameTopLeft;
    bool frameless;
};

class WindowPlacement : public ::testing::TestWithParam<PlaceCase> { };

TEST_P(WindowPlacement, WholeWindowCentredWithItsFrameOrWithoutWhereTheFrameDoesNotFit)
{
    const PlaceCase &c = GetParam();
    const screenscaling::Placement place = screenscaling::placement(c.available, c.screen, c.window, c.frame);
    EXPECT_EQ(place.frameTopLeft, c.frameTopLeft);
    EXPECT_EQ(place.frameless, c.frameless);
    // Whatever fits the screen stands whole on it.
    if (c.window.width() <= c.screen.width() && c.window.height() <= c.screen.height()) {
        const QRect outer(place.frameTopLeft, place.frameless ? c.window : c.window.grownBy(c.frame));
        EXPECT_TRUE(c.screen.contains(outer));
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowPlacement,
    ::testing::Values(
        // 1024 x 768 with openbox: title bar and window cannot both show
        PlaceCase { { 0, 0, 1024, 768 }, { 0, 0, 1024, 768 }, { 1024, 768 }, { 1, 20, 1, 5 }, { 0, 0 }, true },
        // the offscreen platform: no frame, so it fits as it is
        PlaceCase { { 0, 0, 1024, 768 }, { 0, 0, 1024, 768 }, { 1024, 768 }, {}, { 0, 0 }, false },
        // a panel at the bottom: over the panel rather than cut by the edge
        PlaceCase { { 0, 0, 1024, 740 }, { 0, 0, 1024, 768 }, { 1024, 768 }, { 1, 20, 1, 5 }, { 0, 0 }, true },
        // a wide laptop screen: centred across, without the frame
        PlaceCase { { 0, 0, 1366, 768 }, { 0, 0, 1366, 768 }, { 1024, 768 }, { 1, 20, 1, 5 }, { 171, 0 }, true },
        // a panel at the top moves the free area down
        PlaceCase { { 0, 27, 1440, 1053 }, { 0, 0, 1440, 1080 }, { 1024, 768 }, { 1, 20, 1, 5 }, { 207, 157 }, false },
        // a second screen to the right of the first
        PlaceCase {
            { 1920, 0, 1280, 1024 }, { 1920, 0, 1280, 1024 }, { 1024, 768 }, { 1, 20, 1, 5 }, { 2047, 115 }, false },
        // the splash is smaller and keeps its frame
        PlaceCase { { 0, 0, 1024, 768 }, { 0, 0, 1024, 768 }, { 820, 660 }, { 1, 20, 1, 5 }, { 101, 41 }, false },
        // a screen smaller than the design: the top left stays in view
        PlaceCase { { 0, 0, 800, 600 }, { 0, 0, 800, 600 }, { 1024, 768 }, { 1, 20, 1, 5 }, { 0, 0 }, true }));

TEST(ScalingSwitch, OptionEnvironmentAndSettingFileEachTurnItOff)
{
    QTemporaryDir config;
    ScopedEnv home("XDG_CONFIG_HOME", config.path().toUtf8());
    ScopedEnv own("RUKAMINA_SCALING", QByteArray());
    ScopedEnv qt("QT_SCALE_FACTOR", QByteArray());
    ScopedEnv qtScreens("QT_SCREEN_SCALE_FACTORS", QByteArray());
    EXPECT_EQ(screenscaling::switchedOffBy(false), QString());
    EXPECT_EQ(screenscaling::switchedOffBy(true), QStringLiteral("--no-scaling"));
    {
        ScopedEnv off("RUKAMINA_SCALING", "off");
        EXPECT_EQ(screenscaling::switchedOffBy(false), QStringLiteral("RUKAMINA_SCALING"));
    }
    {
        ScopedEnv on("RUKAMINA_SCALING", "on");
        EXPECT_EQ(screenscaling::switchedOffBy(false), QString());
    }
    {
        ScopedEnv user("QT_SCALE_FACTOR", "2");
        EXPECT_EQ(screenscaling::switchedOffBy(false), QStringLiteral("QT_SCALE_FACTOR"));
    }
    QDir().mkpath(config.path() + "/rukamina");
    QFile conf(config.path() + "/rukamina/rukamina.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[display]\nscaling=off\n");
    conf.close();
    EXPECT_EQ(screenscaling::switchedOffBy(false), conf.fileName());
}

// The name-selection screen as the installed program first shows it, built
// the same way at both scales.
struct NameSelectionOnScreen {
    TestInstall install;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    std::unique_ptr<NameSelectionScreen> screen;

    NameSelectionOnScreen()
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("1,2018,0,0,\"青木 さくら\",0,\"\",\"\"\n"
                                           "2,2012,0,0,\"石井 はると\",0,\"\",\"\"\n"
                                           "30,1975,0,0,\"先生\",0,\"\",\"\"\n"));
        EXPECT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        state->SeasonColour = Rgb { 192, 255, 192 };
        screen = std::make_unique<NameSelectionScreen>(*state, fakes.platform, navigator);
        EXPECT_TRUE(screen->open());
        screen->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(screen.get()));
        screen->onShown();
        screen->setFocus(); // no caret blinking in either picture
    }
};

constexpr double kScaleAt1080 = 1080.0 / 768.0;

// Runs this test binary again on a 1920 x 1080 offscreen screen with the
// program's scaling, and has it compare its screen with the 1024 x 768 one.
TEST(LargeScreen, ControlsSitAtTheDesignPositionsTimesTheScale)
{
    QTemporaryDir dir;
    NameSelectionOnScreen reference;
    const QImage small = reference.screen->grab().toImage();
    ASSERT_EQ(small.size(), screenscaling::kDesignSize);
    ASSERT_TRUE(small.save(dir.path() + "/reference.png"));

    QFile screens(dir.path() + "/screen.json");
    ASSERT_TRUE(screens.open(QIODevice::WriteOnly));
    // Without the platform's own window frame, so the design height fills
    // the screen exactly.
    screens.write(R"({"windowFrameMargins":false,"screens":[{"name":"big","x":0,"y":0,"width":1920,"height":1080,)"
                  R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    screens.close();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName());
    env.insert("DRILL_TESTS_SCALE_LIKE_THE_PROGRAM", "1");
    env.insert("DRILL_TESTS_REFERENCE_GRAB", dir.path() + "/reference.png");
    env.remove("QT_SCALE_FACTOR");
    env.remove("QT_SCREEN_SCALE_FACTORS");
    env.remove("RUKAMINA_SCALING");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), { "--gtest_filter=ScaledChild.*" });
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST(ScaledChild, ComparesWithTheReference)
{
    const QString referencePath = qEnvironmentVariable("DRILL_TESTS_REFERENCE_GRAB");
    if (referencePath.isEmpty())
        GTEST_SKIP() << "runs only inside LargeScreen.ControlsSitAtTheDesignPositionsTimesTheScale";

    const QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_DOUBLE_EQ(screen->devicePixelRatio(), kScaleAt1080);
    EXPECT_EQ(screen->geometry().height(), 768) << "the design height fills the screen";

    NameSelectionOnScreen big;
    const QImage large = big.screen->grab().toImage();
    if (const QString out = qEnvironmentVariable("DRILL_TESTS_SCALED_GRAB_OUT"); !out.isEmpty())
        large.save(out);
    EXPECT_EQ(large.size(), QSize(1440, 1080));

    // Every point of the 1024 x 768 picture that sits in a plain area (its
    // 5 x 5 neighbourhood one colour, so fonts and edges rendered at the
    // larger size cannot touch it) must have that colour at its scaled place.
    const QImage small(referencePath);
    ASSERT_EQ(small.size(), screenscaling::kDesignSize);
    int compared = 0;
    int different = 0;
    QStringList examples;
    for (int y = 2; y < small.height() - 2; y += 4) {
        for (int x = 2; x < small.width() - 2; x += 4) {
            const QRgb colour = small.pixel(x, y);
            bool plain = true;
            for (int dy = -2; dy <= 2 && plain; ++dy)
                for (int dx = -2; dx <= 2 && plain; ++dx)
                    plain = small.pixel(x + dx, y + dy) == colour;
            if (!plain)
                continue;
            ++compared;
            const QPoint scaled(int((x + 0.5) * kScaleAt1080), int((y + 0.5) * kScaleAt1080));
            if (large.pixel(scaled) != colour) {
                ++different;
                if (examples.size() < 5)
                    examples << QStringLiteral("(%1,%2)->(%3,%4)").arg(x).arg(y).arg(scaled.x()).arg(scaled.y());
            }
        }
    }
    EXPECT_GT(compared, 20000);
    EXPECT_EQ(different, 0) << different << " of " << compared << ": " << examples.join(' ').toStdString();
}

// The windows a teacher goes through, shown by the program's navigator:
// each stands whole, frame included, and centred in the screen's free area.
// Runs as a child of SizedScreen.TeachersWindowsStandWholeAndCentred; run it
// directly on a real display (DRILL_TESTS_FIT_CHILD=1
// DRILL_TESTS_SCALE_LIKE_THE_PROGRAM=1 QT_QPA_PLATFORM=xcb) to have the
// window manager's frame count too.
TEST(FittedChild, HubAndEditorsStandWholeInTheFreeArea)
{
    if (qEnvironmentVariableIsEmpty("DRILL_TESTS_FIT_CHILD"))
        GTEST_SKIP() << "runs only inside SizedScreen.TeachersWindowsStandWholeAndCentred";
    TestInstall install;
    install.writeDefaults();
    FakePlatform fakes;
    auto state = std::make_unique<SharedState>();
    ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
    fillLevelTable(*state);
    state->PupilNumber = 30;
    state->PupilName = QStringLiteral("山口先生");
    state->SeasonColour = Rgb { 192, 255, 192 };
    state->GradeFilter = QStringLiteral("全学年");
    auto navigator = std::make_unique<AppNavigator>(*state, fakes.platform);

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    auto expectWhole = [&available](QWidget *window) {
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QTest::qWait(200); // the window manager's frame, where there is one
        const QRect frame = window->frameGeometry();
        const QString where = QStringLiteral("%1: frame %2,%3 %4x%5 in %6,%7 %8x%9")
                                  .arg(window->objectName())
                                  .arg(frame.x())
                                  .arg(frame.y())
                                  .arg(frame.width())
                                  .arg(frame.height())
                                  .arg(available.x())
                                  .arg(available.y())
                                  .arg(available.width())
                                  .arg(available.height());
        EXPECT_TRUE(available.contains(frame)) << where.toStdString();
        // Centred within the rounding of a frame measured in the screen's
        // pixels and placed in scaled ones.
        EXPECT_NEAR(frame.left() - available.left(), available.right() - frame.right(), 4) << where.toStdString();
        EXPECT_NEAR(frame.top() - available.top(), available.bottom() - frame.bottom(), 4) << where.toStdString();
    };
    navigator->showHub();
    expectWhole(navigator->hub());
    navigator->showCriteriaEditor();
    navigator->closeHub();
    expectWhole(navigator->criteriaEditor());
    navigator->showDataEditor();
    expectWhole(navigator->dataEditor());
    navigator.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(SizedScreen, TeachersWindowsStandWholeAndCentred)
{
    QTemporaryDir dir;
    QFile screens(dir.path() + "/screen.json");
    ASSERT_TRUE(screens.open(QIODevice::WriteOnly));
    // 5:4, so the scaled windows leave room above and below.
    screens.write(R"({"screens":[{"name":"sized","x":0,"y":0,"width":1280,"height":1024,)"
                  R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    screens.close();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName());
    env.insert("DRILL_TESTS_SCALE_LIKE_THE_PROGRAM", "1");
    env.insert("DRILL_TESTS_FIT_CHILD", "1");
    env.remove("QT_SCALE_FACTOR");
    env.remove("QT_SCREEN_SCALE_FACTORS");
    env.remove("RUKAMINA_SCALING");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), { "--gtest_filter=FittedChild.*" });
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

} // namespace

// SPDX-License-Identifier: MIT
#include "roster/name_selection_screen.h"
#include "setup/screen_scaling.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"
#include "support/scoped_env.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
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
    screens.write(R"({"screens":[{"name":"big","x":0,"y":0,"width":1920,"height":1080,)"
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

} // namespace

// SPDX-License-Identifier: MIT
// The program: one shared state, the real platform services, the navigator,
// and the splash window that starts everything.
#include "app/app_navigator.h"
#include "app/command_line.h"
#include "platform/clock.h"
#include "platform/detached_launcher.h"
#include "platform/layout.h"
#include "platform/message_box_fatal_errors.h"
#include "platform/platform.h"
#include "platform/program_log.h"
#include "platform/qt_translations.h"
#include "platform/window_wait_notice.h"
#include "setup/first_run_dialog.h"
#include "setup/screen_scaling.h"
#include "setup/sound_choice.h"
#include "startup/splash_window.h"
#include "state/shared_state.h"

#include <QApplication>
#include <memory>

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = runCommandLine(argc, argv))
        return *status;
    screenscaling::applyBeforeApplication(argc, argv, scalingSwitchedOff(argc, argv));
    QApplication app(argc, argv);
    // Closing the last window ends the program. Every change of screen
    // shows the next window before it closes the last one, so only a
    // window the user closes can be the last.
    QApplication::setQuitOnLastWindowClosed(true);
    registerFontSubstitutes();
    installJapaneseQtTranslations(app);
    if (!firstrun::runIfNeeded(QCoreApplication::applicationDirPath()))
        return 0;

    auto state = std::make_unique<SharedState>();
    SystemClock clock;
    // Everything that ends the program or makes it wait for a person is
    // also written to the user's log: started from a menu, the program has
    // no terminal to print to.
    ProgramLog log(ProgramLog::defaultPath(), clock);
    MessageBoxFatalErrors messageBox;
    LoggedFatalErrors fatal(messageBox, log);
    WindowWaitNotice window;
    LoggedWaitNotice notice(&window, log);

    const soundchoice::Decision soundDecision = soundchoice::decideForThisPc();
    const std::unique_ptr<SoundOutput> sound = soundchoice::makeOutput(soundDecision);
    state->SoundNotice = soundchoice::noticeText(soundDecision);
    if (soundDecision.choice == soundchoice::Choice::NoDevice)
        log.write(QStringLiteral("音声"),
            QStringLiteral("音声装置を開けません（%1）。音なしで動きます。").arg(soundDecision.reason));

    DetachedLauncher launcher;
    Platform platform { clock, fatal, *sound, launcher, &notice, &log };
    AppNavigator navigator(*state, platform);

    // The executable's real folder (links resolved): its parent holds the
    // path file and its name names the program's data folder.
    SplashWindow splash(*state, platform, navigator, QCoreApplication::applicationDirPath());
    splash.start();
    return app.exec();
}

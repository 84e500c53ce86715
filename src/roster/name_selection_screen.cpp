// SPDX-License-Identifier: MIT
#include "roster/name_selection_screen.h"
#include "drill/sound_effects.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/fatal_error.h"
#include "platform/layout.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "platform/program_launcher.h"
#include "platform/window_placement.h"
#include "results/counts.h"
#include "roster/roster_file.h"
#include "state/level_table.h"
#include "state/navigator.h"
#include "state/shared_state.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kChooseName = QStringLiteral("名前を選びなさい");
const QString kLineZero = QStringLiteral("－－－－－－");
constexpr int kRetryWaitMs = 5000;
constexpr int kRetriesBeforeGivingUp = 5;

// Option bar positions, left and width in twips, by display mode.
constexpr int kOptionLeft[kDisplayModes] = { 15, 3740, 7675, 11520 };
constexpr int kOptionWidth[kDisplayModes] = { 1935, 2145, 2055, 2295 };

QLabel *makeLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

} // namespace

NameSelectionScreen::NameSelectionScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , platform_(platform)
    , navigator_(navigator)
{
    buildControls();
}

void NameSelectionScreen::buildControls()
{
    setObjectName(QStringLiteral("namesel"));
    setWindowTitle(state_.ProgramName);
    setFixedSize(twips(15360), twips(11520));
    setFont(layoutFont(kGothicProportional, 9));

    titleBar_ = new QWidget(this);
    titleBar_->setObjectName(QStringLiteral("Picture4"));
    placeTwips(titleBar_, 60, 45, 13170, 1275);
    auto *titleBackground = makeLabel(titleBar_, QStringLiteral("Label6"));
    titleBackground->setGeometry(0, 0, twips(13170), twips(1275));
    setColours(titleBackground, rgbHex(0x004040));
    auto *logoFrame = new QWidget(titleBar_);
    logoFrame->setObjectName(QStringLiteral("Picture3"));
    placeTwips(logoFrame, 75, 75, 945, 990);
    setColours(logoFrame, rgbHex(0xC0FFFF));
    auto *logo = makeLabel(logoFrame, QStringLiteral("Image1"));
    logo->setGeometry(0, 0, twips(945), twips(990));
    programTitle_ = makeLabel(titleBar_, QStringLiteral("Label4"));
    placeTwips(programTitle_, 1140, 90, 11940, 1020);
    programTitle_->setFont(layoutFont(kGothicFixed, 48));
    programTitle_->setAlignment(Qt::AlignCenter);
    setColours(programTitle_, rgbHex(0x008080), rgbHex(0xFFFF00));
    programTitle_->installEventFilter(this);

    const QString menuCaption = QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)");
    menuButton_ = new QPushButton(QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑ\nメニューへ(0)"), this);
    menuButton_->setObjectName(QStringLiteral("Command7"));
    menuButton_->setAccessibleName(menuCaption);
    placeTwips(menuButton_, 13320, 45, 1860, 1245);
    connect(menuButton_, &QPushButton::clicked, this, [this] { ReturnToMenu(); });

    chosenName_ = makeLabel(this, QStringLiteral("Label1"));
    placeTwips(chosenName_, 90, 1410, 13830, 990);
    chosenName_->setFont(layoutFont(kMinchoFixed, 39.75));
    chosenName_->setAlignment(Qt::AlignCenter);
    chosenName_->setAccessibleDescription(QStringLiteral("選んだ名前"));
    setColours(chosenName_, rgbHex(0x00FFFF), Qt::black);

    chosenNumber_ = makeLabel(this, QStringLiteral("Label2"));
    chosenNumber_->setAccessibleDescription(QStringLiteral("選んだ番号"));
    chosenNumber_->hide();

    okButton_ = new QPushButton(QStringLiteral("O.K."), this);
    okButton_->setObjectName(QStringLiteral("Command14"));
    placeTwips(okButton_, 13950, 1395, 1140, 1005);
    connect(okButton_, &QPushButton::clicked, this, [this] { ConfirmName(); });

    modeBar_ = new QWidget(this);
    modeBar_->setObjectName(QStringLiteral("Picture7"));
    placeTwips(modeBar_, 90, 2430, 15060, 375);
    setColours(modeBar_, rgbHex(0x00C0C0), Qt::black);
    displayModeGroup_ = new QButtonGroup(this);
    for (int i = 0; i < kDisplayModes; ++i) {
        auto *button = new QRadioButton(DisplayModeCaption(i), modeBar_);
        button->setObjectName(QStringLiteral("Option1_%1").arg(i));
        placeTwips(button, kOptionLeft[i], 0, kOptionWidth[i], 375);
        displayModeGroup_->addButton(button, i);
        displayModeButtons_[i] = button;
    }
    // The design state; the list is built by open, not by this.
    displayModeButtons_[0]->setChecked(true);
    for (int i = 0; i < kDisplayModes; ++i) {
        // Runs when the button becomes selected, by the user or by code.
        connect(displayModeButtons_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                chooseDisplayMode(i);
        });
    }

    gradeFilter_ = new QComboBox(this);
    gradeFilter_->setObjectName(QStringLiteral("Combo1"));
    gradeFilter_->setAccessibleName(QStringLiteral("学年"));
    gradeFilter_->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    placeTwips(gradeFilter_, 14070, 2460, 1005, 300);
    gradeFilter_->addItem(kAllGrades);
    connect(gradeFilter_, &QComboBox::activated, this, [this] { applyGradeFilter(); });

    nameList_ = new QListWidget(this);
    nameList_->setObjectName(QStringLiteral("List1"));
    nameList_->setAccessibleName(QStringLiteral("名前一覧"));
    placeTwips(nameList_, 90, 2790, 15090, 8295);
    nameList_->setFont(layoutFont(kGothicFixed, 14.25));
    nameList_->setUniformItemSizes(true);
    setColours(nameList_, rgbHex(0xC0FFFF), Qt::black);
    // Any change of the selected line, by mouse, arrow keys or code.
    connect(nameList_, &QListWidget::currentRowChanged, this, [this] { showSelectedName(); });
    nameList_->viewport()->installEventFilter(this);

    // Below the list, in the room the window has left there.
    soundNotice_ = makeLabel(this, QStringLiteral("SoundNotice"));
    placeTwips(soundNotice_, 90, 11100, 15090, 390);
    soundNotice_->setFont(layoutFont(kGothicProportional, 11.25, true));
    soundNotice_->setAlignment(Qt::AlignCenter);
    soundNotice_->setAccessibleDescription(QStringLiteral("お知らせ"));
    setColours(soundNotice_, QColor(255, 255, 192), QColor(192, 0, 0));
    soundNotice_->hide();

    waitCover_ = new QWidget(this);
    waitCover_->setObjectName(QStringLiteral("Picture5"));
    waitCover_->setGeometry(0, 0, twips(15375), twips(11235));
    auto *waitLabel = new QLabel(QStringLiteral("Just a moment, please."), waitCover_);
    waitLabel->setObjectName(QStringLiteral("Label3"));
    waitLabel->setFont(layoutFont(kGothicProportional, 26.25));
    waitLabel->setAlignment(Qt::AlignCenter);
    waitLabel->setGeometry(waitCover_->rect());

    // The window sees every key before the control that has the focus.
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

bool NameSelectionScreen::open()
{
    setColours(this, state_.SeasonColour);
    setColours(waitCover_, state_.SeasonColour, Qt::black);
    waitCover_->move(0, 0);
    waitCover_->raise();
    random_.seedFrom(platform_.clock);

    soundNotice_->setText(state_.SoundNotice);
    soundNotice_->setVisible(!state_.SoundNotice.isEmpty());
    screenscaling::placeOnScreen(this);
    show();
    if (!名簿表示())
        return false;

    programTitle_->setFont(layoutFont(kGothicFixed, 48));
    programTitle_->setText(state_.ProgramName);
    if (nameList_->currentRow() == 0)
        showSelectedName();
    else
        nameList_->setCurrentRow(0);
    letEventsRun();
    waitCover_->hide();
    return true;
}

void NameSelectionScreen::onShown()
{
    displayMode_ = 1;
    // Rebuilds the list through chooseDisplayMode unless mode 1 was selected.
    displayModeButtons_[1]->setChecked(true);
    fillGradeFilter();
    state_.GradeFilter = kAllGrades;
    navigator_.closeHub();
    chosenName_->setText(kChooseName);
    waitCover_->hide();
    // Arrow keys move through the names from the start.
    nameList_->setFocus();
}

void NameSelectionScreen::fillGradeFilter()
{
    // The shown text stays what it was; only the choices are renewed.
    const QString shown = gradeFilter_->currentText();
    gradeFilter_->clear();
    gradeFilter_->addItems(GradeFilterTexts());
    const int index = gradeFilter_->findText(shown);
    gradeFilter_->setCurrentIndex(index < 0 ? 0 : index);
}

bool NameSelectionScreen::名簿表示()
{
    // The rebuild lets events run (its waits after a read failure, the
    // count's waits for a busy file), and a click there asks for another
    // rebuild. Run inside, it would fill the list a second time under the
    // waiting one; so it is noted and run once the waiting one is done.
    if (rebuilding_) {
        rebuildAgain_ = true;
        return true;
    }
    rebuilding_ = true;
    bool ok = true;
    do {
        rebuildAgain_ = false;
        ok = rebuildList();
    } while (ok && rebuildAgain_);
    rebuilding_ = false;
    return ok;
}

bool NameSelectionScreen::rebuildList()
{
    retryCount_ = 0;
    stageMarker_ = 1;

    stageMarker_ = 1.5;
    if (!回数求(state_, platform_))
        return false;
    stageMarker_ = 2;
    letEventsRun();

    nameList_->clear();
    pupilLines_.clear();
    shownLines_.clear();
    nameList_->addItem(kLineZero);

    stageMarker_ = 3;
    const int mode = displayMode_;
    NameOrderKeys keys;
    for (;;) {
        // A retried load starts again from the top of the file, so an entry
        // read before the failure is not listed twice.
        pupilLines_.clear();
        RosterFailure failure;
        const bool loaded = LoadRoster(
            state_, platform_.clock.today(),
            [this, mode, &keys](const RosterRecord &record, int, const ListGrade &grade) {
                stageMarker_ = 5;
                const PupilStats stats = PupilStatsOf(state_, record.pupilNumber);
                stageMarker_ = 4;
                pupilLines_.add(record.birthYear, DisplayText(mode, grade, record.name, stats), record.pupilNumber,
                    keys.key(record.name, record.spareText1));
            },
            &failure);
        if (loaded)
            break;
        if (!retryAfter(failure))
            return false;
    }

    stageMarker_ = 10;
    pupilLines_.sort();
    const NameList::Visible visible = pupilLines_.filtered(gradeFilter_->currentText(), state_.SchoolYear);
    nameList_->addItems(visible.lines);
    shownLines_ = visible.numbered;

    if (nameList_->currentRow() == 0)
        showSelectedName();
    else
        nameList_->setCurrentRow(0);
    return true;
}

bool NameSelectionScreen::retryAfter(const RosterFailure &failure)
{
    // Measured on the monotonic tick counter, so midnight does not matter.
    platform_.clock.waitResponsive(kRetryWaitMs);
    ++retryCount_;
    if (retryCount_ > kRetriesBeforeGivingUp) {
        platform_.fatal.fatal(state_.ProgramName,
            QStringLiteral("名簿表示") + numtext::formatNumber(stageMarker_) + failure.description
                + QString::number(failure.number));
        return false;
    }
    return true;
}

void NameSelectionScreen::chooseDisplayMode(int mode)
{
    displayMode_ = mode;
    名簿表示();
}

void NameSelectionScreen::applyGradeFilter()
{
    state_.GradeFilter = gradeFilter_->currentText();
    if (!名簿表示())
        return;
    nameList_->setFocus();
}

void NameSelectionScreen::showSelectedName()
{
    const int row = nameList_->currentRow();
    if (row < 0)
        return;
    if (row == 0) {
        chosenName_->setText(kChooseName);
        return;
    }
    chosenName_->setText(SelectedLineLabel(nameList_->item(row)->text()));
    chosenNumber_->setText(QString::number(PupilNumberOfLine(shownLines_.value(row - 1))));
}

void NameSelectionScreen::confirmClickedName()
{
    const int row = nameList_->currentRow();
    if (row < 0)
        return;
    if (row == 0) {
        chosenName_->setText(kChooseName);
        return;
    }
    chosenName_->setText(ConfirmedLineLabel(nameList_->item(row)->text()));
    chosenNumber_->setText(QString::number(PupilNumberOfLine(shownLines_.value(row - 1))));
    ConfirmName();
}

void NameSelectionScreen::handleKey(const QString &key)
{
    if (key == QLatin1String("1") && !okButton_->isHidden())
        ConfirmName();
    else if (key == QLatin1String("0") && !menuButton_->isHidden())
        ReturnToMenu();
}

void NameSelectionScreen::ConfirmName()
{
    // One sign-in per screen: a second Enter or double-click arriving while
    // the hub opens must not open it twice.
    if (signingIn_)
        return;
    const QString chosen = chosenName_->text();
    if (chosen == kChooseName || chosen.isEmpty()) {
        playWrongSound();
        return;
    }
    const int pupil = chosenNumber_->text().toInt();
    if (pupil < 0 || pupil > kMaxPupil) {
        playWrongSound();
        return;
    }
    signingIn_ = true;
    state_.SignInTime = std::int32_t(numtext::roundHalfEven(platform_.clock.secondsSinceMidnight()));
    state_.PupilNumber = std::int16_t(pupil);
    state_.PupilName = state_.RosterName[pupil];
    state_.PupilGradeLabel = state_.RosterGradeLabel[pupil];

    okButton_->hide();
    waitCover_->show();
    waitCover_->raise();
    letEventsRun();
    SetUpLevelTable(state_, navigator_);
}

QString NameSelectionScreen::menuProgramPath(const QString &installFolder)
{
    const QString program = QDir::cleanPath(installFolder + QStringLiteral("../起動/プログラムメニューc.exe"));
#ifdef Q_OS_UNIX
    // A suite installed on this system names its programs without ".exe".
    if (!QFileInfo::exists(program))
        return program.chopped(4);
#endif
    return program;
}

void NameSelectionScreen::ReturnToMenu()
{
    const QString program = menuProgramPath(state_.InstallFolder);
    // Installed on its own (the Debian package) there is no suite and no
    // menu to go back to: ending the lesson is then a normal end, not a
    // failure to report.
    if (!QFileInfo::exists(program)) {
        navigator_.quit();
        return;
    }
    QString reason;
    if (!platform_.launcher.start(program, { QStringLiteral("001") }, &reason))
        platform_.fatal.fatal(
            state_.ProgramName, QStringLiteral("プログラムメニューを起動できません。\n%1\n%2").arg(program, reason));
    navigator_.quit();
}

void NameSelectionScreen::showVersion()
{
    navigator_.showVersion(this);
    // Closing our own dialog makes this window active again.
    onShown();
}

void NameSelectionScreen::playWrongSound()
{
    PlayWrongSound(state_, platform_, random_);
}

bool NameSelectionScreen::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // A key that a control passes on to its parents reaches this filter
        // again; the window looks at it once, where it first arrived.
        QWidget *first = focusWidget() ? focusWidget() : this;
        if (watched != first)
            break;
        handleKey(key->text());
        if (watched == nameList_
            && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space)) {
            ConfirmName();
            return true;
        }
        // Pupils press a focused button with Enter as well as with space.
        if ((watched == menuButton_ || watched == okButton_)
            && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            static_cast<QPushButton *>(watched)->click();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (watched == nameList_->viewport())
            confirmClickedName();
        break;
    case QEvent::MouseButtonRelease:
        if (watched == programTitle_ && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
            && programTitle_->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            showVersion();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

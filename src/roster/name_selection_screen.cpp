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

    picture4_ = new QWidget(this);
    picture4_->setObjectName(QStringLiteral("Picture4"));
    placeTwips(picture4_, 60, 45, 13170, 1275);
    auto *label6 = makeLabel(picture4_, QStringLiteral("Label6"));
    label6->setGeometry(0, 0, twips(13170), twips(1275));
    setColours(label6, rgbHex(0x004040));
    auto *picture3 = new QWidget(picture4_);
    picture3->setObjectName(QStringLiteral("Picture3"));
    placeTwips(picture3, 75, 75, 945, 990);
    setColours(picture3, rgbHex(0xC0FFFF));
    auto *image1 = makeLabel(picture3, QStringLiteral("Image1"));
    image1->setGeometry(0, 0, twips(945), twips(990));
    label4_ = makeLabel(picture4_, QStringLiteral("Label4"));
    placeTwips(label4_, 1140, 90, 11940, 1020);
    label4_->setFont(layoutFont(kGothicFixed, 48));
    label4_->setAlignment(Qt::AlignCenter);
    setColours(label4_, rgbHex(0x008080), rgbHex(0xFFFF00));
    label4_->installEventFilter(this);

    const QString menuCaption = QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)");
    command7_ = new QPushButton(QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑ\nメニューへ(0)"), this);
    command7_->setObjectName(QStringLiteral("Command7"));
    command7_->setAccessibleName(menuCaption);
    placeTwips(command7_, 13320, 45, 1860, 1245);
    connect(command7_, &QPushButton::clicked, this, [this] { ReturnToMenu(); });

    label1_ = makeLabel(this, QStringLiteral("Label1"));
    placeTwips(label1_, 90, 1410, 13830, 990);
    label1_->setFont(layoutFont(kMinchoFixed, 39.75));
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setAccessibleDescription(QStringLiteral("選んだ名前"));
    setColours(label1_, rgbHex(0x00FFFF), Qt::black);

    label2_ = makeLabel(this, QStringLiteral("Label2"));
    label2_->setAccessibleDescription(QStringLiteral("選んだ番号"));
    label2_->hide();

    command14_ = new QPushButton(QStringLiteral("O.K."), this);
    command14_->setObjectName(QStringLiteral("Command14"));
    placeTwips(command14_, 13950, 1395, 1140, 1005);
    connect(command14_, &QPushButton::clicked, this, [this] { ConfirmName(); });

    picture7_ = new QWidget(this);
    picture7_->setObjectName(QStringLiteral("Picture7"));
    placeTwips(picture7_, 90, 2430, 15060, 375);
    setColours(picture7_, rgbHex(0x00C0C0), Qt::black);
    option1_ = new QButtonGroup(this);
    for (int i = 0; i < kDisplayModes; ++i) {
        auto *button = new QRadioButton(DisplayModeCaption(i), picture7_);
        button->setObjectName(QStringLiteral("Option1_%1").arg(i));
        placeTwips(button, kOptionLeft[i], 0, kOptionWidth[i], 375);
        option1_->addButton(button, i);
        option1Buttons_[i] = button;
    }
    // The design state; the list is built by Form_Load, not by this.
    option1Buttons_[0]->setChecked(true);
    for (int i = 0; i < kDisplayModes; ++i) {
        // Runs when the button becomes selected, by the user or by code.
        connect(option1Buttons_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    }

    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setAccessibleName(QStringLiteral("学年"));
    combo1_->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    placeTwips(combo1_, 14070, 2460, 1005, 300);
    combo1_->addItem(kAllGrades);
    connect(combo1_, &QComboBox::activated, this, [this] { Combo1_Click(); });

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setAccessibleName(QStringLiteral("名前一覧"));
    placeTwips(list1_, 90, 2790, 15090, 8295);
    list1_->setFont(layoutFont(kGothicFixed, 14.25));
    list1_->setUniformItemSizes(true);
    setColours(list1_, rgbHex(0xC0FFFF), Qt::black);
    // Any change of the selected line, by mouse, arrow keys or code.
    connect(list1_, &QListWidget::currentRowChanged, this, [this] { List1_Click(); });
    list1_->viewport()->installEventFilter(this);

    // Below the list, in the room the window has left there.
    soundNotice_ = makeLabel(this, QStringLiteral("SoundNotice"));
    placeTwips(soundNotice_, 90, 11100, 15090, 390);
    soundNotice_->setFont(layoutFont(kGothicProportional, 11.25, true));
    soundNotice_->setAlignment(Qt::AlignCenter);
    soundNotice_->setAccessibleDescription(QStringLiteral("お知らせ"));
    setColours(soundNotice_, QColor(255, 255, 192), QColor(192, 0, 0));
    soundNotice_->hide();

    picture5_ = new QWidget(this);
    picture5_->setObjectName(QStringLiteral("Picture5"));
    picture5_->setGeometry(0, 0, twips(15375), twips(11235));
    auto *waitLabel = new QLabel(QStringLiteral("Just a moment, please."), picture5_);
    waitLabel->setObjectName(QStringLiteral("Label3"));
    waitLabel->setFont(layoutFont(kGothicProportional, 26.25));
    waitLabel->setAlignment(Qt::AlignCenter);
    waitLabel->setGeometry(picture5_->rect());

    // The form sees every key before the control that has the focus.
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

bool NameSelectionScreen::Form_Load()
{
    setColours(this, state_.SeasonColour);
    setColours(picture5_, state_.SeasonColour, Qt::black);
    picture5_->move(0, 0);
    picture5_->raise();
    random_.seedFrom(platform_.clock);

    soundNotice_->setText(state_.SoundNotice);
    soundNotice_->setVisible(!state_.SoundNotice.isEmpty());
    show();
    if (!名簿表示())
        return false;

    label4_->setFont(layoutFont(kGothicFixed, 48));
    label4_->setText(state_.ProgramName);
    if (list1_->currentRow() == 0)
        List1_Click();
    else
        list1_->setCurrentRow(0);
    letEventsRun();
    picture5_->hide();
    return true;
}

void NameSelectionScreen::Form_Activate()
{
    displayMode_ = 1;
    // Rebuilds the list through Option1_Click unless mode 1 was selected.
    option1Buttons_[1]->setChecked(true);
    fillGradeFilter();
    state_.GradeFilter = kAllGrades;
    navigator_.closeHub();
    label1_->setText(kChooseName);
    picture5_->hide();
    // Arrow keys move through the names from the start.
    list1_->setFocus();
}

void NameSelectionScreen::fillGradeFilter()
{
    // The shown text stays what it was; only the choices are renewed.
    const QString shown = combo1_->currentText();
    combo1_->clear();
    combo1_->addItems(GradeFilterTexts());
    const int index = combo1_->findText(shown);
    combo1_->setCurrentIndex(index < 0 ? 0 : index);
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

    list1_->clear();
    list2_.clear();
    list3_.clear();
    list1_->addItem(kLineZero);

    stageMarker_ = 3;
    const int mode = displayMode_;
    NameOrderKeys keys;
    for (;;) {
        // A retried load starts again from the top of the file, so an entry
        // read before the failure is not listed twice.
        list2_.clear();
        RosterFailure failure;
        const bool loaded = LoadRoster(
            state_, platform_.clock.today(),
            [this, mode, &keys](const RosterRecord &record, int, const ListGrade &grade) {
                stageMarker_ = 5;
                const PupilStats stats = PupilStatsOf(state_, record.pupilNumber);
                stageMarker_ = 4;
                list2_.add(record.birthYear, DisplayText(mode, grade, record.name, stats), record.pupilNumber,
                    keys.key(record.name, record.spareText1));
            },
            &failure);
        if (loaded)
            break;
        if (!retryAfter(failure))
            return false;
    }

    stageMarker_ = 10;
    list2_.sort();
    const NameList::Visible visible = list2_.filtered(combo1_->currentText(), state_.SchoolYear);
    list1_->addItems(visible.lines);
    list3_ = visible.numbered;

    if (list1_->currentRow() == 0)
        List1_Click();
    else
        list1_->setCurrentRow(0);
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

void NameSelectionScreen::Option1_Click(int index)
{
    displayMode_ = index;
    名簿表示();
}

void NameSelectionScreen::Combo1_Click()
{
    state_.GradeFilter = combo1_->currentText();
    if (!名簿表示())
        return;
    list1_->setFocus();
}

void NameSelectionScreen::List1_Click()
{
    const int row = list1_->currentRow();
    if (row < 0)
        return;
    if (row == 0) {
        label1_->setText(kChooseName);
        return;
    }
    label1_->setText(SelectedLineLabel(list1_->item(row)->text()));
    label2_->setText(QString::number(PupilNumberOfLine(list3_.value(row - 1))));
}

void NameSelectionScreen::List1_DblClick()
{
    const int row = list1_->currentRow();
    if (row < 0)
        return;
    if (row == 0) {
        label1_->setText(kChooseName);
        return;
    }
    label1_->setText(ConfirmedLineLabel(list1_->item(row)->text()));
    label2_->setText(QString::number(PupilNumberOfLine(list3_.value(row - 1))));
    ConfirmName();
}

void NameSelectionScreen::Form_KeyPress(const QString &key)
{
    if (key == QLatin1String("1") && !command14_->isHidden())
        ConfirmName();
    else if (key == QLatin1String("0") && !command7_->isHidden())
        ReturnToMenu();
}

void NameSelectionScreen::ConfirmName()
{
    // One sign-in per screen: a second Enter or double-click arriving while
    // the hub opens must not open it twice.
    if (signingIn_)
        return;
    const QString chosen = label1_->text();
    if (chosen == kChooseName || chosen.isEmpty()) {
        playWrongSound();
        return;
    }
    const int pupil = label2_->text().toInt();
    if (pupil < 0 || pupil > kMaxPupil) {
        playWrongSound();
        return;
    }
    signingIn_ = true;
    state_.SignInTime = std::int32_t(numtext::roundHalfEven(platform_.clock.secondsSinceMidnight()));
    state_.PupilNumber = std::int16_t(pupil);
    state_.PupilName = state_.RosterName[pupil];
    state_.PupilGradeLabel = state_.RosterGradeLabel[pupil];

    command14_->hide();
    picture5_->show();
    picture5_->raise();
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

void NameSelectionScreen::Label4_Click()
{
    navigator_.showVersion(this);
    // Closing our own dialog makes this window active again.
    Form_Activate();
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
        // again; the form looks at it once, where it first arrived.
        QWidget *first = focusWidget() ? focusWidget() : this;
        if (watched != first)
            break;
        Form_KeyPress(key->text());
        if (watched == list1_
            && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space)) {
            ConfirmName();
            return true;
        }
        // Pupils press a focused button with Enter as well as with space.
        if ((watched == command7_ || watched == command14_)
            && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            static_cast<QPushButton *>(watched)->click();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (watched == list1_->viewport())
            List1_DblClick();
        break;
    case QEvent::MouseButtonRelease:
        if (watched == label4_ && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
            && label4_->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            Label4_Click();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

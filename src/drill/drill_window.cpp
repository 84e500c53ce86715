// SPDX-License-Identifier: MIT
#include "drill/drill_window.h"
#include "drill/run_control.h"
#include "drill/sound_effects.h"
#include "platform/blank_trim.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "results/results_file.h"
#include "startup/level_table.h"
#include "startup/navigator.h"
#include "startup/shared_state.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int kFormWidth = 15360;
constexpr int kFormHeight = 11520;
constexpr int kStripHeight = 1695;
constexpr int kLampsForRecall = 3;
constexpr int kCellStep = 255;

const QColor kGreen(0, 192, 0);
const QColor kLightGreen(128, 255, 128);
const QColor kBrightGreen(0, 255, 0);
const QColor kPaleGreen(192, 255, 192);
const QColor kSilver(192, 192, 192);

// A round lamp of the streak: silver when off, green when lit.
class Lamp final : public QWidget {
public:
    explicit Lamp(QWidget *parent)
        : QWidget(parent)
    {
    }
    void setLit(bool lit)
    {
        if (lit_ != lit) {
            lit_ = lit;
            update();
        }
    }
    bool lit() const { return lit_; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(lit_ ? kBrightGreen : kSilver);
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }

private:
    bool lit_ = false;
};

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text = QString())
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QWidget *makeBlock(QWidget *parent, const QString &name, const QColor &colour)
{
    auto *block = new QWidget(parent);
    block->setObjectName(name);
    setColours(block, colour);
    return block;
}

// A bordered, centred value box of the status strip. A screen reader reads
// the value it shows; what the value is goes into the description.
QLabel *makeValueBox(QWidget *parent, const QString &name, const QString &purpose, const QColor &colour)
{
    QLabel *box = makeLabel(parent, name);
    box->setAccessibleDescription(purpose);
    box->setFrameStyle(QFrame::Box | QFrame::Plain);
    box->setAlignment(Qt::AlignCenter);
    box->setFont(layoutFont(kGothicProportional, 12, true));
    setColours(box, colour, Qt::black);
    return box;
}

// A caption of the strip's row of boxes.
void makeCaption(QWidget *parent, const QString &text, int left, int width, Qt::Alignment align)
{
    QLabel *caption = makeLabel(parent, QString(), text);
    placeTwips(caption, left, 930, width, 255);
    caption->setFont(layoutFont(kGothicProportional, 8.25));
    caption->setAlignment(align | Qt::AlignVCenter);
}

// Buttons keep the ordinary button face on the green panels.
void plainButton(QPushButton *button)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, QColor(240, 240, 240));
    palette.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(palette);
}

bool isSubmitKey(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->text() == QLatin1String(" ");
}

} // namespace

MainFrm::MainFrm(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , runFatal_(*this, platform.fatal)
    , platform_ { platform.clock, runFatal_, platform.sound, platform.launcher, platform.notice }
    , navigator_(navigator)
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(state_.ProgramName);
    setFixedSize(twips(kFormWidth), twips(kFormHeight));
    random_.seedFrom(platform_.clock);

    buildStatusStrip();
    buildWorkArea();
    buildOverlay();

    sTimer1_.setObjectName(QStringLiteral("sTimer1"));
    sTimer1_.setInterval(1000);
    connect(&sTimer1_, &QTimer::timeout, this, &MainFrm::sTimer1_Timer);
    sTimer2_.setObjectName(QStringLiteral("sTimer2"));
    sTimer2_.setInterval(10000);
    connect(&sTimer2_, &QTimer::timeout, this, &MainFrm::sTimer2_Timer);
    sTimer2_.start();
}

MainFrm::~MainFrm() = default;

void MainFrm::StopRunThenFatal::fatal(const QString &title, const QString &message)
{
    form_.stopRunClocks();
    next_.fatal(title, message);
}

void MainFrm::stopRunClocks()
{
    sTimer1_.stop();
    sTimer2_.stop();
}

void MainFrm::buildStatusStrip()
{
    strip_ = makeBlock(this, QStringLiteral("StatusStrip"), kGreen);
    placeTwips(strip_, 0, 0, kFormWidth, kStripHeight);

    auto *nameFrame = new QLabel(strip_);
    nameFrame->setObjectName(QStringLiteral("ProgramNameFrame"));
    placeTwips(nameFrame, 45, 60, 4290, 585);
    nameFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    setColours(nameFrame, kGreen);
    programName_ = makeLabel(strip_, QStringLiteral("ProgramNameLabel"));
    programName_->setAccessibleDescription(QStringLiteral("プログラム名"));
    placeTwips(programName_, 90, 150, 4155, 405);
    programName_->setAlignment(Qt::AlignCenter);

    pupilName_ = makeLabel(strip_, QStringLiteral("PupilNameLabel"));
    pupilName_->setAccessibleDescription(QStringLiteral("名前"));
    placeTwips(pupilName_, 12120, 135, 2970, 405);
    pupilName_->setFont(layoutFont(kGothicProportional, 14.25, true));
    pupilName_->setAlignment(Qt::AlignCenter);

    levelName_ = makeLabel(strip_, QStringLiteral("LevelNameLabel"));
    levelName_->setAccessibleDescription(QStringLiteral("レベル"));
    placeTwips(levelName_, 10275, 720, 1785, 405);
    levelName_->setFont(layoutFont(kGothicProportional, 14.25, true));
    levelName_->setAlignment(Qt::AlignCenter);

    minutesBox_ = makeValueBox(strip_, QStringLiteral("MinutesBox"), QStringLiteral("起動後の分"), kPaleGreen);
    placeTwips(minutesBox_, 585, 750, 600, 405);
    makeCaption(strip_, QStringLiteral("起動後"), 0, 585, Qt::AlignRight);
    makeCaption(strip_, QStringLiteral("分"), 1185, 195, Qt::AlignLeft);

    todayRunBox_ = makeValueBox(strip_, QStringLiteral("TodayRunBox"), QStringLiteral("本日の回数"), kPaleGreen);
    placeTwips(todayRunBox_, 1740, 720, 630, 405);
    makeCaption(strip_, QStringLiteral("本日"), 1380, 360, Qt::AlignRight);
    makeCaption(strip_, QStringLiteral("回目"), 2370, 375, Qt::AlignLeft);

    levelRunBox_ = makeValueBox(strip_, QStringLiteral("LevelRunBox"), QStringLiteral("このレベルの回数"), kPaleGreen);
    placeTwips(levelRunBox_, 3525, 720, 615, 405);
    makeCaption(strip_, QStringLiteral("このレベル"), 2745, 780, Qt::AlignRight);
    makeCaption(strip_, QStringLiteral("回目"), 4140, 375, Qt::AlignLeft);

    remainingBox_ = makeValueBox(strip_, QStringLiteral("RemainingBox"), QStringLiteral("残りの問題"), kBrightGreen);
    placeTwips(remainingBox_, 12495, 720, 855, 405);
    makeCaption(strip_, QStringLiteral("残り"), 12060, 435, Qt::AlignRight);
    makeCaption(strip_, QStringLiteral("問"), 13350, 195, Qt::AlignLeft);

    timeBox_ = makeValueBox(strip_, QStringLiteral("TimeBox"), QStringLiteral("タイム"), kBrightGreen);
    placeTwips(timeBox_, 14220, 720, 870, 405);
    makeCaption(strip_, QStringLiteral("タイム"), 13545, 675, Qt::AlignRight);

    // The time bar: a white frame spanning the time limit, the pass-line,
    // target and elapsed bars stacked over it in that order.
    timeFrame_ = makeBlock(strip_, QStringLiteral("TimeBarFrame"), Qt::white);
    timeFrame_->setAccessibleName(QStringLiteral("時間の棒"));
    placeTwips(timeFrame_, 90, 1260, timeBarFrameTwips_, 150);
    passLineBar_ = makeBlock(strip_, QStringLiteral("PassLineBar"), kLightGreen);
    targetBar_ = makeBlock(strip_, QStringLiteral("TargetBar"), kBrightGreen);
    elapsedBar_ = makeBlock(strip_, QStringLiteral("ElapsedBar"), QColor(0, 0, 255));
    for (QWidget *bar : { passLineBar_, targetBar_, elapsedBar_ }) {
        placeTwips(bar, 90, 1260, 0, 150);
        bar->raise();
    }

    struct Row {
        const char *caption;
        int captionLeft;
        int captionWidth;
        int firstCell;
        QColor colour;
        const char *name;
    };
    const Row rows[3] = {
        { "Best", 120, 450, 570, QColor(0, 128, 0), "BestCell" },
        { "YourBest", 3150, 690, 3840, QColor(192, 192, 0), "YourBestCell" },
        { "Pass", 6480, 360, 6840, QColor(192, 0, 0), "PassCell" },
    };
    for (int r = 0; r < 3; ++r) {
        QLabel *caption = makeLabel(strip_, QString(), QString::fromLatin1(rows[r].caption));
        placeTwips(caption, rows[r].captionLeft, 1425, rows[r].captionWidth, 255);
        caption->setFont(layoutFont(kGothicProportional, 7.5, true));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        for (int i = 0; i < 10; ++i) {
            auto *cell = new QLabel(strip_);
            cell->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(rows[r].name)).arg(i + 1));
            cell->setFrameStyle(QFrame::Box | QFrame::Plain);
            setColours(cell, rows[r].colour, QColor(0, 64, 0));
            placeTwips(cell, rows[r].firstCell + i * kCellStep, 1440, 255, 135);
            cells_[size_t(r)][size_t(i)] = cell;
        }
    }
}

void MainFrm::buildWorkArea()
{
    workArea_ = makeBlock(this, QStringLiteral("WorkArea"), kLightGreen);
    placeTwips(workArea_, 0, kStripHeight, kFormWidth, kFormHeight - kStripHeight);

    auto makePanel = [this](const QString &name, const QString &caption) {
        QWidget *panel = makeBlock(workArea_, name, kGreen);
        placeTwips(panel, 960, 2280, 13545, 4155);
        QLabel *title = makeLabel(panel, name + QStringLiteral("Caption"), caption);
        placeTwips(title, 465, 540, 12660, 600);
        title->setFont(layoutFont(kGothicProportional, 24, true));
        panel->hide();
        return panel;
    };
    auto makeDisplay = [](QWidget *panel, const QString &name, const QString &purpose) {
        QLabel *display = makeLabel(panel, name);
        display->setAccessibleDescription(purpose);
        placeTwips(display, 465, 1500, 10005, 1200);
        display->setFrameStyle(QFrame::Box | QFrame::Plain);
        display->setAlignment(Qt::AlignCenter);
        display->setFont(layoutFont(kGothicFixed, 48));
        setColours(display, QColor(255, 255, 128), Qt::black);
        return display;
    };

    memorisePanel_ = makePanel(QStringLiteral("MemorisePanel"), QStringLiteral("数字を覚えなさい"));
    digitDisplay_ = makeDisplay(memorisePanel_, QStringLiteral("DigitDisplay"), QStringLiteral("覚える数字"));
    Command4 = new QPushButton(QStringLiteral("覚えた"), memorisePanel_);
    Command4->setObjectName(QStringLiteral("Command4"));
    placeTwips(Command4, 10470, 1530, 2655, 1185);
    Command4->setFont(layoutFont(kGothicProportional, 36));
    plainButton(Command4);
    connect(Command4, &QPushButton::clicked, this, &MainFrm::Command4_Click);

    calculationPanel_ = makePanel(QStringLiteral("CalculationPanel"), QStringLiteral("計算しなさい"));
    problemDisplay_ = makeDisplay(calculationPanel_, QStringLiteral("ProblemDisplay"), QStringLiteral("計算の問題"));
    Text1 = new QLineEdit(calculationPanel_);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("計算の答え"));
    placeTwips(Text1, 10470, 1500, 2685, 1200);
    Text1->setFont(layoutFont(kGothicFixed, 48));
    setColours(Text1, Qt::white, Qt::black);
    const int lampLefts[3] = { 3240, 5310, 7380 };
    for (int i = 0; i < 3; ++i) {
        auto *lamp = new Lamp(calculationPanel_);
        lamp->setObjectName(QStringLiteral("Lamp%1").arg(i + 1));
        lamp->setAccessibleName(QStringLiteral("正解のランプ%1").arg(i + 1));
        placeTwips(lamp, lampLefts[i], 3030, 495, 375);
        lamps_[size_t(i)] = lamp;
    }

    recallPanel_ = makePanel(QStringLiteral("RecallPanel"), QStringLiteral("最初に覚えた数字を押しなさい"));
    Text2 = new QLineEdit(recallPanel_);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setAccessibleName(QStringLiteral("覚えた数字"));
    placeTwips(Text2, 450, 1500, 10000, 1200);
    Text2->setAlignment(Qt::AlignCenter);
    Text2->setFont(layoutFont(kGothicFixed, 48));
    setColours(Text2, QColor(128, 255, 255), Qt::black);
    correctionBox_ = makeLabel(recallPanel_, QStringLiteral("CorrectionBox"));
    correctionBox_->setAccessibleDescription(QStringLiteral("正しい数字"));
    placeTwips(correctionBox_, 450, 2730, 10000, 1200);
    correctionBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    correctionBox_->setAlignment(Qt::AlignCenter);
    correctionBox_->setFont(layoutFont(kGothicFixed, 48));
    setColours(correctionBox_, QColor(255, 128, 128), Qt::black);
    correctionBox_->hide();
    Commandkakunin = new QPushButton(QStringLiteral("確認"), recallPanel_);
    Commandkakunin->setObjectName(QStringLiteral("Commandkakunin"));
    placeTwips(Commandkakunin, 10470, 1530, 2655, 1185);
    Commandkakunin->setFont(layoutFont(kGothicProportional, 36));
    plainButton(Commandkakunin);
    Commandkakunin->hide();
    connect(Commandkakunin, &QPushButton::clicked, this, &MainFrm::Commandkakunin_Click);

    // Enter and space submit the boxes and press the buttons; a focus lost
    // during a run is taken back.
    for (QWidget *w : std::initializer_list<QWidget *> { Command4, Commandkakunin, Text1, Text2 })
        w->installEventFilter(this);
}

void MainFrm::buildOverlay()
{
    overlay_ = makeBlock(this, QStringLiteral("Overlay"), QColor(0, 192, 192));
    overlay_->setAccessibleName(QStringLiteral("終了の表示"));
    placeTwips(overlay_, 0, 0, kFormWidth, kFormHeight);
    recordingCaption_ = makeLabel(overlay_, QStringLiteral("RecordingCaption"), QStringLiteral("成績記録中"));
    timeUpCaption_ = makeLabel(overlay_, QStringLiteral("TimeUpCaption"), QStringLiteral("時間切れ"));
    for (QLabel *caption : { recordingCaption_, timeUpCaption_ }) {
        placeTwips(caption, 0, 4950, kFormWidth, 1020);
        caption->setAlignment(Qt::AlignCenter);
        caption->setFont(layoutFont(kGothicProportional, 36, true));
        setColours(caption, QColor(0, 192, 192), QColor(255, 0, 0));
        caption->hide();
    }
    overlay_->hide();
}

void MainFrm::Form_Activate()
{
    if (activated_)
        return;
    activated_ = true;
    初期設定();
    レベル別設定();
    スタート();
    問題作成表示();
}

void MainFrm::初期設定()
{
    navigator_.closeHub();
    state_.RunComplete = 0;
    state_.RunEnding = 0;
    state_.RecallVerdict = 0;

    const int level = state_.CurrentLevel;
    if (state_.LevelTimed[size_t(level)] != 0) {
        state_.TimeLimit = 5 * state_.PassLineTime[size_t(level)];
        timeBox_->setText(QStringLiteral("0"));
        // A limit of 0 (an empty criteria row) would divide by zero; the bar
        // then stays empty and the first tick ends the run as time-up.
        state_.TimeBarScale = state_.TimeLimit > 0 ? double(timeBarFrameTwips_) / state_.TimeLimit : 0.0;
        setElapsedBar(0);
        const QRect frame = timeFrame_->geometry();
        targetBar_->setGeometry(frame.x(), frame.y(),
            twips(timeBarTwips(state_.TargetTime[size_t(level)], state_.TimeBarScale)), frame.height());
        passLineBar_->setGeometry(frame.x(), frame.y(),
            twips(timeBarTwips(state_.PassLineTime[size_t(level)], state_.TimeBarScale)), frame.height());
    }

    programName_->setText(state_.ProgramName);
    programName_->setFont(layoutFont(kGothicProportional, state_.ProgramName.size() > 9 ? 14 : 16.8, true));
    pupilName_->setText(trimBlanks(state_.PupilName));
    levelName_->setText(state_.LevelName[size_t(level)]);

    float total = 0;
    for (int l = 1; l <= 15; ++l)
        total += state_.TodayRunCount(l, state_.PupilNumber);
    state_.TodayRunTotal = std::int16_t(total);

    minutesBox_->setText(
        QString::number(minutesSinceSignIn(platform_.clock.secondsSinceMidnight(), state_.SignInTime)));

    if (isPracticeLevelName(state_.LevelName[size_t(level)])) {
        todayRunBox_->setText(QStringLiteral("－"));
        levelRunBox_->setText(QStringLiteral("－"));
    } else {
        todayRunBox_->setText(QString::number(state_.TodayRunTotal + 1));
        levelRunBox_->setText(numtext::formatSingle(state_.TodayRunCount(level, state_.PupilNumber) + 1));
    }
}

void MainFrm::レベル別設定()
{
    state_.ProblemsPerRun = 10;
    remainingBox_->setText(QStringLiteral("10"));
}

void MainFrm::スタート()
{
    state_.RunStartTime = runStartTimeOf(platform_.clock.secondsSinceMidnight());
    runStartTick_ = platform_.clock.tickMs();
    sTimer1_.start();
}

void MainFrm::問題作成表示()
{
    if (state_.TimeUp == 1 || state_.RunComplete == 1)
        return;
    digits_ = drawDigitString(state_.CurrentLevel, random_);
    setLamps(0);
    Text2->clear();
    Text1->clear();
    StreakCount_ = 0;
    digitDisplay_->setText(digits_.DigitString);
    showOnly(memorisePanel_);
    Command4->setFocus();
}

void MainFrm::計算出題()
{
    problem_ = drawCalculation(random_);
    problemDisplay_->setText(problem_.ProblemText);
    Text1->clear();
}

void MainFrm::Command4_Click()
{
    showOnly(calculationPanel_);
    計算出題();
    Text1->setFocus();
}

void MainFrm::Text1_Submit()
{
    setLamps(0);
    if (numtext::leadingNumber(Text1->text()) == problem_.ProblemAnswer) {
        ++StreakCount_;
        setLamps(StreakCount_);
        if (StreakCount_ >= kLampsForRecall) {
            Text2->setEnabled(true);
            showOnly(recallPanel_);
            Text2->setFocus();
        } else {
            計算出題();
        }
        return;
    }
    StreakCount_ = 0;
    if (!PlayWrongSound(state_, platform_, random_))
        return;
    Text1->clear();
}

void MainFrm::Text2_Submit()
{
    if (Text2->text() == digits_.DigitString) {
        state_.RecallVerdict = 1;
    } else {
        Text2->setEnabled(false);
        correctionBox_->setText(digits_.DigitString);
        correctionBox_->show();
        state_.RecallVerdict = 2;
    }
    判定後処理();
}

void MainFrm::判定後処理()
{
    if (state_.TimeUp == 1 || state_.RunComplete == 1)
        return;
    if (state_.RecallVerdict == 1) {
        state_.RecallVerdict = 0;
        if (!PlayCorrectSound(state_, platform_, random_))
            return;
        ++state_.ProblemsDone;
        remainingBox_->setText(QString::number(state_.ProblemsPerRun - state_.ProblemsDone));
        if (state_.ProblemsDone < state_.ProblemsPerRun) {
            問題作成表示();
        } else {
            overlay_->show();
            overlay_->raise();
            sTimer1_.stop();
            state_.RunComplete = 1;
            EndRun();
        }
        return;
    }
    QPointer<MainFrm> self(this);
    letEventsRun();
    // A clock tick let in above may have ended the run by time-up; the wrong
    // sound and "確認" then belong to a run that is over.
    if (!self || state_.RunEnding == 1)
        return;
    if (!PlayWrongSound(state_, platform_, random_))
        return;
    Commandkakunin->show();
    Commandkakunin->setFocus();
}

void MainFrm::Commandkakunin_Click()
{
    Commandkakunin->hide();
    correctionBox_->hide();
    memorisePanel_->hide();
    calculationPanel_->hide();
    recallPanel_->hide();
    correctionBox_->clear();
    問題作成表示();
}

void MainFrm::sTimer1_Timer()
{
    const int level = state_.CurrentLevel;
    state_.ElapsedSeconds = elapsedSecondsBetween(runStartTick_, platform_.clock.tickMs());
    const int elapsed = state_.ElapsedSeconds;

    hideCountdownCells(2, countdownCellsHidden(state_.TargetTime[size_t(level)], elapsed));
    if (const int cell = passLineCellHidden(state_.PassLineTime[size_t(level)], elapsed))
        cells_[2][size_t(cell - 1)]->hide();
    // Nothing gives the Best and YourBest rows a mark yet: 0 keeps them whole.
    hideCountdownCells(0, countdownCellsHidden(0, elapsed));
    hideCountdownCells(1, countdownCellsHidden(0, elapsed));

    const bool timed = state_.LevelTimed[size_t(level)] != 0;
    if (timed) {
        timeBox_->setText(QString::number(elapsed));
        if (elapsed < state_.TimeLimit)
            setElapsedBar(timeBarTwips(elapsed, state_.TimeBarScale));
    }
    QPointer<MainFrm> self(this);
    letEventsRun();
    if (!self)
        return;
    if (elapsed < state_.TimeLimit) {
        setElapsedBar(timeBarTwips(elapsed, state_.TimeBarScale));
        return;
    }
    setElapsedBar(timeBarFrameTwips_);
    if (state_.RunEnding == 0 && state_.RunComplete == 0) {
        state_.TimeUp = 1;
        sTimer1_.stop();
        EndRun();
    }
    letEventsRun();
}

void MainFrm::sTimer2_Timer()
{
    minutesBox_->setText(
        QString::number(minutesSinceSignIn(platform_.clock.secondsSinceMidnight(), state_.SignInTime)));
}

void MainFrm::EndRun()
{
    QPointer<MainFrm> self(this);
    letEventsRun();
    if (!self || state_.RunEnding == 1)
        return;
    state_.RunEnding = 1;
    recordingCaption_->setVisible(state_.TimeUp != 1);
    timeUpCaption_->setVisible(state_.TimeUp == 1);
    overlay_->show();
    overlay_->raise();
    letEventsRun();
    if (!self)
        return;

    const int level = state_.CurrentLevel;
    if (isPracticeLevelName(state_.LevelName[size_t(level)])) {
        sTimer1_.stop();
        navigator_.showWait();
        navigator_.closeDrill();
        navigator_.showHub();
        // No result screen follows to close the wait window: it goes with
        // the drill form.
        navigator_.closeWait();
        letEventsRun();
        return;
    }
    if (state_.LevelTimed[size_t(level)] != 1)
        return;
    sTimer1_.stop();
    state_.RecordedTime = state_.TimeUp == 1 ? 99999 : state_.ElapsedSeconds;
    if (!Seisekikiroku(state_, platform_, level))
        return;
    navigator_.showWait();
    letEventsRun();
    if (!self)
        return;
    WaitThenShowResult(1);
}

void MainFrm::WaitThenShowResult(double seconds)
{
    qint64 reference = platform_.clock.tickMs();
    qint64 steps = 0;
    QPointer<MainFrm> self(this);
    for (;;) {
        letEventsRun();
        if (!self)
            return;
        const qint64 now = platform_.clock.tickMs();
        if (now - reference > 10) {
            ++steps;
            reference += 10;
        }
        if (double(steps) * 10 / 1000 >= seconds)
            break;
        // Sleep a little between passes instead of spinning the processor;
        // the window stays responsive meanwhile.
        platform_.clock.waitResponsive(10);
    }
    navigator_.closeDrill();
    navigator_.showResult();
}

void MainFrm::showOnly(QWidget *panel)
{
    // Show first, then hide: a focused control on a panel being hidden hands
    // its focus on without the form ever losing it.
    panel->show();
    for (QWidget *p : { memorisePanel_, calculationPanel_, recallPanel_ })
        if (p != panel)
            p->hide();
}

void MainFrm::setLamps(int lit)
{
    for (int i = 0; i < 3; ++i)
        static_cast<Lamp *>(lamps_[size_t(i)])->setLit(i < lit);
}

bool MainFrm::lampLit(int lamp) const
{
    return lamp >= 1 && lamp <= 3 && static_cast<const Lamp *>(lamps_[size_t(lamp - 1)])->lit();
}

int MainFrm::cellsShown(int row) const
{
    int shown = 0;
    for (QWidget *cell : cells_[size_t(row)])
        shown += cell->isHidden() ? 0 : 1;
    return shown;
}

void MainFrm::hideCountdownCells(int row, int count)
{
    for (int i = 0; i < count && i < 10; ++i)
        cells_[size_t(row)][size_t(i)]->hide();
}

void MainFrm::setElapsedBar(int twipsLength)
{
    const QRect frame = timeFrame_->geometry();
    elapsedBar_->setGeometry(frame.x(), frame.y(), twips(twipsLength), frame.height());
}

QWidget *MainFrm::focusKeeper() const
{
    if (!overlay_->isHidden())
        return nullptr;
    if (!memorisePanel_->isHidden())
        return Command4;
    if (!calculationPanel_->isHidden())
        return Text1;
    if (!recallPanel_->isHidden()) {
        if (!Commandkakunin->isHidden())
            return Commandkakunin;
        if (Text2->isEnabled())
            return Text2;
    }
    return nullptr;
}

void MainFrm::restoreFocus()
{
    QWidget *keeper = focusKeeper();
    if (keeper && focusWidget() != keeper)
        keeper->setFocus();
}

bool MainFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        QMetaObject::invokeMethod(this, &MainFrm::restoreFocus, Qt::QueuedConnection);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == Text1) {
        if (!isSubmitKey(key))
            return false;
        Text1_Submit();
        return true;
    }
    if (watched == Text2) {
        if (state_.TimeUp == 1 || state_.RunComplete == 1 || !isSubmitKey(key))
            return false;
        Text2_Submit();
        return true;
    }
    // A focused button reacts to Enter as well as to space.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
        if (auto *button = qobject_cast<QPushButton *>(watched)) {
            button->click();
            return true;
        }
    }
    return false;
}

void MainFrm::closeEvent(QCloseEvent *event)
{
    // A run the pupil abandons by closing the window is not recorded; the
    // clock stops and the pupil is back at the hub rather than left with no
    // window at all.
    stopRunClocks();
    QWidget::closeEvent(event);
    if (event->spontaneous())
        closedByPupil();
}

void MainFrm::closedByPupil()
{
    stopRunClocks();
    if (state_.RunEnding != 0)
        return;
    navigator_.showHub();
    navigator_.closeDrill();
    // The wait window left behind the form by "もう一度" goes with it.
    navigator_.closeWait();
}

// SPDX-License-Identifier: MIT
// The building half of the drill window: the status strip, the work area with
// its three panels, and the overlay, with every widget's place, font,
// colours, name and wiring; and the drawn lamps of the streak. What the
// widgets do is in drill_window.cpp.
#include "drill/drill_window.h"
#include "platform/layout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kFormWidth = DrillWindow::kFormWidthTwips;
constexpr int kFormHeight = DrillWindow::kFormHeightTwips;
constexpr int kStripHeight = 1695;
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

} // namespace

void DrillWindow::buildStatusStrip()
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

void DrillWindow::buildWorkArea()
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
    memorisedButton_ = new QPushButton(QStringLiteral("覚えた"), memorisePanel_);
    memorisedButton_->setObjectName(QStringLiteral("Command4"));
    placeTwips(memorisedButton_, 10470, 1530, 2655, 1185);
    memorisedButton_->setFont(layoutFont(kGothicProportional, 36));
    plainButton(memorisedButton_);
    connect(memorisedButton_, &QPushButton::clicked, this, &DrillWindow::startCalculation);

    calculationPanel_ = makePanel(QStringLiteral("CalculationPanel"), QStringLiteral("計算しなさい"));
    problemDisplay_ = makeDisplay(calculationPanel_, QStringLiteral("ProblemDisplay"), QStringLiteral("計算の問題"));
    answerBox_ = new QLineEdit(calculationPanel_);
    answerBox_->setObjectName(QStringLiteral("Text1"));
    answerBox_->setAccessibleName(QStringLiteral("計算の答え"));
    placeTwips(answerBox_, 10470, 1500, 2685, 1200);
    answerBox_->setFont(layoutFont(kGothicFixed, 48));
    setColours(answerBox_, Qt::white, Qt::black);
    const int lampLefts[3] = { 3240, 5310, 7380 };
    for (int i = 0; i < 3; ++i) {
        auto *lamp = new Lamp(calculationPanel_);
        lamp->setObjectName(QStringLiteral("Lamp%1").arg(i + 1));
        lamp->setAccessibleName(QStringLiteral("正解のランプ%1").arg(i + 1));
        placeTwips(lamp, lampLefts[i], 3030, 495, 375);
        lamps_[size_t(i)] = lamp;
    }

    recallPanel_ = makePanel(QStringLiteral("RecallPanel"), QStringLiteral("最初に覚えた数字を押しなさい"));
    recallBox_ = new QLineEdit(recallPanel_);
    recallBox_->setObjectName(QStringLiteral("Text2"));
    recallBox_->setAccessibleName(QStringLiteral("覚えた数字"));
    placeTwips(recallBox_, 450, 1500, 10000, 1200);
    recallBox_->setAlignment(Qt::AlignCenter);
    recallBox_->setFont(layoutFont(kGothicFixed, 48));
    setColours(recallBox_, QColor(128, 255, 255), Qt::black);
    correctionBox_ = makeLabel(recallPanel_, QStringLiteral("CorrectionBox"));
    correctionBox_->setAccessibleDescription(QStringLiteral("正しい数字"));
    placeTwips(correctionBox_, 450, 2730, 10000, 1200);
    correctionBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    correctionBox_->setAlignment(Qt::AlignCenter);
    correctionBox_->setFont(layoutFont(kGothicFixed, 48));
    setColours(correctionBox_, QColor(255, 128, 128), Qt::black);
    correctionBox_->hide();
    confirmButton_ = new QPushButton(QStringLiteral("確認"), recallPanel_);
    confirmButton_->setObjectName(QStringLiteral("Commandkakunin"));
    placeTwips(confirmButton_, 10470, 1530, 2655, 1185);
    confirmButton_->setFont(layoutFont(kGothicProportional, 36));
    plainButton(confirmButton_);
    confirmButton_->hide();
    connect(confirmButton_, &QPushButton::clicked, this, &DrillWindow::acknowledgeCorrection);

    // Enter and space submit the boxes and press the buttons; a focus lost
    // during a run is taken back.
    for (QWidget *w : std::initializer_list<QWidget *> { memorisedButton_, confirmButton_, answerBox_, recallBox_ })
        w->installEventFilter(this);
}

void DrillWindow::buildOverlay()
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

void DrillWindow::setLamps(int lit)
{
    for (int i = 0; i < 3; ++i)
        static_cast<Lamp *>(lamps_[size_t(i)])->setLit(i < lit);
}

bool DrillWindow::lampLit(int lamp) const
{
    return lamp >= 1 && lamp <= 3 && static_cast<const Lamp *>(lamps_[size_t(lamp - 1)])->lit();
}

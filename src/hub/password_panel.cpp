// SPDX-License-Identifier: MIT
#include "hub/password_panel.h"
#include "platform/button_keys.h"
#include "platform/item_value.h"
#include "platform/layout.h"
#include "state/navigator.h"
#include "state/shared_state.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>

namespace {

// Every typed character shows as "*", whatever the desktop's own mask.
class AsteriskStyle final : public QProxyStyle {
public:
    int styleHint(
        StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *data) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QPushButton *panelButton(QWidget *panel, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, panel);
    button->setObjectName(name);
    button->setFont(layoutFont(kGothicProportional, 10.5, true));
    setColours(button, QColor(224, 224, 224), Qt::black);
    return button;
}

} // namespace

bool passwordAccepted(const QString &typed, const ItemValue &setting)
{
    return typed == setting.toText();
}

PasswordPanel::PasswordPanel(SharedState &state, Navigator &navigator, QWidget *hub)
    : QWidget(hub)
    , state_(state)
    , navigator_(navigator)
{
    setObjectName(QStringLiteral("Picture7"));
    placeTwips(this, 4860, 3600, 6045, 3945);
    setColours(this, rgbHex(0x00C000), Qt::black);

    title_ = new QLabel(QStringLiteral("データ変更パスワード"), this);
    title_->setObjectName(QStringLiteral("Label28"));
    placeTwips(title_, 855, 90, 2400, 285);
    title_->setAlignment(Qt::AlignCenter);
    title_->setFont(layoutFont(kGothicProportional, 10.5, true));

    passwordBox_ = new QLineEdit(this);
    passwordBox_->setObjectName(QStringLiteral("Text3"));
    passwordBox_->setAccessibleName(QStringLiteral("データ変更パスワード"));
    placeTwips(passwordBox_, 810, 360, 2445, 375);
    auto *style = new AsteriskStyle;
    style->setParent(passwordBox_);
    passwordBox_->setStyle(style);
    passwordBox_->setEchoMode(QLineEdit::Password);
    passwordBox_->setFont(layoutFont(kGothicProportional, 10.5));
    setColours(passwordBox_, Qt::white, Qt::black);
    passwordBox_->installEventFilter(this);

    dataEditorButton_ = panelButton(this, QStringLiteral("Command10_0"), QStringLiteral("データ変更"));
    placeTwips(dataEditorButton_, 855, 810, 2430, 855);
    criteriaButton_ = panelButton(this, QStringLiteral("Command10_1"), QStringLiteral("合格タイムデータ変更"));
    placeTwips(criteriaButton_, 855, 2115, 2430, 855);
    backButton_ = panelButton(this, QStringLiteral("Command12"), QStringLiteral("戻る"));
    placeTwips(backButton_, 3825, 2115, 1545, 855);
    // Not one of the panel's original buttons: the class list from a
    // spreadsheet, behind the same password as the editors.
    rosterImportButton_ = panelButton(this, QStringLiteral("RosterImport"), QStringLiteral("名簿の\n読み込み"));
    rosterImportButton_->setAccessibleName(QStringLiteral("名簿の読み込み"));
    placeTwips(rosterImportButton_, 3825, 810, 1545, 855);
    // Also not an original button: the teachers' view of the whole class,
    // in the free row under the others.
    overviewButton_ = panelButton(this, QStringLiteral("ClassOverview"), QStringLiteral("学習状況(&O)"));
    overviewButton_->setAccessibleName(QStringLiteral("学習状況"));
    placeTwips(overviewButton_, 855, 3060, 4515, 705);
    for (QPushButton *button :
        { dataEditorButton_, criteriaButton_, backButton_, rosterImportButton_, overviewButton_ })
        button->installEventFilter(this);
    connect(overviewButton_, &QPushButton::clicked, this, &PasswordPanel::openOverview);
    connect(rosterImportButton_, &QPushButton::clicked, this, &PasswordPanel::importRoster);
    connect(dataEditorButton_, &QPushButton::clicked, this, [this] { openEditor(0); });
    connect(criteriaButton_, &QPushButton::clicked, this, [this] { openEditor(1); });
    connect(backButton_, &QPushButton::clicked, this, &PasswordPanel::dismiss);

    // The captions stay as the program has always shown them; each button
    // has a key of its own instead, told to screen readers.
    pressedBy(dataEditorButton_, QKeySequence(Qt::ALT | Qt::Key_D), QStringLiteral("成績データの変更"));
    pressedBy(criteriaButton_, QKeySequence(Qt::ALT | Qt::Key_G), QStringLiteral("合格タイムの表の変更"));
    pressedBy(backButton_, QKeySequence(Qt::ALT | Qt::Key_B), QStringLiteral("パスワード欄を閉じる"));
    pressedBy(rosterImportButton_, QKeySequence(Qt::ALT | Qt::Key_M), QStringLiteral("名簿のCSVを読み込む"));

    setTabOrder(passwordBox_, dataEditorButton_);
    setTabOrder(dataEditorButton_, criteriaButton_);
    setTabOrder(criteriaButton_, backButton_);
    setTabOrder(backButton_, rosterImportButton_);
    setTabOrder(rosterImportButton_, overviewButton_);
    hide();
}

void PasswordPanel::open()
{
    show();
    raise();
    passwordBox_->setFocus();
}

void PasswordPanel::dismiss()
{
    // The typed text stays in the box for the next opening.
    hide();
}

void PasswordPanel::openEditor(int editor)
{
    if (opening_)
        return;
    if (!passwordAccepted(passwordBox_->text(), state_.DataChangePassword)) {
        tell(QStringLiteral("パスワードを入力して下さい"));
        passwordBox_->setFocus();
        return;
    }
    // The editor opens first, then the hub (this panel with it) goes.
    opening_ = true;
    if (editor == 0)
        navigator_.showDataEditor();
    else
        navigator_.showCriteriaEditor();
    navigator_.closeHub();
}

void PasswordPanel::importRoster()
{
    if (opening_ || !passwordRight())
        return;
    navigator_.importRoster(window());
}

bool PasswordPanel::passwordRight()
{
    if (passwordAccepted(passwordBox_->text(), state_.DataChangePassword))
        return true;
    tell(QStringLiteral("パスワードを入力して下さい"));
    passwordBox_->setFocus();
    return false;
}

void PasswordPanel::openOverview()
{
    // Behind the password like the editors: it shows every pupil's figures.
    if (opening_ || !passwordRight())
        return;
    // The hub's grade filter as it stands, found by its object name.
    QString filter = state_.GradeFilter;
    if (const auto *combo = parentWidget()->findChild<QComboBox *>(QStringLiteral("Combo1")))
        filter = combo->currentText();
    navigator_.showClassOverview(state_.CurrentLevel, filter);
}

void PasswordPanel::tell(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, state_.ProgramName, text, QMessageBox::Ok, window());
    box.exec();
}

bool PasswordPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
        // Enter in the box presses a button only when just one can be
        // pressed; with several it would have to guess which screen the
        // teacher wants, and a guess closes the hub.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && watched == passwordBox_) {
            pressOnlyEnabledButton({ dataEditorButton_, criteriaButton_, rosterImportButton_, backButton_ });
            return true;
        }
        // A focused button reacts to Enter as well as to space.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            if (auto *button = qobject_cast<QPushButton *>(watched)) {
                button->click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

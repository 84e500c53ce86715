// SPDX-License-Identifier: MIT
// The data-change password panel of the hub (object name "Picture7"): a
// teacher types the password from the common settings and opens one of the
// two editors, or reads in a class list.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
struct ItemValue;
struct SharedState;
class Navigator;

// Whether a typed password is the setting: text against text, character for
// character; a setting read as a number takes part in its plain decimal form.
bool passwordAccepted(const QString &typed, const ItemValue &setting);

class PasswordPanel : public QWidget {
    Q_OBJECT
public:
    PasswordPanel(SharedState &state, Navigator &navigator, QWidget *hub);

    // "データ処理": shows the panel in front of every other control.
    void open();
    // "戻る" or Esc: the panel hides; the typed text stays for next time.
    void dismiss();
    // "データ変更" (0, the results-data editor) or "合格タイムデータ変更"
    // (1, the criteria editor), once the password is right.
    void openEditor(int editor);

    QLineEdit *passwordBox() const { return passwordBox_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void importRoster();
    void tell(const QString &text);

    SharedState &state_;
    Navigator &navigator_;
    QLabel *title_ = nullptr; // Label28
    QLineEdit *passwordBox_ = nullptr; // Text3
    QPushButton *dataEditorButton_ = nullptr; // Command10_0 "データ変更"
    QPushButton *criteriaButton_ = nullptr; // Command10_1 "合格タイムデータ変更"
    QPushButton *backButton_ = nullptr; // Command12 "戻る"
    QPushButton *rosterImportButton_ = nullptr; // "名簿の読み込み" (CSV import)
    bool opening_ = false;
};

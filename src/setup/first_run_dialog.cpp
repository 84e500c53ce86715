// SPDX-License-Identifier: MIT
#include "setup/first_run_dialog.h"
#include "platform/folder_path.h"
#include "setup/first_run.h"
#include "setup/path_file_search.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#ifndef RUKAMINA_SOUNDS_FROM_PROGRAM
#define RUKAMINA_SOUNDS_FROM_PROGRAM "../../../share/rukamina/sounds"
#endif

FirstRunDialog::FirstRunDialog(
    QString programFolderName, QString defaultSoundFolder, QString configFolder, QWidget *parent)
    : QDialog(parent)
    , programFolderName_(std::move(programFolderName))
    , defaultSoundFolder_(std::move(defaultSoundFolder))
    , configFolder_(std::move(configFolder))
{
    confirmReplace = [this](const QString &folder, const QStringList &files) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("ファイルがあります"),
            QStringLiteral("%1 には次のファイルがすでにあります。\n%2\n\n"
                           "新しいものに置き換えますか？ 元のファイルは日付つきの名前で同じ場所に残します。"
                           "成績累積データ.dat はそのまま使います。")
                .arg(folder, files.join(QLatin1Char('\n'))),
            QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("置き換える"));
        box.button(QMessageBox::No)->setText(QStringLiteral("やめる"));
        return box.exec() == QMessageBox::Yes;
    };
    build();
    optionChanged();
}

void FirstRunDialog::build()
{
    setObjectName(QStringLiteral("FirstRunDialog"));
    setWindowTitle(QStringLiteral("ルカミナ — はじめての設定"));
    auto *layout = new QVBoxLayout(this);

    auto *intro = new QLabel(QStringLiteral("学校のデータを置くフォルダ（データフォルダ）がまだ決まっていません。\n"
                                            "新しく作るか、ほかのPCで作ったフォルダ（ネットワークの共有フォルダなど）を"
                                            "選んでください。"),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    newFolder_ = new QRadioButton(QStringLiteral("新しいデータフォルダを作る(&N)"), this);
    newFolder_->setObjectName(QStringLiteral("newFolderOption"));
    existingFolder_ = new QRadioButton(QStringLiteral("作ってあるデータフォルダを使う(&E)"), this);
    existingFolder_->setObjectName(QStringLiteral("existingFolderOption"));
    newFolder_->setChecked(true);
    auto *options = new QButtonGroup(this);
    options->addButton(newFolder_);
    options->addButton(existingFolder_);
    layout->addWidget(newFolder_);
    layout->addWidget(existingFolder_);
    connect(newFolder_, &QRadioButton::toggled, this, &FirstRunDialog::optionChanged);

    auto *folderRow = new QHBoxLayout;
    auto *folderLabel = new QLabel(QStringLiteral("データフォルダ(&F):"), this);
    folderBox_ = new QLineEdit(QDir::homePath() + QStringLiteral("/ルカミナデータ"), this);
    folderBox_->setObjectName(QStringLiteral("folderBox"));
    folderBox_->setAccessibleName(QStringLiteral("データフォルダの場所"));
    folderBox_->setMinimumWidth(360);
    folderLabel->setBuddy(folderBox_);
    auto *browse = new QPushButton(QStringLiteral("参照(&B)..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &FirstRunDialog::chooseFolder);
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(folderBox_, 1);
    folderRow->addWidget(browse);
    layout->addLayout(folderRow);

    schoolGroup_ = new QGroupBox(QStringLiteral("学校の設定"), this);
    auto *form = new QFormLayout(schoolGroup_);
    schoolName_ = new QLineEdit(schoolGroup_);
    schoolName_->setObjectName(QStringLiteral("schoolNameBox"));
    schoolName_->setAccessibleName(QStringLiteral("学校名"));
    schoolCode_ = new QLineEdit(schoolGroup_);
    schoolCode_->setObjectName(QStringLiteral("schoolCodeBox"));
    schoolCode_->setAccessibleName(QStringLiteral("学校コード"));
    schoolCode_->setMaxLength(5);
    schoolCode_->setPlaceholderText(QStringLiteral("半角数字5桁。なければ空のまま"));
    startMonth_ = new QSpinBox(schoolGroup_);
    startMonth_->setObjectName(QStringLiteral("startMonthBox"));
    startMonth_->setAccessibleName(QStringLiteral("年度の始まりの月"));
    startMonth_->setRange(1, 12);
    startMonth_->setValue(4);
    startMonth_->setSuffix(QStringLiteral("月"));
    password_ = new QLineEdit(schoolGroup_);
    password_->setObjectName(QStringLiteral("passwordBox"));
    password_->setAccessibleName(QStringLiteral("データ変更のパスワード"));
    password_->setEchoMode(QLineEdit::Password);
    passwordAgain_ = new QLineEdit(schoolGroup_);
    passwordAgain_->setObjectName(QStringLiteral("passwordAgainBox"));
    passwordAgain_->setAccessibleName(QStringLiteral("データ変更のパスワード（確認）"));
    passwordAgain_->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("学校名(&S):"), schoolName_);
    form->addRow(QStringLiteral("学校コード（なくてもよい）(&C):"), schoolCode_);
    form->addRow(QStringLiteral("年度の始まりの月(&M):"), startMonth_);
    form->addRow(QStringLiteral("データ変更のパスワード(&P):"), password_);
    form->addRow(QStringLiteral("パスワードをもう一度(&A):"), passwordAgain_);
    layout->addWidget(schoolGroup_);

    auto *where = new QLabel(QStringLiteral("データフォルダの場所は %1パスデータ.txt に書きます。"
                                            "教室のPCすべてで使うときは、このファイルを /etc/rukamina/ に置きます。")
                                 .arg(configFolder_),
        this);
    where->setWordWrap(true);
    layout->addWidget(where);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problemLabel"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #c00000;"));
    problem_->setAccessibleDescription(QStringLiteral("入力の問題"));
    problem_->hide();
    layout->addWidget(problem_);

    auto *buttons = new QDialogButtonBox(this);
    create_ = buttons->addButton(QStringLiteral("作成して始める"), QDialogButtonBox::AcceptRole);
    create_->setObjectName(QStringLiteral("createButton"));
    create_->setDefault(true);
    auto *quit = buttons->addButton(QStringLiteral("終了"), QDialogButtonBox::RejectRole);
    quit->setObjectName(QStringLiteral("quitButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FirstRunDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FirstRunDialog::reject);
    layout->addWidget(buttons);
}

void FirstRunDialog::optionChanged()
{
    const bool creating = newFolder_->isChecked();
    schoolGroup_->setEnabled(creating);
    create_->setText(creating ? QStringLiteral("作成して始める") : QStringLiteral("このフォルダで始める"));
    problem_->hide();
}

namespace {

// The folder as typed: "~/" is the home folder, as in a terminal.
QString typedFolder(const QLineEdit *box)
{
    QString folder = box->text().trimmed();
    if (folder == QLatin1String("~") || folder.startsWith(QLatin1String("~/")))
        folder = QDir::homePath() + folder.mid(1);
    return folder.isEmpty() ? folder : QDir::cleanPath(folder);
}

} // namespace

void FirstRunDialog::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("データフォルダを選ぶ"),
        folderBox_->text().isEmpty() ? QDir::homePath() : folderBox_->text());
    if (!folder.isEmpty())
        folderBox_->setText(folder);
}

QString FirstRunDialog::problemText() const
{
    return problem_->isHidden() ? QString() : problem_->text();
}

void FirstRunDialog::showProblem(const QString &text)
{
    problem_->setText(text);
    problem_->show();
}

void FirstRunDialog::accept()
{
    if (newFolder_->isChecked() ? createNew() : useExisting())
        QDialog::accept();
}

bool FirstRunDialog::createNew()
{
    firstrun::NewDataFolder entry;
    entry.folder = typedFolder(folderBox_);
    entry.settings.schoolName = schoolName_->text();
    entry.settings.schoolCode = schoolCode_->text().trimmed();
    entry.settings.schoolYearStartMonth = startMonth_->value();
    entry.settings.password = password_->text();
    QStringList problems = firstrun::check(entry);
    if (password_->text() != passwordAgain_->text())
        problems << QStringLiteral("2つのパスワードが同じではありません。");
    if (!problems.isEmpty()) {
        showProblem(problems.join(QLatin1Char('\n')));
        return false;
    }
    const QStringList existing = firstrun::existingFiles(entry.folder, programFolderName_);
    QStringList replaced = existing;
    replaced.removeAll(programFolderName_ + QLatin1Char('/') + QStringLiteral("成績累積データ.dat"));
    if (!replaced.isEmpty() && !confirmReplace(entry.folder, replaced)) {
        showProblem(QStringLiteral(
            "何も書いていません。別のフォルダを選ぶか、「作ってあるデータフォルダを使う」を選んでください。"));
        return false;
    }
    QString error;
    QStringList notes;
    if (!firstrun::createDataFolder(entry, programFolderName_, defaultSoundFolder_, !replaced.isEmpty(),
            QDateTime::currentDateTime(), &error, &notes)
        || !firstrun::writePathFile(configFolder_, entry.folder, &error)) {
        showProblem(error);
        return false;
    }
    if (!notes.isEmpty()) {
        // Written, but the other accounts of a shared folder may see the
        // replaced files differently: the administrator should know.
        QMessageBox box(QMessageBox::Information, QStringLiteral("データフォルダを作りました"),
            notes.join(QStringLiteral("\n\n")), QMessageBox::Ok, this);
        box.exec();
    }
    writtenPathFile_ = folderpath::normalise(configFolder_) + QStringLiteral("パスデータ.txt");
    return true;
}

bool FirstRunDialog::useExisting()
{
    const QString folder = typedFolder(folderBox_);
    if (const QString problem = firstrun::checkExistingDataFolder(folder, programFolderName_); !problem.isEmpty()) {
        showProblem(problem);
        return false;
    }
    QString error;
    if (!firstrun::writePathFile(configFolder_, folder, &error)) {
        showProblem(error);
        return false;
    }
    writtenPathFile_ = folderpath::normalise(configFolder_) + QStringLiteral("パスデータ.txt");
    return true;
}

namespace firstrun {
namespace {
// The same category the navigator logs its screens in, so a script can see
// which window an installed program opened.
Q_LOGGING_CATEGORY(lcSetupScreens, "rukamina.screens", QtInfoMsg)
} // namespace

bool runIfNeeded(const QString &executableFolder)
{
    const pathsearch::SearchFolders folders = pathsearch::defaultFolders(folderpath::normalise(executableFolder));
    if (!pathsearch::find(folders).isEmpty())
        return true;
    FirstRunDialog dialog(
        folderpath::lastComponent(executableFolder), installedSoundFolder(executableFolder), folders.user);
    dialog.show();
    qCDebug(lcSetupScreens) << "first-run set-up shown";
    return dialog.exec() == QDialog::Accepted;
}

} // namespace firstrun

// SPDX-License-Identifier: MIT
#include "app/command_line.h"
#include "maintenance/csv_export.h"
#include "maintenance/results_check.h"
#include "platform/clock.h"
#include "platform/fatal_error.h"
#include "platform/platform.h"
#include "platform/program_launcher.h"
#include "platform/sound_output.h"
#include "results/criteria_file.h"
#include "setup/daily_backup.h"
#include "setup/roster_import.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {

constexpr int kFailed = 2;

struct Request {
    bool help = false;
    bool version = false;
    bool unknownOption = false;
    bool check = false;
    bool exportCsv = false;
    QString exportFolder;
    QString dataRoot;
    bool tsv = false;
    bool importRoster = false;
    bool replaceRoster = false;
    QString rosterCsv;
    QString error; // a usage error, in words
};

// Accepts "--name value" and "--name=value".
bool takeValue(const QStringList &args, qsizetype &i, const QString &name, QString *value, QString *error,
    const QString &what = QStringLiteral("フォルダ"))
{
    const QString arg = args[i];
    if (arg.startsWith(name + QLatin1Char('='))) {
        *value = arg.mid(name.size() + 1);
    } else if (i + 1 < args.size()) {
        *value = args[++i];
    } else {
        *error = QStringLiteral("%1 の後に%2を指定してください。").arg(name, what);
        return false;
    }
    if (value->isEmpty()) {
        *error = QStringLiteral("%1 の%2が空です。").arg(name, what);
        return false;
    }
    return true;
}

bool isOption(const QString &arg, const QString &name)
{
    return arg == name || arg.startsWith(name + QLatin1Char('='));
}

enum class WindowOption { None, Alone, WithValue };

Request parse(const QStringList &args)
{
    Request r;
    QString format = QStringLiteral("text");
    bool formatGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            r.help = true;
        } else if (arg == QLatin1String("--version")) {
            r.version = true;
        } else if (arg == QLatin1String("--check")) {
            r.check = true;
        } else if (isOption(arg, QStringLiteral("--export-csv"))) {
            r.exportCsv = true;
            if (!takeValue(args, i, QStringLiteral("--export-csv"), &r.exportFolder, &r.error))
                return r;
        } else if (isOption(arg, QStringLiteral("--data-root"))) {
            if (!takeValue(args, i, QStringLiteral("--data-root"), &r.dataRoot, &r.error))
                return r;
            r.dataRoot = QFileInfo(r.dataRoot).absoluteFilePath();
        } else if (isOption(arg, QStringLiteral("--import-roster"))) {
            r.importRoster = true;
            if (!takeValue(args, i, QStringLiteral("--import-roster"), &r.rosterCsv, &r.error,
                    QStringLiteral("読み込むCSVファイルの名前")))
                return r;
            r.rosterCsv = QFileInfo(r.rosterCsv).absoluteFilePath();
        } else if (arg == QLatin1String("--replace")) {
            r.replaceRoster = true;
        } else if (arg == QLatin1String("--no-scaling")) {
            // A switch for the windows (main() reads it); nothing to do here.
        } else if (isOption(arg, QStringLiteral("--format"))) {
            formatGiven = true;
            if (arg.startsWith(QLatin1String("--format=")))
                format = arg.mid(9);
            else if (i + 1 < args.size())
                format = args[++i];
            else
                format.clear();
        } else {
            r.error = QStringLiteral("知らないオプションです：%1").arg(arg);
            r.unknownOption = true;
            return r;
        }
    }
    if (r.help || r.version)
        return r;
    if (format != QLatin1String("text") && format != QLatin1String("tsv"))
        r.error = QStringLiteral("--format には text か tsv を指定してください（指定：%1）。").arg(format);
    else if (int(r.check) + int(r.exportCsv) + int(r.importRoster) > 1)
        r.error = QStringLiteral("--check、--export-csv、--import-roster は一度に一つだけ指定してください。");
    else if (r.replaceRoster && !r.importRoster)
        r.error = QStringLiteral("--replace は --import-roster と一緒に使います。");
    else if (!r.check && !r.exportCsv && !r.importRoster)
        r.error
            = QStringLiteral("--data-root と --format は --check、--export-csv か --import-roster と一緒に使います。");
    else if (formatGiven && !r.check)
        r.error = QStringLiteral("--format は --check と一緒に使います。");
    r.tsv = format == QLatin1String("tsv");
    return r;
}

void writeLine(QIODevice &device, const QString &line)
{
    device.write(line.toUtf8());
    device.write("\n");
}

// The settings loaders report through the fatal-error path; here that is a
// line on the error output and the exit status 2, never a message box.
class CollectingFatal final : public FatalErrors {
public:
    void fatal(const QString &title, const QString &message) override
    {
        messages << title + QStringLiteral("：") + QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    QStringList messages;
};

class NoLauncher final : public ProgramLauncher {
public:
    bool start(const QString &, const QStringList &, QString *) override { return false; }
};

// Folders and common settings as start-up reads them, from the path file
// or the given data root.
bool loadSettings(
    SharedState &state, const Request &request, const QString &executableFolder, Clock &clock, QIODevice &err)
{
    CollectingFatal fatal;
    SilentSoundOutput sound;
    NoLauncher launcher;
    Platform platform { clock, fatal, sound, launcher };
    if (LoadFoldersAndSettings(state, platform, executableFolder, request.dataRoot))
        return true;
    for (const QString &m : fatal.messages)
        writeLine(err, m);
    return false;
}

int runExport(const Request &request, const QString &executableFolder, Clock &clock, QIODevice &out, QIODevice &err)
{
    auto state = std::make_unique<SharedState>();
    if (!loadSettings(*state, request, executableFolder, clock, err))
        return kFailed;
    const CriteriaLoadResult criteria
        = readCriteriaTable(*state, state->ProgramDataFolder + QStringLiteral("タイム回数データ.txt"));
    if (!criteria.ok) {
        writeLine(err, criteria.problem);
        return kFailed;
    }
    const CsvExportResult result = exportCsv(*state, clock.now(), request.exportFolder);
    for (const QString &line : csvExportSummary(result))
        writeLine(result.ok ? out : err, line);
    return result.ok ? 0 : kFailed;
}

int runImport(const Request &request, const QString &executableFolder, Clock &clock, QIODevice &out, QIODevice &err)
{
    auto state = std::make_unique<SharedState>();
    if (!loadSettings(*state, request, executableFolder, clock, err))
        return kFailed;
    const rosterimport::Outcome outcome
        = rosterimport::importFile(request.rosterCsv, state->DataRootFolder, state->SchoolYearStartMonth, clock.now(),
            request.replaceRoster ? rosterimport::Mode::Replace : rosterimport::Mode::AddOrUpdate);
    if (!outcome.ok) {
        writeLine(err, outcome.message);
        return 1;
    }
    writeLine(out, outcome.message);
    if (!outcome.warning.isEmpty())
        writeLine(err, QStringLiteral("注意: ") + outcome.warning);
    return 0;
}

int runCheck(const Request &request, const QString &executableFolder, Clock &clock, QIODevice &out, QIODevice &err)
{
    auto state = std::make_unique<SharedState>();
    if (!loadSettings(*state, request, executableFolder, clock, err))
        return kFailed;
    const CheckReport report = checkResultsFile(*state, clock.now());
    if (request.tsv) {
        out.write(report.tsv());
    } else {
        QIODevice &device = report.status == CheckReport::Status::Unreadable ? err : out;
        // Where the daily copies are comes first: when the file is damaged
        // or gone, they are what the administrator needs next.
        for (const QString &line : dailybackup::describe(*state))
            writeLine(device, line);
        for (const QString &line : report.lines())
            writeLine(device, line);
    }
    return report.exitStatus();
}

} // namespace

// Qt's own options, which QApplication takes out of the list for the
// windows; those with a value take the next argument unless written with
// "=". Qt accepts them with one dash or two.
WindowOption qtWindowOption(const QString &arg)
{
    static const QStringList withValue { "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "qwindowicon", "qwindowtitle", "session", "display", "geometry", "title", "icon", "style", "stylesheet", "name",
        "qmljsdebugger" };
    static const QStringList switches { "reverse", "widgetcount", "nograb", "dograb", "sync", "visual", "ncols", "cmap",
        "testability" };
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const bool valueAttached = name.contains(QLatin1Char('='));
    name = name.section(QLatin1Char('='), 0, 0);
    if (withValue.contains(name))
        return valueAttached ? WindowOption::Alone : WindowOption::WithValue;
    if (switches.contains(name) && !valueAttached)
        return WindowOption::Alone;
    return WindowOption::None;
}

bool isCommandLineRequest(const QStringList &arguments)
{
    // Anything that looks like an option and is not one for the windows is
    // a request, so that a mistyped option is answered with the usage on
    // the terminal instead of opening the windows (or failing for want of
    // a display). Other words are left to the windows, which ignore them,
    // as they always have.
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") || arg == QLatin1String("--no-scaling"))
            continue;
        switch (qtWindowOption(arg)) {
        case WindowOption::WithValue:
            ++i;
            break;
        case WindowOption::Alone:
            break;
        case WindowOption::None:
            return true;
        }
    }
    return false;
}

QString versionText()
{
    return QStringLiteral("rukamina %1.%2.%3").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR).arg(APP_VERSION_PATCH);
}

QString commandLineHelp()
{
    return QStringLiteral(
        "使い方: rukamina [オプション]\n"
        "オプションなしで起動すると、いつもの画面が開きます。次のオプションでは画面を開かずに働きます。\n"
        "\n"
        "  --export-csv フォルダ  すべての記録を runs.csv に、生徒とレベルごとのまとめを pupils.csv に\n"
        "                         書き出します（UTF-8 BOM付き、改行 CR LF。Excel と LibreOffice で開けます）。\n"
        "                         壊れた記録は書き出さず、その件数を表示します。\n"
        "  --check                成績ファイル（成績累積データ.dat）を変更せずに点検し、見つかった問題を\n"
        "                         記録番号とともに1行ずつ表示し、最後にまとめを1行表示します。毎日の控え\n"
        "                         （データフォルダの バックアップ/）の場所と戻し方、データ変更の変更記録\n"
        "                         （元に戻すための記録）の件数と大きさも表示します。\n"
        "                         終了コード: 0 問題なし、1 問題あり、2 点検できない。\n"
        "  --format=tsv           --check の結果をタブ区切り（スクリプト用）で出力します。既定は text。\n"
        "  --import-roster ファイル.csv\n"
        "                         名簿のCSVを確かめて、データフォルダの新名簿.txt に読み込みます。見出し:\n"
        "                         番号, 生年 または 学年, 名前（必須）と 状態, 学校（または 校種）, ふりがな。\n"
        "                         学年は 小5、5年、5年生、中1、中学1年、高2、高校2年、幼3、年長、または数字。\n"
        "                         5年や5のように学校のない学年は「学校」の列（小・中・高・幼）で決まり、\n"
        "                         その列がなければ小学校です。先生（名前に★か先生）の行は学年を空にできます。\n"
        "                         ふりがな（ひらがなかカタカナ）は名前一覧の並びに使います。\n"
        "                         ファイルにある番号の人を加えるか書き直し、ほかの人はそのまま残します。\n"
        "                         元の名簿は日付つきの名前で残します。問題のある行が1行でもあれば何も書かず、\n"
        "                         その行をすべて表示します。終了コード: 0 書いた、1 書かなかった。\n"
        "  --replace              --import-roster で、名簿をファイルの人だけに置き換えます。ただし先生は、\n"
        "                         その番号の行で状態を9（表示しない）にしない限り残ります。\n"
        "  --data-root フォルダ   パスデータ.txt の代わりに、このデータフォルダを使います。\n"
        "  --no-scaling           大きな画面でも画面を拡大しません（RUKAMINA_SCALING=off と同じ）。\n"
        "  --version              版（バージョン）を表示します。\n"
        "  -h, --help             この説明を表示します。\n"
        "オプションの誤りや読めない設定ファイルでは終了コード 2 で終わります。\n"
        "\n"
        "設定: ~/.config/rukamina/rukamina.conf か /etc/rukamina/rukamina.conf の [display] に scaling=off で\n"
        "拡大なし、[sound] に sound=off で音なし。プログラムを終わらせたエラーと待ちのお知らせは\n"
        "~/.local/state/rukamina/rukamina.log（$XDG_STATE_HOME/rukamina/）にも書きます。\n"
        "\n"
        "Usage: rukamina [options]\n"
        "Without options the program opens its windows as usual. With these options it opens no window:\n"
        "\n"
        "  --export-csv DIR       Writes every stored run to DIR/runs.csv and a summary per pupil and level\n"
        "                         to DIR/pupils.csv (UTF-8 with BOM, CR LF line ends; open in Excel or\n"
        "                         LibreOffice). Damaged records are not written; their number is shown.\n"
        "  --check                Checks the results file (成績累積データ.dat) without changing it: one\n"
        "                         finding per line with its record numbers, then a summary line. Also names\n"
        "                         the daily copies (バックアップ/ in the data root) and how to restore one,\n"
        "                         and the size of the editor's journal (what can still be undone).\n"
        "                         Exit status: 0 clean, 1 findings, 2 the file cannot be checked.\n"
        "  --format=tsv           Prints the --check report tab-separated, for scripts (default: text).\n"
        "  --import-roster FILE.csv\n"
        "                         Checks a class list saved as CSV and reads it into the data root's\n"
        "                         新名簿.txt. Header: 番号, 生年 or 学年, 名前 (required) and 状態,\n"
        "                         学校 (or 校種), ふりがな. A grade is written 小5, 5年, 5年生, 中1, 中学1年,\n"
        "                         高2, 高校2年, 幼3, 年長, or a number; a grade without a stage (5年, 5) takes\n"
        "                         it from the 学校 column (小, 中, 高, 幼), else elementary school. A teacher's\n"
        "                         row (★ or 先生 in the name) may leave the grade empty. ふりがな (kana)\n"
        "                         orders the name list. Pupils whose numbers are in the file are added or\n"
        "                         updated; everybody else is kept. The old roster is kept under a dated\n"
        "                         name. If any row is bad nothing is written and every bad row is listed.\n"
        "                         Exit status: 0 written, 1 not written.\n"
        "  --replace              With --import-roster: the roster becomes the file's pupils only. A teacher\n"
        "                         stays unless the file has the teacher's number with 状態 9 (not listed).\n"
        "  --data-root DIR        Uses DIR as the data root instead of the one in パスデータ.txt.\n"
        "  --no-scaling           Keeps the windows at 1024 x 768 on a larger screen (as RUKAMINA_SCALING=off).\n"
        "  --version              Shows the version.\n"
        "  -h, --help             Shows this text.\n"
        "A wrong option or an unreadable settings file ends with exit status 2.\n"
        "\n"
        "Settings: in ~/.config/rukamina/rukamina.conf or /etc/rukamina/rukamina.conf, scaling=off under\n"
        "[display] keeps the design size and sound=off under [sound] plays no sound. Errors that end the\n"
        "program and notices of waits also go to ~/.local/state/rukamina/rukamina.log\n"
        "($XDG_STATE_HOME/rukamina/).\n");
}

int runCommand(
    const QStringList &arguments, const QString &executableFolder, Clock &clock, QIODevice &out, QIODevice &err)
{
    const Request request = parse(arguments);
    if (request.help) {
        out.write(commandLineHelp().toUtf8());
        return 0;
    }
    if (request.version && request.error.isEmpty()) {
        writeLine(out, versionText());
        return 0;
    }
    if (!request.error.isEmpty()) {
        writeLine(err, request.error);
        writeLine(err, QStringLiteral("使い方は rukamina --help で表示できます（rukamina --help shows the usage）。"));
        // A mistyped option is best answered with the options there are.
        if (request.unknownOption) {
            writeLine(err, QString());
            err.write(commandLineHelp().toUtf8());
        }
        return kFailed;
    }
    if (request.exportCsv)
        return runExport(request, executableFolder, clock, out, err);
    if (request.importRoster)
        return runImport(request, executableFolder, clock, out, err);
    return runCheck(request, executableFolder, clock, out, err);
}

bool scalingSwitchedOff(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--no-scaling") == 0)
            return true;
    }
    return false;
}

std::optional<int> runCommandLine(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!isCommandLineRequest(arguments))
        return std::nullopt;
    // No GUI application: these commands need no display.
    QCoreApplication app(argc, argv);
    arguments = QCoreApplication::arguments().mid(1);
    SystemClock clock;
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    return runCommand(arguments, QCoreApplication::applicationDirPath(), clock, out, err);
}

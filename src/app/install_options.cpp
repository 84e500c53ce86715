// SPDX-License-Identifier: MIT
#include "app/install_options.h"
#include "setup/roster_import.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <cstdio>

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stream);
}

} // namespace

InstallOptions parseInstallOptions(int argc, char **argv)
{
    InstallOptions o;
    const QString importOption = QStringLiteral("--import-roster");
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.help = true;
        } else if (arg == QLatin1String("--no-scaling")) {
            o.noScaling = true;
        } else if (arg == importOption) {
            o.importRoster = true;
            if (i + 1 < argc)
                o.rosterCsv = QString::fromLocal8Bit(argv[++i]);
        } else if (arg.startsWith(importOption + QLatin1Char('='))) {
            o.importRoster = true;
            o.rosterCsv = arg.mid(importOption.size() + 1);
        }
    }
    if (o.importRoster && o.rosterCsv.isEmpty())
        o.problem = QStringLiteral("--import-roster には読み込むCSVファイルの名前が要ります。");
    return o;
}

QString installOptionsHelp()
{
    return QStringLiteral(
        "  --import-roster FILE.csv  名簿のCSV（見出し: 番号, 生年 または 学年, 名前, 状態）を確かめて\n"
        "                            データフォルダの新名簿.txtに書きます。元の名簿は日付つきの名前で残します。\n"
        "                            問題のある行が1行でもあれば何も書かず、その行をすべて表示します。\n"
        "  --no-scaling              大きな画面でも画面を拡大しません（RUKAMINA_SCALING=off と同じ）。\n"
        "  -h, --help                この説明を表示します。\n");
}

std::optional<int> runInstallCommands(const InstallOptions &options, int argc, char **argv)
{
    if (!options.problem.isEmpty()) {
        print(stderr, options.problem);
        return 2;
    }
    if (options.help) {
        print(stdout,
            QStringLiteral("使い方: rukamina [オプション]\n"
                           "ルカミナ（記憶と計算の練習）を起動します。\n\n")
                + installOptionsHelp());
        return 0;
    }
    if (!options.importRoster)
        return std::nullopt;

    // No window is needed, so the import also runs over ssh or from cron.
    QCoreApplication app(argc, argv);
    QString dataRoot;
    double startMonth = 0;
    QString error;
    if (!rosterimport::locateDataRoot(QCoreApplication::applicationDirPath(), &dataRoot, &startMonth, &error)) {
        print(stderr, error);
        return 1;
    }
    const QString csv = QFileInfo(options.rosterCsv).absoluteFilePath();
    const rosterimport::Outcome outcome
        = rosterimport::importFile(csv, dataRoot, startMonth, QDateTime::currentDateTime());
    if (!outcome.ok) {
        print(stderr, outcome.message);
        return 1;
    }
    print(stdout, outcome.message);
    if (!outcome.warning.isEmpty())
        print(stderr, QStringLiteral("注意: ") + outcome.warning);
    return 0;
}

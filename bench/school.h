// SPDX-License-Identifier: MIT
// A full school for the benchmarks: 5000 listed pupils and a results file of
// 25000 records over the last three and a half years, in a temporary
// installation loaded the way start-up loads it.
#pragma once

#include "platform/clock.h"
#include "platform/cp932.h"
#include "results/result_record.h"
#include "startup/shared_state.h"
#include "startup/startup_loader.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>
#include <random>

namespace bench_school {

inline constexpr int kPupils = 5000;
inline constexpr int kRecords = 25000;

inline void writeItemFile(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    file.write(cp932::encode(crlf));
}

// A school installation in a temporary folder, loaded the way start-up
// loads it.
struct School {
    QTemporaryDir dir;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    School()
    {
        const QString suite = dir.path() + QStringLiteral("/suite/");
        const QString data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(suite + QStringLiteral("prog"));
        writeItemFile(suite + QStringLiteral("パスデータ.txt"),
                      QStringLiteral("\"%1\"\n0\n0\n0\n0\n0\n0\n0\n0\n0\n").arg(data));
        writeItemFile(data + QStringLiteral("共通データ.txt"),
                      QStringLiteral("4\n\"12345テスト学習塾\"\n0\n0\n0\n1234\n0\n0\n0\n0\n"));
        writeItemFile(data + QStringLiteral("prog/タイム回数データ.txt"),
                      QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n"
                                     "60,120,100,5,1,20,300,7,1,0,0,0\n80,150,100,5,1,20,300,7,1,0,0,0\n"
                                     "100,180,100,5,1.5,20,300,7,1,0,0,0\n120,200,100,5,2,20,300,7,1,0,0,0\n"));
        writeItemFile(data + QStringLiteral("音フォルダ/新音ファイル.txt"), QStringLiteral("間違い音2\nW\n*\n"));

        std::mt19937 random(2026);
        const QString family[] = {QStringLiteral("青木"), QStringLiteral("石井"), QStringLiteral("上田"),
                                  QStringLiteral("江藤"), QStringLiteral("大野"), QStringLiteral("加藤")};
        QString roster;
        for (int p = 1; p <= kPupils; ++p)
            roster += QStringLiteral("%1,%2,0,0,\"%3%4\",0,\"\",\"\"\n")
                          .arg(p)
                          .arg(2026 - 6 - int(random() % 16) + 3)
                          .arg(family[random() % 6])
                          .arg(p);
        writeItemFile(data + QStringLiteral("新名簿.txt"), roster);

        const QDate today = fakes.clock.today();
        QByteArray results;
        for (int n = 0; n < kRecords; ++n) {
            ResultRecord r;
            r.date = oledate::fromDate(today.addDays(-int((kRecords - n) / 20)));
            r.pupilNumber = std::int16_t(1 + random() % kPupils);
            r.level = std::int16_t(1 + random() % 4);
            r.seconds = random() % 20 == 0 ? 99999 : int(30 + random() % 300);
            results += encodeRecord(r);
        }
        QFile file(data + QStringLiteral("prog/成績累積データ.dat"));
        if (!file.open(QIODevice::WriteOnly) || file.write(results) != results.size())
            qFatal("cannot write the results file");
        file.close();

        if (!LoadPathsAndSettings(*state, fakes.platform, suite + QStringLiteral("prog")))
            qFatal("the school did not load");
    }
};

} // namespace bench_school

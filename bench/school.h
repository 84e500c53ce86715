// SPDX-License-Identifier: MIT
// A full school for the benchmarks: 5000 listed pupils and a results file of
// 25000 records over the last three and a half years, in a temporary
// installation loaded the way start-up loads it.
#pragma once

#include "platform/clock.h"
#include "results/result_record.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <memory>
#include <random>

namespace bench_school {

inline constexpr int kPupils = 5000;
inline constexpr int kRecords = 25000;

// A school installation in a temporary folder, loaded the way start-up
// loads it.
struct School {
    TestInstall install;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    // With `readings`, every pupil has a reading (ふりがな) in the first
    // spare text, as an import with that column writes it.
    explicit School(bool readings = false)
    {
        install.writeDefaults();
        std::mt19937 random(2026);
        const QString family[] = { QStringLiteral("青木"), QStringLiteral("石井"), QStringLiteral("上田"),
            QStringLiteral("江藤"), QStringLiteral("大野"), QStringLiteral("加藤") };
        const QString reading[] = { QStringLiteral("アオキ"), QStringLiteral("イシイ"), QStringLiteral("ウエダ"),
            QStringLiteral("エトウ"), QStringLiteral("オオノ"), QStringLiteral("カトウ") };
        QString roster;
        for (int p = 1; p <= kPupils; ++p) {
            const int year = 2026 - 6 - int(random() % 16) + 3;
            const int f = int(random() % 6);
            roster += QStringLiteral("%1,%2,0,0,\"%3%4\",0,\"%5\",\"\"\n")
                          .arg(p)
                          .arg(year)
                          .arg(family[f])
                          .arg(p)
                          .arg(readings ? reading[f] : QString());
        }
        install.writeRoster(roster);

        const QDate today = fakes.clock.today();
        QByteArray results;
        for (int n = 0; n < kRecords; ++n) {
            ResultRecord r;
            r.date = oledate::fromDate(today.addDays(-int((kRecords - n) / 20)));
            r.pupilNumber = std::int16_t(1 + random() % kPupils);
            r.level = std::int16_t(1 + random() % 4);
            r.seconds = random() % 20 == 0 ? kTimeUpSeconds : int(30 + random() % 300);
            results += encodeRecord(r);
        }
        install.writeBytes(install.programDataFolder() + QStringLiteral("成績累積データ.dat"), results);

        if (!LoadPathsAndSettings(*state, fakes.platform, install.programFolder()))
            qFatal("the school did not load");
    }
};

} // namespace bench_school

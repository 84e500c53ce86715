// SPDX-License-Identifier: MIT
#include "setup/installed_sounds.h"

#include <utility>

namespace installedsounds {
namespace {

// Data folder name, installed name. The tones are those of
// datafiles::defaultTones(); the first line is the sound list.
const std::pair<const char16_t *, const char *> kNames[] = {
    { u"新音ファイル.txt", "sound-list.txt" },
    { u"正解1.wav", "correct1.wav" },
    { u"正解2.wav", "correct2.wav" },
    { u"間違い1.wav", "wrong1.wav" },
    { u"自己最高1.wav", "own-record1.wav" },
    { u"不合格1.wav", "no-record1.wav" },
    { u"最高1.wav", "top-record1.wav" },
    { u"合格.wav", "goal.wav" },
};

} // namespace

QString installedName(const QString &dataName)
{
    for (const auto &[data, installed] : kNames) {
        if (dataName == QString::fromUtf16(data))
            return QString::fromLatin1(installed);
    }
    return dataName;
}

QString dataName(const QString &installedName)
{
    for (const auto &[data, installed] : kNames) {
        if (installedName == QLatin1String(installed))
            return QString::fromUtf16(data);
    }
    return installedName;
}

} // namespace installedsounds

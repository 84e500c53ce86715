// SPDX-License-Identifier: MIT
#include "startup/startup_loader.h"
#include "drill/sound_table.h"
#include "platform/fatal_error.h"
#include "platform/folder_path.h"
#include "platform/item_reader.h"
#include "platform/platform.h"
#include "platform/program_log.h"
#include "results/criteria_file.h"
#include "setup/daily_backup.h"
#include "setup/data_files.h"
#include "setup/path_file_search.h"
#include "state/level_table.h"
#include "state/navigator.h"
#include "state/shared_state.h"

#include <QDir>
#include <vector>

namespace {

const QString kTitle = QStringLiteral("起動できません");
constexpr int kItemsPerSettingsFile = 10;

// Reads the ten items of a settings file, or reports which file is missing
// or short.
bool readTenItems(Platform &platform, const QString &path, std::vector<ItemValue> *items)
{
    QString error;
    auto reader = ItemReader::open(path, &error);
    if (!reader) {
        platform.fatal.fatal(kTitle, QStringLiteral("%1\nこのファイルがありません（%2）。").arg(path, error));
        return false;
    }
    if (reader->total() < kItemsPerSettingsFile) {
        platform.fatal.fatal(kTitle,
            QStringLiteral("%1\n項目が足りません（10項目のうち%2項目しかありません）。")
                .arg(path)
                .arg(reader->total()));
        return false;
    }
    items->clear();
    for (int i = 0; i < kItemsPerSettingsFile; ++i)
        items->push_back(reader->next());
    return true;
}

} // namespace

bool LoadFoldersAndSettings(
    SharedState &state, Platform &platform, const QString &executableFolder, const QString &dataRootOverride)
{
    state.InstallFolder = folderpath::normalise(executableFolder);

    std::vector<ItemValue> items;
    if (!dataRootOverride.isEmpty()) {
        state.DataRootFolder = folderpath::normalise(dataRootOverride);
    } else {
        const pathsearch::SearchFolders folders = pathsearch::defaultFolders(state.InstallFolder);
        const QString pathFile = pathsearch::find(folders);
        if (pathFile.isEmpty()) {
            platform.fatal.fatal(kTitle,
                QStringLiteral("パスデータ.txtがありません。次の場所を探しました。\n%1")
                    .arg(pathsearch::candidates(folders).join(QLatin1Char('\n'))));
            return false;
        }
        if (!readTenItems(platform, pathFile, &items))
            return false;
        if (items[0].text.isEmpty()) {
            platform.fatal.fatal(kTitle, QStringLiteral("%1\n1番目の項目（データフォルダ）が空です。").arg(pathFile));
            return false;
        }
        state.DataRootFolder = folderpath::normalise(items[0].text);
    }

    const QString settingsFile = state.DataRootFolder + QStringLiteral("共通データ.txt");
    if (!readTenItems(platform, settingsFile, &items))
        return false;
    state.SchoolYearStartMonth = items[0].toNumber();
    const SchoolCodeSplit split = splitSchoolCode(items[1].text);
    state.SchoolCode = split.code;
    state.SchoolName = split.name;
    state.IncludeStatus2Pupils = items[2].toNumber();
    state.DataChangePassword = items[5];

    state.ProgramFolderName = folderpath::lastComponent(state.InstallFolder);
    state.ProgramDataFolder = state.DataRootFolder + state.ProgramFolderName + folderpath::kSeparator;
    state.SoundFolder = state.DataRootFolder + QStringLiteral("音フォルダ") + folderpath::kSeparator;

    SetProgramIdentity(state);
    return true;
}

bool LoadPathsAndSettings(SharedState &state, Platform &platform, const QString &executableFolder)
{
    if (!LoadFoldersAndSettings(state, platform, executableFolder))
        return false;

    if (!LoadCriteriaTable(state, platform.fatal, state.ProgramDataFolder + QStringLiteral("タイム回数データ.txt")))
        return false;

    QString soundProblem;
    if (!LoadSoundTable(state, &soundProblem)) {
        platform.fatal.fatal(kTitle, soundProblem);
        return false;
    }
    return true;
}

bool FinishStartUp(SharedState &state, Platform &platform, Navigator &navigator, const QString &executableFolder)
{
    if (!LoadPathsAndSettings(state, platform, executableFolder))
        return false;
    // Levels whose criteria the program cannot run with are said at once,
    // not found out by a class whose every run times out; the program
    // still starts, so that a teacher can mend them in the criteria editor.
    const QString criteriaReport
        = criteriaOutOfRangeReport(state, state.ProgramDataFolder + QStringLiteral("タイム回数データ.txt"));
    if (!criteriaReport.isEmpty()) {
        if (platform.log)
            platform.log->write(QStringLiteral("合格タイムデータ"), criteriaReport);
        navigator.tellAtStartUp(QStringLiteral("合格タイムデータ"), criteriaReport);
    }
    // A copy that cannot be made must not keep a class from working; the
    // log tells the administrator.
    const dailybackup::Outcome copy = dailybackup::makeTodaysCopy(state, platform.clock);
    if (platform.log
        && (copy.kind == dailybackup::Outcome::Kind::Made || copy.kind == dailybackup::Outcome::Kind::Failed))
        platform.log->write(QStringLiteral("毎日の控え"), copy.message);
    navigator.showNameSelection();
    return true;
}

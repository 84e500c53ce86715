// SPDX-License-Identifier: MIT
// The process-wide state every screen reads and writes: who is signed in,
// the level being played, the per-level criteria, the counts rebuilt from
// the results file, the roster tables and the run in progress. main()
// creates exactly one and hands it to every screen and module by reference.
// Names are the ones the program uses throughout.
#pragma once

#include "platform/item_value.h"
#include "platform/rgb.h"
#include "state/tables.h"

#include <QString>
#include <array>
#include <cstdint>

// One roster entry as loaded; the status is used while loading and dropped.
struct RosterRecord {
    std::int16_t pupilNumber = 0;
    std::int16_t birthYear = 0;
    std::int16_t spare1 = 0;
    std::int16_t spare2 = 0;
    QString name; // fixed 20 characters, blank-padded
    QString spareText1; // fixed 20 characters
    QString spareText2; // fixed 20 characters
};

// One sound category: its name and up to 20 file names (slots 1..20).
struct SoundCategory {
    QString name;
    std::array<QString, 21> files;
    int count = 0;
};

inline constexpr int kSoundCategories = 10;
inline constexpr int kLoadedRecordSlots = kRecordWindow + 1; // slots 1..kRecordWindow

struct SharedState {
    // --- program identity and level table -------------------------------
    QString ProgramName;
    int AllLevelsFree = 0;
    std::int16_t LevelCount = 0;
    int GoalLevel = 0;
    LevelTable<QString> LevelName {};
    LevelTable<std::int16_t> LevelTimed {};

    // --- signed-in pupil and selection -----------------------------------
    QString PupilName;
    std::int16_t PupilNumber = 0;
    std::int32_t SignInTime = 0;
    std::int16_t CurrentLevel = 0;
    QString PupilGradeLabel;
    QString GradeFilter;

    // --- run state of the drill ------------------------------------------
    std::int16_t ProblemsPerRun = 0;
    std::int32_t ProblemsDone = 0;
    float RunStartTime = 0;
    std::int32_t ElapsedSeconds = 0;
    std::int32_t TimeLimit = 0;
    double TimeBarScale = 0;
    std::int16_t TodayRunTotal = 0;
    std::int16_t RecallVerdict = 0;
    std::int16_t RunComplete = 0;
    std::int16_t TimeUp = 0;
    std::int16_t RunEnding = 0;
    std::int32_t RecordedTime = 0;

    // --- flags handed from recording to the result screen ---------------
    std::int16_t NewOwnRecord = 0;
    std::int16_t NewTopRecord = 0;
    std::int16_t LevelClearedBefore = 0;
    int GoalCleared = 0;

    // --- folders and common settings -------------------------------------
    QString InstallFolder;
    QString DataRootFolder;
    QString ProgramFolderName;
    QString ProgramDataFolder;
    QString SoundFolder;
    double SchoolYearStartMonth = 0;
    QString SchoolCode;
    QString SchoolName;
    double IncludeStatus2Pupils = 0;
    ItemValue DataChangePassword;

    // --- start-up screens --------------------------------------------------
    Rgb SeasonColour;

    // --- criteria table (slot 0 holds the header line) -------------------
    LevelTable<std::int32_t> TargetTime {};
    LevelTable<std::int32_t> PassLineTime {};
    LevelTable<std::int32_t> ClearPoints {};
    LevelTable<std::int16_t> ClearCount {};
    LevelTable<float> PointMultiplier {};
    LevelTable<ItemValue> OverPracticeCount {};
    LevelTable<ItemValue> OverPracticePoints {};
    LevelTable<ItemValue> JudgePeriodDays {};
    LevelTable<ItemValue> OverPracticePeriodDays {};
    LevelTable<ItemValue> CriteriaReserved10 {};
    LevelTable<ItemValue> CriteriaReserved11 {};
    LevelTable<ItemValue> CriteriaReserved12 {};
    // Per level, the columns whose value is outside its range
    // (criteria_file.h); empty when the level can be run. Such a level
    // cannot be started.
    LevelTable<QString> CriteriaOutOfRange {};

    // --- loaded results records (slots 1..LoadedRecordCount) -------------
    std::vector<double> RecDate = std::vector<double>(kLoadedRecordSlots);
    std::vector<std::int16_t> RecPupil = std::vector<std::int16_t>(kLoadedRecordSlots);
    std::vector<std::int16_t> RecLevel = std::vector<std::int16_t>(kLoadedRecordSlots);
    std::vector<std::int32_t> RecTime = std::vector<std::int32_t>(kLoadedRecordSlots);
    std::int16_t LoadedRecordCount = 0;

    // --- best times --------------------------------------------------------
    LevelPupilTable<std::int32_t> BestTime;
    LevelTable<std::int32_t> TopTime {};

    // --- counts rebuilt from the results file ----------------------------
    LevelPupilTable<std::int16_t> TotalRunCount;
    LevelPupilTable<std::int32_t> TotalPoints;
    LevelPupilTable<float> TodayRunCount;
    LevelPupilTable<std::int32_t> TodayPoints;
    LevelPupilTable<std::int16_t> PeriodRunCount;
    LevelPupilTable<std::int32_t> PeriodPoints;
    LevelPupilTable<std::int16_t> OverPracticeRunCount;
    LevelPupilTable<std::int32_t> OverPracticeEarned;

    // --- sounds ------------------------------------------------------------
    std::array<SoundCategory, kSoundCategories + 1> SoundTable {}; // 1..10
    std::int16_t SoundFailureCount = 0;
    QString LastMciCommand;
    QString LastMciResult;
    // Shown on the name list when no sound will be heard for want of a
    // device; empty otherwise.
    QString SoundNotice;

    // --- roster --------------------------------------------------------------
    PupilTable<RosterRecord> Roster;
    PupilTable<std::int16_t> ListedPupils;
    int ListedPupilCount = 0;
    PupilTable<QString> RosterName;
    PupilTable<std::int16_t> RosterBirthYear;
    PupilTable<QString> RosterGradeLabel;
    int SchoolYear = 0;

    // --- hub -------------------------------------------------------------------
    int HubFirstColumn = 0;
    int ResultPeriod = 0;
    int HubOrderOption = 0;
    int ListKind = 0;
    PupilTable<std::int16_t> RankPupils;
    // Keys of the ranking, one per listed pupil (up to 5000).
    PupilTable<std::int64_t> RankKey;
    int RankCount = 0;
};

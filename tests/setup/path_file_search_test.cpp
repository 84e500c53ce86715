// SPDX-License-Identifier: MIT
#include "setup/data_files.h"
#include "setup/path_file_search.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"
#include "support/scoped_env.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Which of the three places hold a path file, and which one must win.
struct SearchCase {
    const char *name;
    bool suite;
    bool user;
    bool system;
    const char *winner; // "suite", "user", "system" or "" for none
};

class PathFileSearch : public ::testing::TestWithParam<SearchCase> { };

TEST_P(PathFileSearch, SuiteThenUserThenSystem)
{
    QTemporaryDir dir;
    const pathsearch::SearchFolders folders { dir.path() + "/suite/", dir.path() + "/user", dir.path() + "/system/" };
    const SearchCase &c = GetParam();
    auto place = [](const QString &file, const char *root) {
        QString error;
        ASSERT_TRUE(datafiles::writeItemFile(file, datafiles::pathFileText(root), &error)) << error.toStdString();
    };
    if (c.suite) {
        place(folders.suite + "パスデータ.txt", "/s/");
    }
    if (c.user) {
        place(folders.user + "/パスデータ.txt", "/u/");
    }
    if (c.system) {
        place(folders.system + "パスデータ.txt", "/y/");
    }

    const QString found = pathsearch::find(folders);
    if (QString::fromLatin1(c.winner).isEmpty())
        EXPECT_EQ(found, QString());
    else
        EXPECT_EQ(found, dir.path() + "/" + QString::fromLatin1(c.winner) + "/パスデータ.txt");
}

INSTANTIATE_TEST_SUITE_P(Places, PathFileSearch,
    ::testing::Values(SearchCase { "All", true, true, true, "suite" },
        SearchCase { "UserAndSystem", false, true, true, "user" },
        SearchCase { "SystemOnly", false, false, true, "system" },
        SearchCase { "SuiteAndSystem", true, false, true, "suite" }, SearchCase { "None", false, false, false, "" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PathFileSearch, UserFolderFollowsXdgConfigHomeAndIgnoresARelativeOne)
{
    {
        ScopedEnv env("XDG_CONFIG_HOME", "/srv/cfg/");
        EXPECT_EQ(pathsearch::userConfigFolder(), QStringLiteral("/srv/cfg/rukamina/"));
    }
    {
        ScopedEnv env("XDG_CONFIG_HOME", "relative/cfg");
        EXPECT_EQ(pathsearch::userConfigFolder(), QDir::homePath() + QStringLiteral("/.config/rukamina/"));
    }
}

// An installed program has no suite path file: start-up reads the one the
// first-run set-up put into the user's configuration folder.
TEST(PathFileSearch, StartUpReadsThePathFileOfTheUsersConfigurationFolder)
{
    TestInstall install;
    install.writeDefaults();
    QFile::remove(install.suiteFolder() + "パスデータ.txt");
    QTemporaryDir config;
    ScopedEnv env("XDG_CONFIG_HOME", config.path().toUtf8());
    QString error;
    ASSERT_TRUE(datafiles::writeItemFile(
        config.path() + "/rukamina/パスデータ.txt", datafiles::pathFileText(install.dataRoot()), &error));

    auto state = std::make_unique<SharedState>();
    FakePlatform fakes;
    ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()))
        << fakes.fatal.messages.join('\n').toStdString();
    EXPECT_EQ(state->DataRootFolder, install.dataRoot());
}

TEST(PathFileSearch, MissingEverywhereNamesEveryPlaceSearched)
{
    TestInstall install;
    install.writeDefaults();
    QFile::remove(install.suiteFolder() + "パスデータ.txt");
    QTemporaryDir config;
    ScopedEnv env("XDG_CONFIG_HOME", config.path().toUtf8());

    auto state = std::make_unique<SharedState>();
    FakePlatform fakes;
    EXPECT_FALSE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
    ASSERT_EQ(fakes.fatal.messages.size(), 1);
    const QString message = fakes.fatal.messages.first();
    EXPECT_TRUE(message.contains(install.suiteFolder() + "パスデータ.txt")) << message.toStdString();
    EXPECT_TRUE(message.contains(config.path() + "/rukamina/パスデータ.txt")) << message.toStdString();
    EXPECT_TRUE(message.contains("/etc/rukamina/パスデータ.txt")) << message.toStdString();
}

} // namespace

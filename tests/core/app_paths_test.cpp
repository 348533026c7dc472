// The application directory, its seed files, and the engine's part of the start.
#include "core/session/app_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/base/atomic_file.h"
#include "core/session/startup.h"
#include "open_session_fixture.h"
#include "test_paths.h"

namespace tessel::test::opening {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(AppPaths, TesselHomeWins) {
    ScopedEnv home("TESSEL_HOME", "/srv/tessel home");
    ScopedEnv data("XDG_DATA_HOME", "/xdg");
    EXPECT_EQ(ResolveAppPath(), "/srv/tessel home");
}

TEST(AppPaths, ElseTheXdgDataHome) {
    ScopedEnv home("TESSEL_HOME", std::nullopt);
    ScopedEnv data("XDG_DATA_HOME", "/xdg/data");
    EXPECT_EQ(ResolveAppPath(), "/xdg/data/Tessel");
}

TEST(AppPaths, ElseTheDefaultDataLocationUnderHome) {
    ScopedEnv home("TESSEL_HOME", std::nullopt);
    ScopedEnv user("HOME", "/home/ann");
    {
        ScopedEnv data("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(ResolveAppPath(), "/home/ann/.local/share/Tessel");
    }
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(ResolveAppPath(), "/home/ann/.local/share/Tessel") << "relative values are ignored";
}

TEST(AppPaths, TheDataDirectoryHoldsTheSeedFiles) {
    ScopedEnv data("TESSEL_DATA_DIR", std::nullopt);
    const fs::path directory = DataDirectory();
    EXPECT_TRUE(fs::is_regular_file(directory / "template.sqv")) << directory;
    EXPECT_TRUE(fs::is_regular_file(directory / "tipofday.txt")) << directory;
}

TEST(AppPaths, TheDataDirectoryCanBeOverridden) {
    ScopedEnv data("TESSEL_DATA_DIR", "/opt/tessel/data");
    EXPECT_EQ(DataDirectory(), "/opt/tessel/data");
}

TEST(AppPaths, AnUnpackedInstallReadsItsOwnDataBesideItsPrograms) {
    // The default layout: <prefix>/bin and <prefix>/share/tessel, under any root.
    TempDir root;
    fs::create_directories(root.Path() / "usr/bin");
    fs::create_directories(root.Path() / "usr/share/tessel");
    EXPECT_EQ(DataDirectoryFor(root.File("usr/bin/tessel")), root.File("usr/share/tessel"));
    EXPECT_EQ(DataDirectoryFor(root.File("usr/bin/tessel-cli")), root.File("usr/share/tessel"));
}

TEST(AppPaths, AProgramWithoutInstalledDataReadsTheSourceTree) {
    TempDir root;
    fs::create_directories(root.Path() / "build/src/app");
    EXPECT_EQ(DataDirectoryFor(root.File("build/src/app/tessel")), TESSEL_DATA_DIR);
    // A file where the data directory would be is not taken for it.
    fs::create_directories(root.Path() / "usr/bin");
    fs::create_directories(root.Path() / "usr/share");
    WriteBytes(root.File("usr/share/tessel"), "not a directory");
    EXPECT_EQ(DataDirectoryFor(root.File("usr/bin/tessel")), TESSEL_DATA_DIR);
    EXPECT_EQ(DataDirectoryFor(""), TESSEL_DATA_DIR) << "an unknown executable";
}

TEST(AppPaths, TheStartScriptIsAllCommentsWithCrLfLineEnds) {
    const std::string text = ReadBytes(DataDirectory() + "/template.sqv");
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "a last comment needs its line end";
    const auto lines = SplitCrLfLines(text);
    EXPECT_GE(lines.size(), 10u);
    for (const auto& line : lines) {
        EXPECT_EQ(line.rfind("//", 0), 0u)
            << "running the start script as it is does nothing: " << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        EXPECT_EQ(line.find('\r'), std::string::npos) << line;
    }
    EXPECT_NE(text.find("dbConnect Access;"), std::string::npos);
    EXPECT_NE(text.find("dbMake "), std::string::npos);
    EXPECT_NE(text.find("CREATE TABLE "), std::string::npos);
    EXPECT_NE(text.find("SELECT "), std::string::npos);
}

TEST(AppPaths, TheTipsFileHoldsOneTipALine) {
    std::istringstream in(ReadBytes(DataDirectory() + "/tipofday.txt"));
    std::string line;
    int tips = 0;
    while (std::getline(in, line)) {
        ++tips;
        EXPECT_FALSE(line.empty());
        EXPECT_EQ(line.find('\r'), std::string::npos);
    }
    EXPECT_GE(tips, 10);
}

TEST(AppPaths, PrepareMakesTheDirectoryAndSeedsIt) {
    TempDir dir;
    const std::string app = dir.File("deep/Tessel");
    PrepareAppDirectory(app);
    EXPECT_TRUE(fs::is_directory(app + "/export"));
    EXPECT_TRUE(fs::is_directory(app + "/scripts"));
    EXPECT_EQ(ReadBytes(app + "/template.sqv"), ReadBytes(DataDirectory() + "/template.sqv"));
    EXPECT_EQ(ReadBytes(app + "/tipofday.txt"), ReadBytes(DataDirectory() + "/tipofday.txt"));
    // Only the seeded files and the two directories: no temporary file is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(app), fs::directory_iterator()), 4);
}

TEST(AppPaths, SeedingNeverWritesThroughALink) {
    TempDir dir;
    const std::string app = dir.File("Tessel");
    fs::create_directories(app);
    const std::string victim = dir.File("victim.txt");
    WriteBytes(victim, "not to be touched");
    // Links wait at the old temporary name and at the names the writer tries next.
    fs::create_symlink(victim, app + "/template.sqv.partial");
    const unsigned next = base::NextTemporaryNumber();
    for (unsigned n = next; n < next + 4; ++n)
        fs::create_symlink(victim, base::TemporaryName(app + "/template.sqv", n));
    PrepareAppDirectory(app);
    EXPECT_EQ(ReadBytes(victim), "not to be touched");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(app + "/template.sqv")));
    EXPECT_EQ(ReadBytes(app + "/template.sqv"), ReadBytes(DataDirectory() + "/template.sqv"));
}

TEST(AppPaths, PrepareKeepsWhatThePersonHas) {
    TempDir dir;
    const std::string app = dir.File("Tessel");
    fs::create_directories(app + "/export");
    WriteBytes(app + "/export/mine.sql", "kept");
    WriteBytes(app + "/template.sqv", "// my own start script\r\n");
    PrepareAppDirectory(app);
    EXPECT_EQ(ReadBytes(app + "/template.sqv"), "// my own start script\r\n");
    EXPECT_EQ(ReadBytes(app + "/export/mine.sql"), "kept");
    EXPECT_TRUE(fs::is_directory(app + "/scripts")) << "a missing scripts directory is made";
    EXPECT_TRUE(fs::is_regular_file(app + "/tipofday.txt"));
}

TEST(AppPaths, PrepareReportsADirectoryThatCannotBeMade) {
    TempDir dir;
    WriteBytes(dir.File("file"), "in the way");
    try {
        PrepareAppDirectory(dir.File("file/Tessel"));
        FAIL() << "no error";
    } catch (const db::EngineError& error) {
        EXPECT_NE(error.Description().find(dir.File("file/Tessel")), std::string::npos)
            << error.Description();
    }
}

// Restores the working directory that InitializeSession changes.
class InitializeSessionTest : public OpenSessionTest {
  protected:
    ~InitializeSessionTest() override { fs::current_path(cwd_); }

  private:
    fs::path cwd_ = fs::current_path();
};

TEST_F(InitializeSessionTest, SetsTheStartValues) {
    Session fresh(ui);
    fresh.state.current.versionIndex = 11;
    fresh.state.current.connectionType = "Excel 8.0;HDR=YES;";
    fresh.state.odbc.odbcSilent = true;
    fresh.state.ansiExport.exportMode = true;
    fresh.state.find.direction = 2;
    fresh.state.current.databaseOpen = true;
    fresh.engine.SetLoginTimeout(45);
    const std::string app = dir.File("app");
    fs::create_directory(app);
    InitializeSession(fresh, app);
    EXPECT_EQ(fresh.state.app.appPath, app);
    EXPECT_TRUE(fs::is_directory(app + "/export"));
    EXPECT_TRUE(fs::is_directory(app + "/scripts"));
    EXPECT_EQ(fs::current_path(), fs::path(app));
    ASSERT_TRUE(fresh.state.engineObjects.jetWorkspace);
    EXPECT_EQ(fresh.state.engineObjects.jetWorkspace->Name(), "tessel");
    EXPECT_EQ(fresh.state.engineObjects.jetWorkspace->UserName(), "admin");
    EXPECT_EQ(fresh.state.engineObjects.loginTimeout, 45);
    EXPECT_EQ(fresh.state.types.JetTypeList.size(), 23u);
    EXPECT_EQ(fresh.state.types.NoSizeTypeList.size(), 8u);
    EXPECT_EQ(fresh.state.types.ANSIMappedTypeList.size(), 9u);
    EXPECT_FALSE(fresh.state.odbc.odbcSilent);
    EXPECT_EQ(fresh.state.current.versionIndex, 3);
    EXPECT_EQ(fresh.state.current.connectionType, "Access");
    EXPECT_FALSE(fresh.state.ansiExport.exportMode);
    EXPECT_EQ(fresh.state.find.direction, 1);
    EXPECT_FALSE(fresh.state.current.databaseOpen);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(InitializeSessionTest, LeavesAnExistingExportDirectoryAlone) {
    const std::string app = dir.File("app");
    fs::create_directories(app + "/export");
    WriteBytes(app + "/export/old.sql", "kept");
    InitializeSession(session, app);
    EXPECT_EQ(ReadBytes(app + "/export/old.sql"), "kept");
}

TEST_F(InitializeSessionTest, AMissingApplicationDirectoryIsReported) {
    const std::string app = dir.File("missing/app");
    try {
        InitializeSession(session, app);
        FAIL() << "no error";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kPathNotFound);
        EXPECT_NE(error.Description().find(app), std::string::npos) << error.Description();
    }
    EXPECT_EQ(session.state.app.appPath, app);
}

}  // namespace
}  // namespace tessel::test::opening

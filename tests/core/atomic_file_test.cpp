#include "core/base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "support/temp_dir.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using base::AtomicFile;
using base::FileWriteError;
using base::WriteFileAtomically;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::vector<std::string> Names(const test::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, WritesANewFileWithTheUsualPermissions) {
    test::TempDir dir;
    const std::string path = dir.File("new.txt");
    const mode_t mask = ::umask(022);
    WriteFileAtomically(path, "first");
    ::umask(mask);
    EXPECT_EQ(test::ReadBytes(path), "first");
    EXPECT_EQ(ModeOf(path), 0644u);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"new.txt"});
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissionBits) {
    test::TempDir dir;
    const std::string path = dir.File("secret.txt");
    test::WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    WriteFileAtomically(path, "new");
    EXPECT_EQ(test::ReadBytes(path), "new");
    EXPECT_EQ(ModeOf(path), 0600u);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    WriteFileAtomically(path, "newer", base::Durability::Scratch);
    EXPECT_EQ(test::ReadBytes(path), "newer");
    EXPECT_EQ(ModeOf(path), 0640u);
}

TEST(AtomicFile, ALinkAtTheTargetIsReplacedNotFollowed) {
    test::TempDir dir;
    const std::string elsewhere = dir.File("elsewhere.txt");
    test::WriteBytes(elsewhere, "not to be touched");
    const std::string path = dir.File("link.txt");
    fs::create_symlink(elsewhere, path);
    WriteFileAtomically(path, "written");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(path)));
    EXPECT_EQ(test::ReadBytes(path), "written");
    EXPECT_EQ(test::ReadBytes(elsewhere), "not to be touched");
}

TEST(AtomicFile, LinksAtTheTemporaryNamesAreNotFollowed) {
    test::TempDir dir;
    const std::string path = dir.File("target.txt");
    const std::string victim = dir.File("victim.txt");
    test::WriteBytes(victim, "not to be touched");
    const std::string dangling = dir.File("nowhere.txt");
    // The next names the writer will try, each already taken by a link.
    const unsigned next = base::NextTemporaryNumber();
    std::vector<std::string> planted;
    for (unsigned n = next; n < next + 8; ++n) {
        planted.push_back(base::TemporaryName(path, n));
        fs::create_symlink(n % 2 == 0 ? victim : dangling, planted.back());
    }
    WriteFileAtomically(path, "written");
    EXPECT_EQ(test::ReadBytes(path), "written");
    EXPECT_EQ(test::ReadBytes(victim), "not to be touched");
    EXPECT_FALSE(fs::exists(dangling));
    for (const auto& link : planted)
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link))) << link;
}

TEST(AtomicFile, AFailureLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
    const std::string path = dir.File("kept.txt");
    test::WriteBytes(path, "old content");
    try {
        AtomicFile file(path);
        file.Write("half of the new");
        EXPECT_TRUE(fs::exists(file.TemporaryPath()));
        throw std::runtime_error("the producer failed");
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "the producer failed");
    }
    EXPECT_EQ(test::ReadBytes(path), "old content");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"kept.txt"});
}

TEST(AtomicFile, NeverReplacingFailsWhenTheNameIsTakenMeanwhile) {
    test::TempDir dir;
    const std::string path = dir.File("db.sqlite");
    AtomicFile file(path);
    file.Write("new database");
    test::WriteBytes(path, "someone else's");
    try {
        file.Commit(base::Replace::Never);
        FAIL() << "the name was taken";
    } catch (const FileWriteError& error) {
        EXPECT_EQ(error.SystemError(), EEXIST);
        EXPECT_EQ(error.Path(), path);
        EXPECT_EQ(std::string(error.what()), "Cannot write " + path + ": File exists.");
    }
    EXPECT_EQ(test::ReadBytes(path), "someone else's");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"db.sqlite"});
}

TEST(AtomicFile, AMissingDirectoryIsNamedInTheError) {
    test::TempDir dir;
    const std::string directory = dir.File("no/such");
    try {
        WriteFileAtomically(directory + "/file.txt", "x");
        FAIL() << "the directory is missing";
    } catch (const FileWriteError& error) {
        EXPECT_EQ(error.Path(), directory);
        EXPECT_EQ(std::string(error.what()),
                  "Cannot write " + directory + ": No such file or directory.");
    }
}

TEST(AtomicFile, ADirectoryThatCannotBeWrittenIsNamedAndTheOldFileStays) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    test::TempDir dir;
    const std::string directory = dir.File("locked");
    fs::create_directory(directory);
    const std::string path = directory + "/file.txt";
    test::WriteBytes(path, "old");
    ASSERT_EQ(::chmod(directory.c_str(), 0555), 0);
    try {
        WriteFileAtomically(path, "new");
        ADD_FAILURE() << "the directory cannot be written";
    } catch (const FileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot write " + directory + ": Permission denied.");
    }
    ::chmod(directory.c_str(), 0755);
    EXPECT_EQ(test::ReadBytes(path), "old");
    EXPECT_EQ(fs::directory_iterator(directory)->path().filename(), "file.txt");
}

}  // namespace
}  // namespace tessel

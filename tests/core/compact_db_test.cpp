// Tools > Compact: the dialogs, the encryption question, compaction into a new file and into
// the file itself, the failure box, and a killed compaction that never loses the original.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/maintenance/compact_db.h"
#include "open_session_fixture.h"
#include "platform_test_util.h"

namespace tessel::test::opening {
namespace {

namespace fs = std::filesystem;
using platform_tests::ErrorNumber;
using platform_tests::Query;
using platform_tests::Rows;
using platform_tests::RunAll;

class CompactDbTest : public OpenSessionTest {
  protected:
    // A database with 2^`doublings` rows in Items, half of them deleted again so that there
    // is free space to give back.
    std::string MakeFilled(const std::string& name, int doublings = 9) {
        const std::string path = MakeDatabase(name);
        std::vector<std::string> statements = {
            "CREATE TABLE Items (ID COUNTER CONSTRAINT PK PRIMARY KEY, Label TEXT(200))",
            "INSERT INTO Items (Label) VALUES ('" + std::string(150, 'x') + "')"};
        for (int i = 0; i < doublings; ++i)
            statements.push_back("INSERT INTO Items (Label) SELECT Label FROM Items");
        statements.push_back("DELETE FROM Items WHERE ID % 2 = 0");
        RunAll(session.engine, path, statements);
        return path;
    }
    std::string Count(const std::string& path, const std::string& connect = "") {
        auto db = session.engine.OpenDatabase(path, false, false, connect);
        return Query(session.engine, path, "SELECT count(*) FROM Items")[0][0];
    }
};

TEST_F(CompactDbTest, TheTemporaryNameEndsInN) {
    EXPECT_EQ(CompactTemporaryName("/db/shop.mdb"), "/db/shop.mdN");
    EXPECT_EQ(CompactTemporaryName("x"), "N");
    EXPECT_EQ(CompactTemporaryName(""), "");
}

TEST_F(CompactDbTest, CompactingAFileIntoItselfLeavesOneFileUnderItsName) {
    const std::string path = MakeFilled("shop.mdb");
    const auto before = fs::file_size(path);
    CompactDB(session, path, compact::kVersion30, true);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_TRUE(ui.fileRequests.empty());
    EXPECT_EQ(ui.StatusText(), "Compacted: shop.mdb");
    EXPECT_FALSE(fs::exists(dir.File("shop.mdN")));
    EXPECT_LT(fs::file_size(path), before);
    EXPECT_EQ(Count(path), "256");
    ASSERT_EQ(ui.pointers.size(), 2u);
    EXPECT_EQ(ui.pointers[0], Pointer::Busy);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(CompactDbTest, AnEmptyGivenNameDoesNothing) {
    CompactDB(session, "", compact::kVersion30, true);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.statusTexts.empty());
    EXPECT_TRUE(ui.pointers.empty());
}

TEST_F(CompactDbTest, TheDialogsAskForSourceAndDestinationAndTheQuestionForEncryption) {
    const std::string source = MakeFilled("shop.mdb");
    const std::string sourceBytes = ReadBytes(source);
    const std::string destination = dir.File("small.mdb");
    ui.fileAnswers = {source, destination};
    ui.boxAnswers = {msgbox::kNo};
    CompactDB(session, "", compact::kVersion20, false);

    ASSERT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(ui.fileRequests[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(ui.fileRequests[0].title, "Select Microsoft Access file to compact");
    EXPECT_EQ(ui.fileRequests[0].flags, 4);
    EXPECT_EQ(ui.fileRequests[0].filter, "Microsoft Access files (*.mdb)|*.mdb");
    EXPECT_EQ(ui.fileRequests[0].fileName, "");
    EXPECT_EQ(ui.fileRequests[1].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.fileRequests[1].title, "Select Microsoft Access file to compact too");
    EXPECT_EQ(ui.fileRequests[1].flags, 6);
    EXPECT_EQ(ui.fileRequests[1].filterIndex, 1);
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text, "Encrypt compacted database");
    EXPECT_EQ(ui.boxes[0].style, 68);
    EXPECT_EQ(ui.boxes[0].caption, "Encrypt MDB");
    EXPECT_EQ(ui.passwordPrompts, 0);
    EXPECT_EQ(ui.StatusText(), "Compacted: small.mdb");
    EXPECT_EQ(ReadBytes(source), sourceBytes);
    EXPECT_EQ(session.engine.OpenDatabase(destination, false, false, "")->Version(), "2.0");
    EXPECT_EQ(Count(destination), "256");
    // The current database file name is not the compaction's business.
    EXPECT_EQ(session.state.current.currentDatabaseFileName, "");
}

TEST_F(CompactDbTest, CancellingEitherDialogEndsWithoutAWord) {
    const std::string source = MakeFilled("shop.mdb", 3);
    ui.fileAnswers = {std::nullopt};
    CompactDB(session, "", compact::kVersion30, false);
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    ui.fileAnswers = {source, std::nullopt};
    CompactDB(session, "", compact::kVersion30, false);
    EXPECT_EQ(ui.fileRequests.size(), 3u);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(ui.StatusText(), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(CompactDbTest, AnExistingOtherDestinationIsReplacedAndTheSourceStays) {
    const std::string source = MakeFilled("shop.mdb", 4);
    const std::string sourceBytes = ReadBytes(source);
    const std::string destination = MakeDatabase("old.mdN");  // ends in N, is no temporary
    RunAll(session.engine, destination, {"CREATE TABLE Stale (A LONG)"});
    ui.fileAnswers = {source, destination};
    ui.boxAnswers = {msgbox::kNo};
    CompactDB(session, "", compact::kVersion30, false);
    EXPECT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.StatusText(), "Compacted: old.mdN");
    EXPECT_EQ(Count(destination), "8");
    EXPECT_NE(ErrorNumber([&] { Query(session.engine, destination, "SELECT * FROM Stale"); }), 0);
    EXPECT_EQ(ReadBytes(source), sourceBytes);
    EXPECT_FALSE(fs::exists(dir.File("shop.mdN")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}

TEST_F(CompactDbTest, EncryptionAsksForTheNewPasswordWhichTheCopyThenNeeds) {
    const std::string source = MakeFilled("shop.mdb", 4);
    const std::string destination = dir.File("locked.mdb");
    ui.fileAnswers = {source, destination};
    ui.boxAnswers = {msgbox::kYes};
    ui.passwordAnswers = {"s3cret"};
    CompactDB(session, "", compact::kVersion30, false);
    EXPECT_EQ(ui.passwordPrompts, 1);
    EXPECT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.StatusText(), "Compacted: locked.mdb");
    EXPECT_EQ(ErrorNumber([&] { session.engine.OpenDatabase(destination, false, false, ""); }),
              db::err::kBadPassword);
    EXPECT_EQ(session.engine.OpenDatabase(destination, false, false, ";pwd=s3cret")->Version(),
              "3.0");
    // The password is no status text.
    for (const std::string& text : ui.statusTexts)
        EXPECT_EQ(text.find("s3cret"), std::string::npos) << text;

    // Compacting into itself decrypts.
    CompactDB(session, destination, compact::kVersion30, true);
    EXPECT_EQ(ui.StatusText(), "Compacted: locked.mdb") << Boxes();
    EXPECT_EQ(session.engine.OpenDatabase(destination, false, false, "")->Version(), "3.0");
}

TEST_F(CompactDbTest, ACancelledPasswordPromptCompactsNothing) {
    const std::string source = MakeFilled("shop.mdb", 4);
    const std::string destination = MakeDatabase("kept.mdb");
    const std::string kept = ReadBytes(destination);
    ui.fileAnswers = {source, destination};
    ui.boxAnswers = {msgbox::kYes};
    ui.passwordAnswers = {""};
    CompactDB(session, "", compact::kVersion30, false);
    EXPECT_EQ(ui.passwordPrompts, 1);
    EXPECT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.StatusText(), "");
    EXPECT_EQ(ReadBytes(destination), kept);
}

TEST_F(CompactDbTest, AFileWithTheTemporaryNameMakesTheCompactionFail) {
    const std::string path = MakeFilled("shop.mdb", 4);
    const std::string bytes = ReadBytes(path);
    WriteBytes(dir.File("shop.mdN"), "in the way");
    CompactDB(session, path, compact::kVersion30, true);
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_EQ(ui.boxes[0].caption, "Error " + std::to_string(db::err::kDatabaseExists));
    EXPECT_NE(ui.boxes[0].text.find("shop.mdN"), std::string::npos) << Boxes();
    EXPECT_EQ(ui.StatusText(), "");
    EXPECT_TRUE(ui.PointerIsDefault());
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(ReadBytes(dir.File("shop.mdN")), "in the way");
}

TEST_F(CompactDbTest, AMissingSourceShowsTheErrorBoxWithItsNumberAsTitle) {
    const std::string missing = dir.File("none.mdb");
    CompactDB(session, missing, compact::kVersion30, true);
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_EQ(ui.boxes[0].caption.rfind("Error ", 0), 0u) << Boxes();
    EXPECT_NE(ui.boxes[0].text.find("none.mdb"), std::string::npos) << Boxes();
    // The text is the description alone, without the number in front.
    EXPECT_NE(ui.boxes[0].text.rfind(ui.boxes[0].caption.substr(6) + ":", 0), 0u);
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::exists(dir.File("none.mdN")));
}

// A compaction into itself killed at any moment leaves the original whole under its name.
TEST_F(CompactDbTest, AKilledCompactionNeverLosesTheOriginal) {
    const std::string path = MakeFilled("big.mdb", 13);
    const std::string expected = Count(path);
    for (int delayMs : {0, 1, 3, 8, 15, 30, 60, 120}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ScriptedUi childUi;
            Session childSession{childUi};
            for (;;)
                CompactDB(childSession, path, compact::kVersion30, true);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        // A temporary copy that was cut off is the only trace; the original is whole.
        fs::remove(dir.File("big.mdN"));
        db::Engine fresh;
        EXPECT_EQ(Query(fresh, path, "PRAGMA integrity_check"), (Rows{{"ok"}})) << delayMs;
        EXPECT_EQ(Query(fresh, path, "SELECT count(*) FROM Items")[0][0], expected) << delayMs;
    }
}

}  // namespace
}  // namespace tessel::test::opening

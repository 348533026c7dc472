// Opening a database by name or through the open dialog, closing it, the password prompt and
// the repair offer, and the path helpers that go with them.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/maintenance/repair_db.h"
#include "core/session/current_database.h"
#include "core/session/shared_state.h"
#include "open_session_fixture.h"

namespace tessel::test::opening {
namespace {

constexpr const char* kNotADatabase =
    "This file only pretends to be a database: its first hundred bytes are plain text and no "
    "engine will ever read a table from it.\n";

class OpenDbTest : public OpenSessionTest {
  protected:
    // Nothing current, and nothing that claims to be.
    void ExpectNothingCurrent() {
        EXPECT_FALSE(session.state.current.currentDatabase);
        EXPECT_FALSE(session.state.current.databaseOpen);
    }
    void ExpectCurrent(const std::string& path) {
        ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
        EXPECT_TRUE(session.state.current.databaseOpen);
        EXPECT_EQ(session.state.current.currentDatabase->Name(), path);
        EXPECT_EQ(session.state.current.currentDatabaseFileName, path);
    }
    void FillOdbcParts() {
        OdbcParts& parts = session.state.odbc;
        parts = {"dsn", "db", "user", "pw", "driver", "server", "description"};
    }
    // A file that the engine refuses as damaged.
    std::string MakeDamagedFile(const std::string& name) {
        const std::string path = dir.File(name);
        WriteBytes(path, kNotADatabase);
        return path;
    }
    // The engine's own description of why it refuses to open the file.
    std::string EngineRefusal(const std::string& path) {
        try {
            session.engine.OpenDatabase(path, false, false, "");
        } catch (const db::EngineError& error) {
            EXPECT_EQ(error.Number(), db::err::kUnreadableDatabase);
            return error.Description();
        }
        ADD_FAILURE() << "the engine opened " << path;
        return "";
    }
    // Whether the engine repairs files yet; until it does, a repair ends in a clear error box.
    bool RepairAvailable() {
        const std::string probe = MakeDatabase("repair-probe.mdb");
        try {
            session.engine.RepairDatabase(probe);
            return true;
        } catch (const db::EngineError& error) {
            return error.Number() != db::err::kNotSupported;
        }
    }
    // Points the documents directory at a directory of the test.
    std::string UseDocumentsDirectory() {
        const std::string documents = dir.File("Documents");
        std::filesystem::create_directory(documents);
        documentsEnv_.emplace("XDG_DOCUMENTS_DIR", documents);
        return documents;
    }

  private:
    std::optional<ScopedEnv> documentsEnv_;
};

TEST_F(OpenDbTest, OpeningByNameMakesTheDatabaseCurrent) {
    const std::string path = MakeDatabase("shop.mdb");
    FillOdbcParts();
    session.state.current.currentConnect = "left over";
    OpenDB(session, path, true);
    ExpectCurrent(path);
    EXPECT_EQ(session.state.current.currentConnect, "");
    EXPECT_EQ(session.state.odbc.dataSourceName, "");
    EXPECT_EQ(session.state.odbc.user, "user") << "only the data source name is emptied";
    EXPECT_EQ(ui.treeReloads, 1);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    ASSERT_FALSE(ui.statusTexts.empty());
    EXPECT_EQ(ui.StatusText(), "");
    EXPECT_TRUE(ui.PointerIsDefault());
    EXPECT_NE(std::find(ui.pointers.begin(), ui.pointers.end(), Pointer::Busy), ui.pointers.end());
    EXPECT_EQ(session.state.current.queryTimeout,
              session.state.current.currentDatabase->QueryTimeout());
}

TEST_F(OpenDbTest, OpeningAnotherDatabaseClosesTheFirst) {
    const std::string first = MakeDatabase("first.mdb");
    const std::string second = MakeDatabase("second.mdb");
    OpenDB(session, first, true);
    ui.viewVisible = true;
    ui.recordsetListVisible = true;
    OpenDB(session, second, true);
    ExpectCurrent(second);
    EXPECT_EQ(ui.treeClears, 1);
    EXPECT_FALSE(ui.viewVisible);
    EXPECT_FALSE(ui.recordsetListVisible);
    EXPECT_EQ(ui.treeReloads, 2);
}

TEST_F(OpenDbTest, OpeningLeavesTheFilesBytesAsTheyWere) {
    const std::string path = MakeDatabase("untouched.mdb");
    const std::string before = ReadBytes(path);
    ASSERT_FALSE(before.empty());
    OpenDB(session, path, true);
    ExpectCurrent(path);
    CloseDB(session);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(OpenDbTest, NamesWithBlanksAndNonAsciiCharactersOpen) {
    std::filesystem::create_directory(dir.File("Dätä base"));
    const std::string path = MakeDatabase("Dätä base/my shop ü €.mdb");
    OpenDB(session, path, true);
    ExpectCurrent(path);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(OpenDbTest, AMissingFileShowsTheStandardErrorBoxNamingIt) {
    const std::string path = dir.File("nowhere.mdb");
    FillOdbcParts();
    OpenDB(session, path, true);
    ExpectNothingCurrent();
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_EQ(ui.boxes[0].text.rfind("3024: ", 0), 0u) << Boxes();
    EXPECT_NE(ui.boxes[0].text.find(path), std::string::npos) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, db::kEngineSource);
    EXPECT_EQ(ui.treeClears, 1);
    EXPECT_FALSE(std::filesystem::exists(path)) << "opening never creates a file";
    EXPECT_EQ(session.state.current.currentDatabaseFileName, path);
    ExpectOdbcParts(session.state.odbc, {"", "", "", "", "", "", "description"});
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(OpenDbTest, AFailedOpenAfterAnOpenOneLeavesNothingHalfSet) {
    const std::string path = MakeDatabase("shop.mdb");
    OpenDB(session, path, true);
    ExpectCurrent(path);
    OpenDB(session, dir.File("missing.mdb"), true);
    ExpectNothingCurrent();
    // Everything that follows works on a consistent state.
    CloseDB(session);
    OpenDB(session, path, true);
    ExpectCurrent(path);
}

TEST_F(OpenDbTest, ADamagedFileOffersRepairAndNoLeavesNothingCurrent) {
    const std::string good = MakeDatabase("good.mdb");
    OpenDB(session, good, true);
    const std::string path = MakeDamagedFile("damaged.mdb");
    const std::string before = ReadBytes(path);
    FillOdbcParts();
    const int clearsBefore = ui.treeClears;
    ui.boxAnswers.push_back(msgbox::kNo);
    OpenDB(session, path, true);
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    const ShownBox& offer = ui.boxes[0];
    EXPECT_EQ(offer.style, 52);
    EXPECT_EQ(offer.caption, kAppTitle);
    EXPECT_EQ(offer.text, EngineRefusal(path) + "\n\nAttempt to Repair it?");
    EXPECT_NE(offer.text.find(path), std::string::npos) << "the description names the file";
    ExpectNothingCurrent();
    EXPECT_EQ(session.state.odbc.user, "");
    EXPECT_EQ(session.state.odbc.server, "");
    EXPECT_EQ(ui.treeClears, clearsBefore + 1) << "only the close of the good database";
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(OpenDbTest, ARepairThatCannotMendTheFileEndsTheOpen) {
    const std::string path = MakeDamagedFile("hopeless.mdb");
    ui.boxAnswers.push_back(msgbox::kYes);
    // Every further box would be answered Yes as well: the open must still end.
    OpenDB(session, path, true);
    ExpectNothingCurrent();
    ASSERT_GE(ui.boxes.size(), 2u) << Boxes();
    EXPECT_EQ(ui.boxes[0].style, 52);
    EXPECT_EQ(ui.boxes.back().style, 16) << Boxes();
    EXPECT_LE(ui.boxes.size(), 2u) << "the repair is offered once: " << Boxes();
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(OpenDbTest, ATruncatedFileIsRepairedAndOpened) {
    const bool repairAvailable = RepairAvailable();
    const std::string path = MakeDatabase("truncated.mdb");
    // Stray bytes after the last page: the engine refuses the file until it is repaired.
    WriteBytes(path, ReadBytes(path) + "stray bytes after the last page");
    ui.boxAnswers.push_back(msgbox::kYes);
    OpenDB(session, path, true);
    ASSERT_GE(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, 52) << Boxes();
    if (!repairAvailable) {
        // The repair's own failure is shown once and the open ends.
        ASSERT_EQ(ui.boxes.size(), 2u) << Boxes();
        EXPECT_EQ(ui.boxes[1].style, 16);
        ExpectNothingCurrent();
        return;
    }
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    ExpectCurrent(path);
    EXPECT_EQ(ui.StatusText(), "");
    EXPECT_NE(std::find(ui.statusTexts.begin(), ui.statusTexts.end(), "truncated.mdb repaired"),
              ui.statusTexts.end());
}

TEST_F(OpenDbTest, TheOpenDialogOfEachConnectionType) {
    const std::string documents = UseDocumentsDirectory();
    struct Case {
        const char* type;
        const char* filter;
        const char* title;
    };
    const Case cases[] = {
        {"Access", "Microsoft Access MDBs (*.mdb)|*.mdb", "Open Microsoft Access database"},
        {"Dbase III;", "Dbase DBs (*.dbf)|*.dbf", "Open Dbase database"},
        {"Dbase 5.0;", "Dbase DBs (*.dbf)|*.dbf", "Open Dbase database"},
        {"FoxPro 2.6;", "FoxPro DBs (*.dbf)|*.dbf", "Open FoxPro database"},
        {"Paradox 4.X;", "Paradox DBs (*.db)|*.db", "Open Paradox database"},
        {"Excel 8.0;HDR=YES;", "Excel Files (*.xls)|*.xls", "Open Excel file"},
        {"Btrieve;", "Btrieve DBs (FILE.DDF)|FILE.DDF", "Open Btrieve database"},
        {"Text;", "Text Files (*.txt)|*.txt", "Open Text database"},
    };
    for (const auto& c : cases) {
        session.state.current.connectionType = c.type;
        session.state.editor.commonDialog.fileName = "left over";
        OpenDB(session, "ignored", false);
        ASSERT_FALSE(ui.fileRequests.empty());
        const FileDialogRequest& request = ui.fileRequests.back();
        EXPECT_EQ(request.kind, FileDialogRequest::Kind::Open);
        EXPECT_EQ(request.title, c.title);
        EXPECT_EQ(request.filter, std::string(c.filter) + "|All Files (*.*)|*.*");
        EXPECT_EQ(request.filterIndex, 1);
        EXPECT_EQ(request.flags, 4100);
        EXPECT_EQ(request.fileName, "");
        EXPECT_EQ(request.initialDirectory, documents);
        EXPECT_EQ(session.state.current.connectionType, c.type);
    }
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(OpenDbTest, AnyOtherTypeShowsTheAccessDialogAndSwitchesToAccess) {
    for (const char* type : {"ODBC;", "access", "Dbase IV"}) {
        session.state.current.connectionType = type;
        OpenDB(session, "", false);
        EXPECT_EQ(ui.fileRequests.back().title, "Open Microsoft Access database");
        EXPECT_EQ(session.state.current.connectionType, "Access");
    }
}

TEST_F(OpenDbTest, CancellingTheDialogKeepsThePreviousDatabase) {
    const std::string path = MakeDatabase("kept.mdb");
    OpenDB(session, path, true);
    const auto statusCount = ui.statusTexts.size();
    const int clears = ui.treeClears;
    const int reloads = ui.treeReloads;
    OpenDB(session, "", false);  // the queue holds no answer: cancelled
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), path);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, "");
    EXPECT_EQ(ui.treeClears, clears);
    EXPECT_EQ(ui.treeReloads, reloads);
    EXPECT_EQ(ui.statusTexts.size(), statusCount);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(OpenDbTest, APickedFileOpensWithTheDialog) {
    const std::string path = MakeDatabase("picked.mdb");
    ui.fileAnswers.push_back(path);
    OpenDB(session, "ignored", false);
    ExpectCurrent(path);
}

TEST_F(OpenDbTest, APickedTableOfADirectoryTypeOpensItsDirectory) {
    std::filesystem::create_directory(dir.File("data"));
    const std::string table = dir.File("data/parts.dbf");
    WriteBytes(table, "");
    session.state.current.connectionType = "Dbase IV;";
    ui.fileAnswers.push_back(table);
    OpenDB(session, "", false);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, dir.File("data"));
    EXPECT_EQ(session.state.current.currentConnect, "Dbase IV;");
    EXPECT_EQ(session.state.current.databaseOpen,
              static_cast<bool>(session.state.current.currentDatabase));
}

TEST_F(OpenDbTest, APickedWorkbookIsOpenedItself) {
    const std::string workbook = dir.File("book.xls");
    WriteBytes(workbook, "");
    session.state.current.connectionType = "Excel 8.0;HDR=YES;";
    ui.fileAnswers.push_back(workbook);
    OpenDB(session, "", false);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, workbook);
    EXPECT_EQ(session.state.current.currentConnect, "Excel 8.0;HDR=YES;");
    EXPECT_EQ(session.state.current.databaseOpen,
              static_cast<bool>(session.state.current.currentDatabase));
}

TEST_F(OpenDbTest, TheDialogStartsAtHomeWithoutADocumentsDirectory) {
    TempDir home;
    ScopedEnv homeEnv("HOME", home.Path().string());
    ScopedEnv documentsEnv("XDG_DOCUMENTS_DIR", home.File("no such folder"));
    ScopedEnv configEnv("XDG_CONFIG_HOME", std::nullopt);
    OpenDB(session, "", false);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].initialDirectory, home.Path().string());
    EXPECT_TRUE(ui.boxes.empty()) << "a missing start directory is no error: " << Boxes();
}

TEST_F(OpenDbTest, TheDocumentsDirectoryComesFromUserDirs) {
    TempDir home;
    ScopedEnv homeEnv("HOME", home.Path().string());
    ScopedEnv documentsEnv("XDG_DOCUMENTS_DIR", std::nullopt);
    ScopedEnv configEnv("XDG_CONFIG_HOME", std::nullopt);
    std::filesystem::create_directories(home.File(".config"));
    std::filesystem::create_directories(home.File("Dokumente"));
    WriteBytes(home.File(".config/user-dirs.dirs"),
               "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
               "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(DocumentsDirectory(), home.File("Dokumente"));
    std::filesystem::remove(home.File("Dokumente"));
    EXPECT_EQ(DocumentsDirectory(), home.Path().string());
}

TEST_F(OpenDbTest, CloseDBTakesTheDatabaseAwayButKeepsItsName) {
    const std::string path = MakeDatabase("shop.mdb");
    OpenDB(session, path, true);
    ui.viewVisible = true;
    ui.viewCaption = "recordset1";
    ui.recordsetListVisible = true;
    CloseDB(session);
    ExpectNothingCurrent();
    EXPECT_EQ(ui.treeClears, 1);
    EXPECT_FALSE(ui.viewVisible);
    EXPECT_EQ(ui.viewCaption, "");
    EXPECT_FALSE(ui.recordsetListVisible);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, path);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(OpenDbTest, CloseDBWithNothingCurrentDoesNothing) {
    session.state.current.databaseOpen = true;  // a flag left claiming an open database
    CloseDB(session);
    ExpectNothingCurrent();
    EXPECT_EQ(ui.treeClears, 0);
    EXPECT_TRUE(ui.pointers.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OpenDbTest, RefreshDBReloadsTheTreeUnderTheBusyPointer) {
    RefreshDB(session);
    EXPECT_EQ(ui.treeReloads, 1);
    ASSERT_EQ(ui.pointers.size(), 2u);
    EXPECT_EQ(ui.pointers[0], Pointer::Busy);
    EXPECT_EQ(ui.pointers[1], Pointer::Default);
}

TEST_F(OpenDbTest, RepairDBOfAGoodFileReportsItInTheStatusPanel) {
    const bool repairAvailable = RepairAvailable();
    const std::string path = MakeDatabase("fine.mdb");
    RepairDB(session, path, true);
    if (repairAvailable) {
        EXPECT_TRUE(ui.boxes.empty()) << Boxes();
        EXPECT_EQ(ui.StatusText(), "fine.mdb repaired");
    } else {
        ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
        EXPECT_EQ(ui.boxes[0].style, 16);
        EXPECT_EQ(ui.boxes[0].text.rfind("3251: ", 0), 0u) << Boxes();
        EXPECT_EQ(ui.StatusText(), "");
    }
    EXPECT_EQ(session.state.current.currentDatabaseFileName, path);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(OpenDbTest, CancellingTheRepairDialogShowsNothing) {
    const std::string documents = UseDocumentsDirectory();
    session.state.current.currentDatabaseFileName = "/some/file.mdb";
    RepairDB(session, "start.mdb", false);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const FileDialogRequest& request = ui.fileRequests[0];
    EXPECT_EQ(request.title, "Select Microsoft Access file to repair");
    EXPECT_EQ(request.filter, "Microsoft Access files (*.mdb)|*.mdb");
    EXPECT_EQ(request.flags, 4);
    EXPECT_EQ(request.fileName, "start.mdb");
    EXPECT_EQ(request.initialDirectory, documents);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, "");
    EXPECT_EQ(ui.StatusText(), "");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST(PathParts, SplitAtTheLastSlash) {
    EXPECT_EQ(PathPart("/data/shop.mdb"), "/data");
    EXPECT_EQ(FilePart("/data/shop.mdb"), "shop.mdb");
    EXPECT_EQ(PathPart("shop.mdb"), "");
    EXPECT_EQ(FilePart("shop.mdb"), "shop.mdb");
    EXPECT_EQ(PathPart("/data/dbf/"), "/data/dbf");
    EXPECT_EQ(FilePart("/data/dbf/"), "");
    EXPECT_EQ(PathPart("/shop.mdb"), "");
    EXPECT_EQ(FilePart("C:\\data\\shop.mdb"), "C:\\data\\shop.mdb");
}

TEST(PathParts, NonNegativeKeepsSizesFromGoingBelowZero) {
    EXPECT_EQ(NonNegative(5), 5);
    EXPECT_EQ(NonNegative(1), 1);
    EXPECT_EQ(NonNegative(0), 0);
    EXPECT_EQ(NonNegative(-3), 0);
}

}  // namespace
}  // namespace tessel::test::opening

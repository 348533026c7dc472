// What the browse pane tests share: a person's interface that records the boxes it was shown
// and hands pane notifications to the panes, and a session over a temporary directory with a
// real database made through the engine.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "core/session/session.h"
#include "support/temp_dir.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tessel::app {
class RecordsetListPane;
class RecordsetViewPane;
}  // namespace tessel::app

namespace tessel::test::browse {

struct Box {
    std::string text;
    int style = 0;
    std::string caption;
};

class RecordingUi : public Ui {
  public:
    int MessageBox(const std::string& text, int style, const std::string& caption) override;
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void SetPointer(Pointer) override {}
    std::optional<std::string> ChooseFile(const FileDialogRequest&) override { return {}; }
    std::string AskPassword() override { return ""; }
    std::optional<OdbcRegistrationForm> AskOdbcRegistration(const OdbcRegistrationForm&) override {
        return {};
    }
    void ReloadTree() override { ++treeReloads; }
    void ClearTree() override { ++treeClears; }
    void AddRecordsetRow(int count, const std::string& statement) override;
    void HideRecordsetList() override;
    void BindRecordsetView(const std::string& caption, const std::string& recordsetFile) override;
    void HideRecordsetView() override;
    std::string EditorText() override { return editorText; }
    void SetEditorText(const std::string& text) override { editorText = text; }

    // Panes that receive the notifications, when set.
    app::RecordsetListPane* list = nullptr;
    app::RecordsetViewPane* view = nullptr;

    std::vector<Box> boxes;
    std::vector<std::string> statusTexts;
    int treeReloads = 0;
    int treeClears = 0;
    std::string editorText;

    std::string BoxLog() const;
};

class BrowseTest : public ::testing::Test {
  protected:
    BrowseTest();
    ~BrowseTest() override;

    // Creates an empty database file through the engine, opens it as the current database and
    // opens the statement connection that DDL runs through.
    void CreateCurrentDatabase(const std::string& name = "shop.mdb");
    // Runs statements through the statement connection of the current database.
    void Run(const std::vector<std::string>& statements);
    // Opens the current database again, so that it reads the structure the statements made.
    void ReopenDatabase();
    // Writes the rows of a statement to recordset file `number` of the application directory.
    std::string Capture(long number, const std::string& statement);

    RecordingUi ui;
    Session session{ui};
    TempDir dir;
    std::string databasePath;
};

// Texts of the children of a node (or of the root when `node` is null).
std::vector<std::string> ChildTexts(const QTreeWidgetItem* node, const QTreeWidget* tree);
std::vector<std::string> ChildKeys(const QTreeWidgetItem* node, const QTreeWidget* tree);
std::string Std(const QString& text);

}  // namespace tessel::test::browse

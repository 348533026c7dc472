#include "browse_support.h"

#include <QTreeWidget>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_view_pane.h"
#include "core/script/recordset_file.h"
#include "core/session/connection_types.h"

namespace tessel::test::browse {

int RecordingUi::MessageBox(const std::string& text, int style, const std::string& caption) {
    boxes.push_back({text, style, caption});
    return (style & msgbox::kButtonMask) == msgbox::kYesNo ? msgbox::kYes : msgbox::kOk;
}

void RecordingUi::AddRecordsetRow(int count, const std::string& statement) {
    if (list != nullptr)
        list->AddRow(count, QString::fromStdString(statement));
}

void RecordingUi::HideRecordsetList() {
    if (list != nullptr)
        list->HideGrid();
}

void RecordingUi::BindRecordsetView(const std::string& caption, const std::string& recordsetFile) {
    if (view != nullptr) {
        view->Bind(QString::fromStdString(caption), QString::fromStdString(recordsetFile));
    }
}

void RecordingUi::HideRecordsetView() {
    if (view != nullptr)
        view->HideGrid();
}

std::string RecordingUi::BoxLog() const {
    std::string log;
    for (const Box& box : boxes) {
        log += "[" + box.caption + " " + std::to_string(box.style) + "] " + box.text + "\n";
    }
    return log;
}

BrowseTest::BrowseTest() {
    session.state.app.appPath = dir.Path().string();
    session.state.engineObjects.jetWorkspace =
        session.engine.CreateWorkspace("tessel", "admin", "");
}

BrowseTest::~BrowseTest() {
    session.state.engineObjects.adoConnection.reset();
    if (session.state.current.currentDatabase)
        session.state.current.currentDatabase->Close();
}

void BrowseTest::CreateCurrentDatabase(const std::string& name) {
    databasePath = dir.File(name);
    session.engine.CreateDatabase(databasePath, ";LANGID=0x0409;CP=1252;COUNTRY=0",
                                  db::dbformat::kVersion30);
    session.state.current.currentDatabaseFileName = databasePath;
    ReopenDatabase();
}

void BrowseTest::ReopenDatabase() {
    session.state.engineObjects.adoConnection.reset();
    if (session.state.current.currentDatabase)
        session.state.current.currentDatabase->Close();
    session.state.current.currentDatabase =
        session.engine.OpenDatabase(databasePath, false, false, "");
    session.state.current.databaseOpen = true;
    session.state.engineObjects.adoConnection =
        session.engine.OpenConnection(StatementConnectionText(session.state, ""));
}

void BrowseTest::Run(const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) {
        session.state.engineObjects.adoConnection->Execute(statement);
    }
}

std::string BrowseTest::Capture(long number, const std::string& statement) {
    const std::string path = RecordsetFilePath(session.state.app.appPath, number);
    std::unique_ptr<db::Cursor> cursor =
        session.state.engineObjects.adoConnection->Execute(statement);
    WriteRecordsetFile(path, statement, *cursor);
    return path;
}

std::vector<std::string> ChildTexts(const QTreeWidgetItem* node, const QTreeWidget* tree) {
    std::vector<std::string> texts;
    const int count = node ? node->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* child = node ? node->child(i) : tree->topLevelItem(i);
        texts.push_back(child->text(0).toStdString());
    }
    return texts;
}

std::vector<std::string> ChildKeys(const QTreeWidgetItem* node, const QTreeWidget* tree) {
    std::vector<std::string> keys;
    const int count = node ? node->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* child = node ? node->child(i) : tree->topLevelItem(i);
        keys.push_back(child->data(0, app::DatabaseTreePane::kKeyRole).toString().toStdString());
    }
    return keys;
}

std::string Std(const QString& text) {
    return text.toStdString();
}

}  // namespace tessel::test::browse

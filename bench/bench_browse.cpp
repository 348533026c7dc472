// Benchmark of the browse panes.
//
// 1. A database of 5,000 tables: the time of DatabaseTreePane::LoadDatabase (should stay under
//    0.5 s), beside the time the engine alone takes to list the tables.
// 2. A recordset file of 1,000,000 rows x 5 columns: the time until the view grid has painted
//    its first screen of rows, the time to scroll to the end and paint the last screen (each
//    should stay under 0.3 s), and the peak memory of the process while it does so (should
//    stay under 150 MB), beside the sqlite3 shell reading the same last rows.
//
// Usage: bench_browse [WORK_DIRECTORY]   (default: a new directory under /tmp)
// Runs with any Qt platform; QT_QPA_PLATFORM=offscreen needs no display.
#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_table_model.h"
#include "app/browse/recordset_view_pane.h"
#include "core/script/recordset_file.h"
#include "core/session/session.h"
#include "silent_ui.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTables = 5000;
constexpr int kRows = 1000000;
constexpr int kRuns = 5;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A field of /proc/self/status in kB ("VmHWM", "VmRSS").
long StatusKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// Starts the peak-memory count afresh, so that making the data does not count.
void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::string ConnectionText(const std::string& path) {
    return "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + path + ";";
}

void MakeTables(tessel::Session& session, const std::string& path) {
    session.engine.CreateDatabase(path, "", tessel::db::dbformat::kVersion30);
    auto connection = session.engine.OpenConnection(ConnectionText(path));
    connection->Execute("BEGIN");
    for (int t = 0; t < kTables; ++t) {
        connection->Execute("CREATE TABLE Table" + std::to_string(t) +
                            " (ID LONG, Name TEXT (50), Amount DOUBLE)");
    }
    connection->Execute("COMMIT");
}

void MakeRecordset(tessel::Session& session, const std::string& databasePath,
                   const std::string& recordsetPath) {
    session.engine.CreateDatabase(databasePath, "", tessel::db::dbformat::kVersion30);
    auto connection = session.engine.OpenConnection(ConnectionText(databasePath));
    connection->Execute(
        "CREATE TABLE Big (ID LONG, Name TEXT (50), Amount DOUBLE, Sold DATETIME, Note MEMO)");
    connection->Execute(
        "INSERT INTO Big WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
        "< " +
        std::to_string(kRows) +
        ") SELECT i, 'Customer ' || i, i * 1.25, date('2000-01-01', '+' || (i % 9000) || ' days'),"
        " CASE WHEN i % 7 = 0 THEN NULL ELSE 'note ' || i END FROM n");
    const std::string statement = "SELECT * FROM Big";
    auto cursor = connection->Execute(statement);
    tessel::WriteRecordsetFile(recordsetPath, statement, *cursor);
}

void BenchTree(tessel::Session& session, const std::string& work) {
    const std::string path = work + "/tables.mdb";
    std::cout << "Making a database of " << kTables << " tables ..." << std::endl;
    MakeTables(session, path);
    session.state.current.currentDatabase = session.engine.OpenDatabase(path, false, false, "");
    session.state.current.databaseOpen = true;

    std::vector<double> engineTimes;
    std::vector<double> loadTimes;
    tessel::app::DatabaseTreePane pane(session);
    pane.resize(300, 600);
    pane.show();
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        const auto tables = session.state.current.currentDatabase->TableDefs();
        const auto queries = session.state.current.currentDatabase->QueryDefs();
        engineTimes.push_back(SecondsSince(start));
        start = Clock::now();
        pane.LoadDatabase();
        QApplication::processEvents();  // the first paint of the rebuilt tree
        loadTimes.push_back(SecondsSince(start));
    }
    const int roots = pane.Tree()->topLevelItemCount();
    session.state.current.currentDatabase.reset();
    const double load = Median(loadTimes);
    const double engine = Median(engineTimes);
    std::cout << "LoadDatabase, " << kTables << " tables (" << roots
              << " root nodes): " << load * 1000 << " ms (median of " << kRuns
              << "; goal < 500 ms)\n"
              << "  engine alone listing tables and queries: " << engine * 1000
              << " ms; tree / engine = " << load / engine << "\n";
}

void BenchView(tessel::Session& session, const std::string& work) {
    const std::string recordset = work + "/recordset1.rst";
    std::cout << "Making a recordset file of " << kRows << " rows x 5 columns ..." << std::endl;
    MakeRecordset(session, work + "/big.mdb", recordset);
    std::cout << "  file size: " << std::filesystem::file_size(recordset) / (1024 * 1024)
              << " MB\n";

    ResetPeakMemory();
    const long rssBefore = StatusKilobytes("VmRSS");
    tessel::app::RecordsetViewPane view(session);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();

    auto start = Clock::now();
    view.Bind("recordset1", QString::fromStdString(recordset));
    view.Grid()->viewport()->repaint();
    const double firstScreen = SecondsSince(start);

    start = Clock::now();
    view.Grid()->scrollToBottom();
    view.Grid()->viewport()->repaint();
    const double toEnd = SecondsSince(start);
    const QModelIndex last = view.Grid()->indexAt(QPoint(1, view.Grid()->viewport()->height() - 2));

    start = Clock::now();
    for (int step = 0; step < 20; ++step) {
        QScrollBar* bar = view.Grid()->verticalScrollBar();
        bar->setValue(bar->maximum() / 20 * step);
        view.Grid()->viewport()->repaint();
    }
    const double jumps = SecondsSince(start) / 20;
    const long peak = StatusKilobytes("VmHWM");

    std::cout
        << "View of " << view.Grid()->model()->rowCount() << " rows: first screen "
        << firstScreen * 1000 << " ms, scroll to the end " << toEnd * 1000
        << " ms (goals < 300 ms each); last row shown: " << last.row() + 1 << "\n"
        << "  a jump anywhere with a repaint: " << jumps * 1000 << " ms on average\n"
        << "  memory: " << rssBefore / 1024 << " MB before the view, peak " << peak / 1024
        << " MB while viewing (goal < 150 MB), pages held: "
        << static_cast<tessel::app::RecordsetTableModel*>(view.Grid()->model())->CachedPageCount()
        << "\n";

    // The reference: the sqlite3 shell reading the last screen of the same file.
    if (std::system("command -v sqlite3 >/dev/null 2>&1") == 0) {
        const std::string command = "sqlite3 " + recordset +
                                    " 'SELECT * FROM recordset ORDER BY rowid DESC LIMIT 40'"
                                    " >/dev/null";
        start = Clock::now();
        const int status = std::system(command.c_str());
        const double shell = SecondsSince(start);
        if (status == 0) {
            std::cout << "  sqlite3 shell, last 40 rows of the file (process start included): "
                      << shell * 1000 << " ms; view scroll / shell = " << toEnd / shell << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string work =
        argc > 1 ? argv[1]
                 : (std::filesystem::temp_directory_path() /
                    ("bench_browse_" + std::to_string(QCoreApplication::applicationPid())))
                       .string();
    std::filesystem::create_directories(work);
    tessel::bench::SilentUi ui;
    tessel::Session session(ui);
    session.state.app.appPath = work;
    session.state.engineObjects.jetWorkspace = session.engine.CreateWorkspace("bench", "admin", "");
    try {
        BenchView(session, work);
        BenchTree(session, work);
    } catch (const std::exception& failure) {
        std::cerr << "bench_browse failed: " << failure.what() << '\n';
        return 1;
    }
    if (argc <= 1)
        std::filesystem::remove_all(work);
    return ui.boxes == 0 ? 0 : 1;
}

// Benchmark of a script run through the real main window: what each statement costs the panes.
//
// Every case runs in a child process of its own, so that its peak memory (getrusage) is its own:
//   select N  - N one-row SELECTs: each captures a recordset and adds a row to the list
//   insert N  - N INSERTs into one table
//   ddl N     - N tables made by CREATE TABLE with 3 CREATE INDEX each (4N statements)
//   wide N    - 2,000 INSERTs and 200 SELECTs against a database that already holds N tables
// in two ways: "menu" runs Script > Execute as the menu does; "live" lets the window handle its
// events after every statement, as a window kept painted during a run does.
//
// Usage: bench_gui_run [WORK_DIRECTORY]         all cases, 10k and 100k statements
//        bench_gui_run --small [WORK_DIRECTORY] 1k and 10k statements, for a quick look
// The child form is: bench_gui_run --case KIND N MODE WORK_DIRECTORY
// Runs with any Qt platform; QT_QPA_PLATFORM=offscreen needs no display.
#include <QApplication>
#include <QTableView>
#include <QTreeWidget>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/main_window.h"
#include "app/widget_ui.h"
#include "core/script/script_runner.h"
#include "core/session/session.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string Line(const std::string& statement) {
    return statement + ";\r\n";
}

// A database made by a script of its own before the timed run.
std::string SetUpScript(const std::string& kind, int count) {
    std::string script = Line("dbmake bench");
    script += Line("CREATE TABLE Numbers (N LONG, Word TEXT(20))");
    script += Line("INSERT INTO Numbers VALUES (1, 'one')");
    if (kind == "wide") {
        script += Line("BEGIN");
        for (int t = 0; t < count; ++t) {
            script += Line("CREATE TABLE Wide" + std::to_string(t) + " (ID LONG, Name TEXT(50))");
        }
        script += Line("COMMIT");
    }
    return script;
}

std::string TimedScript(const std::string& kind, int count) {
    std::string script;
    if (kind == "select") {
        for (int i = 0; i < count; ++i)
            script += Line("SELECT N FROM Numbers WHERE N = " + std::to_string(i % 3));
    } else if (kind == "insert") {
        for (int i = 0; i < count; ++i)
            script += Line("INSERT INTO Numbers VALUES (" + std::to_string(i) + ", 'w')");
    } else if (kind == "ddl") {
        for (int t = 0; t < count; ++t) {
            const std::string table = "T" + std::to_string(t);
            script += Line("CREATE TABLE " + table + " (A LONG, B TEXT(20), C DOUBLE, D LONG)");
            for (const char* column : {"A", "B", "C"}) {
                script += Line("CREATE INDEX " + table + "_" + column + " ON " + table + " (" +
                               column + ")");
            }
        }
    } else {  // wide
        for (int i = 0; i < 2000; ++i) {
            script += Line("INSERT INTO Numbers VALUES (" + std::to_string(i) + ", 'w')");
            if (i % 10 == 0)
                script += Line("SELECT N FROM Numbers WHERE N = 1");
        }
    }
    return script;
}

int RunCase(int argc, char** argv) {
    const std::string kind = argv[2];
    const int count = std::atoi(argv[3]);
    const bool live = std::string(argv[4]) == "live";
    const std::string work = argv[5];
    QApplication app(argc, argv);
    setenv("TESSEL_HOME", work.c_str(), 1);
    std::filesystem::current_path(work);
    tessel::app::MainWindow window(tessel::app::MainWindowOptions{false});
    window.Load(work);
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();
    tessel::Session& session = window.GetSession();
    tessel::app::WidgetUi& ui = window.GetUi();

    ui.SetEditorText(SetUpScript(kind, count));
    window.RunMenuCommand("mnuScriptExecute");
    QApplication::processEvents();
    // The tree shows a table expanded down to its fields, as a person browsing would leave it.
    tessel::app::DatabaseTreePane& tree = window.TreePane();
    if (QTreeWidgetItem* fields = tree.FindNode("Numbers>Fields")) {
        tree.ClickNode(fields->parent());
        fields->parent()->setExpanded(true);
        tree.ClickNode(fields);
    }

    const std::string script = TimedScript(kind, count);
    ui.SetEditorText(script);
    const auto start = Clock::now();
    if (live) {
        session.state.recordsets.recordsetCount = 0;
        ui.HideRecordsetView();
        tessel::RunScript(session, script, [] {
            QApplication::processEvents();
            return true;
        });
    } else {
        window.RunMenuCommand("mnuScriptExecute");
    }
    QApplication::processEvents();
    const double seconds = SecondsSince(start);

    const int listRows = window.ListPane().Grid()->model()->rowCount() - 1;
    const int roots = tree.Tree()->topLevelItemCount();
    std::printf("%s %d %s: %.3f s, peak %ld MB, script %zu kB, list rows %d, tree roots %d\n",
                kind.c_str(), count, live ? "live" : "menu", seconds, PeakKilobytes() / 1024,
                script.size() / 1024, listRows, roots);
    std::printf("RESULT %.6f %ld\n", seconds, PeakKilobytes());
    std::fflush(stdout);
    window.ShutDown();
    return 0;
}

struct Result {
    double seconds = -1;
    long peakKb = -1;
};

Result RunChild(const std::string& self, const std::string& kind, int count, const char* mode,
                const std::filesystem::path& base) {
    const std::filesystem::path work = base / (kind + "_" + std::to_string(count) + "_" + mode);
    std::filesystem::create_directories(work);
    const std::string command =
        self + " --case " + kind + " " + std::to_string(count) + " " + mode + " " + work.string();
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        if (std::sscanf(line, "RESULT %lf %ld", &result.seconds, &result.peakKb) != 2)
            std::cout << "  " << line << std::flush;
    }
    pclose(pipe);
    std::filesystem::remove_all(work);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 6 && std::string(argv[1]) == "--case")
        return RunCase(argc, argv);
    int first = 1;
    int small = 10000;
    int large = 100000;
    if (argc > 1 && std::string(argv[1]) == "--small") {
        small = 1000;
        large = 10000;
        first = 2;
    }
    const std::filesystem::path base = argc > first
                                           ? std::filesystem::path(argv[first])
                                           : std::filesystem::temp_directory_path() /
                                                 ("bench_gui_run_" + std::to_string(getpid()));
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    for (const char* mode : {"menu", "live"}) {
        for (const std::string kind : {"insert", "select"}) {
            const Result a = RunChild(self, kind, small, mode, base);
            const Result b = RunChild(self, kind, large, mode, base);
            std::cout << kind << " " << mode << ": " << large << "/" << small
                      << " time ratio = " << b.seconds / a.seconds << " (goal <= 11), peak memory "
                      << a.peakKb / 1024 << " -> " << b.peakKb / 1024 << " MB\n";
        }
        RunChild(self, "ddl", 1000, mode, base);
        RunChild(self, "wide", 1000, mode, base);
    }
    if (argc <= first)
        std::filesystem::remove_all(base);
    return 0;
}

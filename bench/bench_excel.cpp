// Reading a large classic workbook through the engine, against python3-xlrd reading the same
// file in the same run.
//
//   bench_excel [--rows N] [--dir DIR]
//
// Writes a workbook of N rows (100,000) with python3-xlwt into DIR (a temporary directory by
// default, removed afterwards): four columns (a whole number, a text, a fraction and a date).
// A sheet of the classic format holds at most 65,536 rows, so the rows fill as many sheets as
// they need, each with its header row. Then reads every row of every sheet through a statement
// connection (SELECT * over each sheet, every value fetched), and the same file with xlrd
// (open_workbook and row_values of every row, timed inside python so that its start-up does not
// count). Prints both times and the ratio (target: at most 1.5).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "core/db/engine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRowsPerSheet = 65535;  // and the header row

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string Run(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    if (::pclose(pipe) != 0) {
        std::cerr << "failed: " << command << "\n" << text;
        std::exit(1);
    }
    return text;
}

std::string WriteScript(const fs::path& file, int rows) {
    return "import datetime, xlwt\n"
           "book = xlwt.Workbook()\n"
           "dates = xlwt.easyxf(num_format_str='yyyy-mm-dd')\n"
           "rows, per = " +
           std::to_string(rows) + ", " + std::to_string(kRowsPerSheet) +
           "\n"
           "day = datetime.date(2000, 1, 1)\n"
           "for s in range((rows + per - 1) // per):\n"
           "    sheet = book.add_sheet('Rows%d' % (s + 1))\n"
           "    for c, name in enumerate(('Id', 'Name', 'Price', 'Day')):\n"
           "        sheet.write(0, c, name)\n"
           "    for r in range(min(per, rows - s * per)):\n"
           "        i = s * per + r\n"
           "        sheet.write(r + 1, 0, i)\n"
           "        sheet.write(r + 1, 1, 'customer %d' % i)\n"
           "        sheet.write(r + 1, 2, i * 0.25)\n"
           "        sheet.write(r + 1, 3, day + datetime.timedelta(days=i % 3000), dates)\n"
           "book.save('" +
           file.string() + "')\n";
}

}  // namespace

int main(int argc, char** argv) {
    int rows = 100000;
    fs::path dir;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--rows")
            rows = std::atoi(argv[i + 1]);
        else if (option == "--dir")
            dir = argv[i + 1];
    }
    const bool temporary = dir.empty();
    if (temporary)
        dir = fs::temp_directory_path() / ("bench_excel_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "rows.xls";
    const fs::path script = dir / "write.py";
    std::ofstream(script) << WriteScript(file, rows);
    Run("/usr/bin/python3 " + script.string());
    const int sheets = (rows + kRowsPerSheet - 1) / kRowsPerSheet;
    std::cout << "workbook: " << rows << " rows in " << sheets << " sheet(s), "
              << fs::file_size(file) << " bytes\n";

    tessel::db::Engine engine;
    const auto started = Clock::now();
    const std::clock_t startedCpu = std::clock();
    long values = 0;
    auto connection = engine.OpenConnection(
        "Provider=MSDASQL.1;Extended Properties=DSN=Excel Files;DBQ=" + file.string() + ";");
    for (int s = 1; s <= sheets; ++s) {
        auto cursor = connection->Execute("SELECT * FROM [Rows" + std::to_string(s) + "$]");
        const std::size_t columns = cursor->Columns().size();
        while (cursor->Next()) {
            for (std::size_t c = 0; c < columns; ++c)
                values += cursor->Get(c).kind != tessel::db::ValueView::Kind::Null;
        }
    }
    const double ours = Seconds(started);
    const double oursCpu = static_cast<double>(std::clock() - startedCpu) / CLOCKS_PER_SEC;

    const std::string timing =
        Run("/usr/bin/python3 -c \"import sys, time, xlrd\n"
            "t, c = time.perf_counter(), time.process_time()\n"
            "book = xlrd.open_workbook(sys.argv[1])\n"
            "n = 0\n"
            "for sheet in book.sheets():\n"
            "    for r in range(1, sheet.nrows):\n"
            "        n += len(sheet.row_values(r))\n"
            "print(time.perf_counter() - t, time.process_time() - c, n)\" " +
            file.string());
    char* rest = nullptr;
    const double theirs = std::strtod(timing.c_str(), &rest);
    const double theirsCpu = std::strtod(rest, &rest);
    const long theirValues = std::strtol(rest, nullptr, 10);

    // Wall time is what a person waits; processor time shows the cost when other programs
    // share the machine.
    std::printf("program: %.3f s, %.3f s of processor time (%ld values)\n", ours, oursCpu, values);
    std::printf("xlrd:    %.3f s, %.3f s of processor time (%ld values)\n", theirs, theirsCpu,
                theirValues);
    std::printf("ratio:   %.2f, %.2f in processor time (target <= 1.5)\n",
                theirs > 0 ? ours / theirs : 0.0, theirsCpu > 0 ? oursCpu / theirsCpu : 0.0);
    if (temporary)
        fs::remove_all(dir);
    return 0;
}

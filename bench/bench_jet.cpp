// Reading a genuine Access table: this program's reader against libmdb's own row loop, the one
// mdb-export runs (bind every column, fetch every row), measured in the same run.
//
//   bench_jet [--file PATH] [--table NAME] [--repeat N]
//
// Each round opens the file, reads the table's definition and every value of every row: our
// reader (the values the engine sees), the whole engine path (SELECT * through a statement
// connection), and libmdb's loop. The engine and our reader remember a file's table
// definitions between rounds, as between the statements of a script; libmdb reads them each
// time, as each mdb-export process does. The test files are small, so each side runs N rounds
// (2,000). Prints rows per second of each and the ratio of our reader's rate to libmdb's (target:
// at least 0.7), and, for scale, what one mdb-export process takes for the same table.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/db/drivers/jet/jet_file.h"
#include "core/db/drivers/jet/jet_table.h"
#include "core/db/drivers/jet/mdb.h"
#include "core/db/engine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace tessel::db;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long ReadWithOurReader(const std::string& file, const std::string& table) {
    const auto jet = jet::JetFile::Open(file);
    jet::JetTable reader(jet, table);
    Row row;
    long rows = 0;
    while (reader.Next(row))
        ++rows;
    return rows;
}

long ReadThroughTheEngine(Engine& engine, const std::string& file, const std::string& table) {
    const auto connection = engine.OpenConnection(
        "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + file + ";");
    const auto cursor = connection->Execute("SELECT * FROM [" + table + "]");
    const std::size_t columns = cursor->Columns().size();
    long rows = 0;
    std::size_t bytes = 0;
    while (cursor->Next()) {
        for (std::size_t i = 0; i < columns; ++i)
            bytes += cursor->Get(i).bytes.size();
        ++rows;
    }
    // Reading the values must not be optimised away.
    return bytes == static_cast<std::size_t>(-1) ? 0 : rows;
}

// What mdb-export does for each row, without the formatting of its output.
long ReadWithLibmdb(const std::string& file, const std::string& table) {
    MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    if (mdb == nullptr)
        throw std::runtime_error("libmdb cannot open " + file);
    long rows = 0;
    if (mdb_read_catalog(mdb, MDB_TABLE) != nullptr) {
        std::string name = table;
        if (MdbTableDef* def = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE)) {
            mdb_read_columns(def);
            mdb_rewind_table(def);
            std::vector<std::vector<char>> values(def->num_cols, std::vector<char>(MDB_BIND_SIZE));
            std::vector<int> lengths(def->num_cols);
            for (unsigned i = 0; i < def->num_cols; ++i)
                mdb_bind_column(def, static_cast<int>(i + 1), values[i].data(), &lengths[i]);
            while (mdb_fetch_row(def))
                ++rows;
            mdb_free_tabledef(def);
        }
    }
    mdb_close(mdb);
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    std::string file = std::string(TESSEL_SOURCE_DIR) +
                       "/tests/data/jackcess/src/test/data/V2010/testEmoticonsV2010.accdb";
    std::string table = "data";
    int repeat = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--file")
            file = argv[i + 1];
        if (option == "--table")
            table = argv[i + 1];
        if (option == "--repeat")
            repeat = std::atoi(argv[i + 1]);
    }
    try {
        Engine engine;
        long rows = 0;
        auto start = Clock::now();
        for (int i = 0; i < repeat; ++i)
            rows = ReadWithOurReader(file, table);
        const double ours = Seconds(start);
        start = Clock::now();
        for (int i = 0; i < repeat; ++i)
            ReadThroughTheEngine(engine, file, table);
        const double engineSeconds = Seconds(start);
        start = Clock::now();
        long theirRows = 0;
        for (int i = 0; i < repeat; ++i)
            theirRows = ReadWithLibmdb(file, table);
        const double theirs = Seconds(start);
        if (rows != theirRows) {
            std::cerr << "the readers disagree: " << rows << " rows against " << theirRows << "\n";
            return 1;
        }
        const int processes = std::max(1, repeat / 20);
        const std::string command = "mdb-export '" + file + "' '" + table + "' > /dev/null 2>&1";
        start = Clock::now();
        for (int i = 0; i < processes; ++i) {
            if (std::system(command.c_str()) != 0) {
                std::cerr << "mdb-export failed: " << command << "\n";
                return 1;
            }
        }
        const double exportSeconds = Seconds(start) / processes;

        const double total = static_cast<double>(rows) * repeat;
        std::printf("%s, table %s: %ld rows, %d rounds\n", file.c_str(), table.c_str(), rows,
                    repeat);
        std::printf(
            "our reader: %.0f rows/s   engine SELECT *: %.0f rows/s   libmdb loop: %.0f "
            "rows/s\n",
            total / ours, total / engineSeconds, total / theirs);
        std::printf("rate of our reader / libmdb: %.2f (target >= 0.7); engine / libmdb: %.2f\n",
                    theirs / ours, theirs / engineSeconds);
        std::printf("one mdb-export process: %.2f ms; one engine round: %.2f ms\n",
                    exportSeconds * 1e3, engineSeconds / repeat * 1e3);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}

// The Paradox table reader against pxlib's own record loop on the same table in the same run.
//
//   bench_paradox [--table PATH] [--repeat N]
//
// Reads every row of the table (default: the largest test table, ZIPCODES.DB with 43,185
// records) N times (20) with the program's reader, decoding every field, and N times with
// pxlib: PX_get_record over all records and PX_get_data_alpha/_double/_long/_short for every
// field. Prints both rates in rows per second and their ratio (target: at least 0.7 times the
// rate of pxlib). pxlib reads only tables it does not crash on; the table must be one of them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/db/drivers/paradox/px_table.h"

// pxlib's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Rows read by the program's reader; `checksum` keeps the work from being optimised away.
long ReadOurs(const std::string& path, std::size_t& checksum) {
    auto table = std::make_shared<tessel::db::paradox::PxTable>(path);
    tessel::db::paradox::PxTable::Cursor cursor(table);
    const std::size_t columns = table->Header().fields.size();
    long rows = 0;
    while (cursor.Next()) {
        for (std::size_t i = 0; i < columns; ++i)
            checksum += cursor.Get(i).index();
        ++rows;
    }
    return rows;
}

long ReadPxlib(const std::string& path, std::size_t& checksum) {
    pxdoc_t* doc = PX_new();
    if (doc == nullptr || PX_open_file(doc, path.c_str()) < 0) {
        std::fprintf(stderr, "pxlib cannot open %s\n", path.c_str());
        std::exit(1);
    }
    const int records = PX_get_num_records(doc);
    const int fields = PX_get_num_fields(doc);
    pxfield_t* field = PX_get_fields(doc);
    std::vector<char> data(static_cast<std::size_t>(PX_get_recordsize(doc)));
    long rows = 0;
    for (int r = 0; r < records; ++r) {
        if (PX_get_record(doc, r, data.data()) == nullptr)
            continue;
        int offset = 0;
        for (int f = 0; f < fields; ++f) {
            char* at = data.data() + offset;
            switch (field[f].px_ftype) {
                case pxfAlpha: {
                    char* text = nullptr;
                    if (PX_get_data_alpha(doc, at, field[f].px_flen, &text) > 0 && text) {
                        checksum += std::strlen(text);
                        doc->free(doc, text);
                    }
                    break;
                }
                case pxfNumber:
                case pxfCurrency:
                case pxfTimestamp: {
                    double value = 0;
                    checksum += PX_get_data_double(doc, at, field[f].px_flen, &value);
                    break;
                }
                case pxfShort: {
                    short value = 0;
                    checksum += PX_get_data_short(doc, at, field[f].px_flen, &value);
                    break;
                }
                default: {
                    long value = 0;
                    if (field[f].px_flen == 4)
                        checksum += PX_get_data_long(doc, at, field[f].px_flen, &value);
                    break;
                }
            }
            offset += field[f].px_flen;
        }
        ++rows;
    }
    PX_close(doc);
    PX_delete(doc);
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = std::string(TESSEL_BENCH_PARADOX_TABLE);
    int repeat = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--table")
            path = argv[i + 1];
        else if (option == "--repeat")
            repeat = std::atoi(argv[i + 1]);
    }
    if (repeat < 1)
        repeat = 1;
    PX_boot();
    std::size_t checksum = 0;
    long ourRows = 0;
    long theirRows = 0;
    // One untimed round of each, so that both read the file from the page cache.
    ReadOurs(path, checksum);
    ReadPxlib(path, checksum);
    auto start = Clock::now();
    for (int i = 0; i < repeat; ++i)
        ourRows += ReadOurs(path, checksum);
    const double ours = Seconds(start);
    start = Clock::now();
    for (int i = 0; i < repeat; ++i)
        theirRows += ReadPxlib(path, checksum);
    const double theirs = Seconds(start);
    PX_shutdown();
    const double ourRate = ourRows / ours;
    const double theirRate = theirRows / theirs;
    std::printf("table: %s\n", path.c_str());
    std::printf("rows per round: %ld (program), %ld (pxlib)\n", ourRows / repeat,
                theirRows / repeat);
    std::printf("program: %.0f rows/s   pxlib: %.0f rows/s\n", ourRate, theirRate);
    std::printf("ratio (program / pxlib): %.2f (target: at least 0.70)   [checksum %zu]\n",
                ourRate / theirRate, checksum % 1000);
    return ourRows == theirRows ? 0 : 1;
}

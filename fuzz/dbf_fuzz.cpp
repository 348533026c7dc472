// Reads any bytes as a .dbf table: the header reader and the record reader either give values
// or throw EngineError, never anything else, and never read outside their buffers. The table is
// written to a file because the reader works on files, as it does for the program.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/db/drivers/dbf/dbf_scan.h"
#include "core/db/drivers/dbf/dbf_table.h"
#include "core/db/errors.h"
#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInputFile(data, size, "dbf_fuzz", ".dbf");
    if (path.empty())
        return 0;
    try {
        auto table = std::make_shared<tessel::db::dbf::DbfTable>(path, "fuzz");
        tessel::db::dbf::DbfScan scan(table);
        const std::size_t columns = table->Columns().size();
        while (scan.Next()) {
            for (std::size_t i = 0; i < columns; ++i)
                scan.Get(i);
        }
    } catch (const tessel::db::EngineError&) {
    }
    return 0;
}

// Reads any bytes as a Paradox table (.db) with the same bytes as its memo file (.mb): the
// header reader, the block walk and the memo reader either give values or throw EngineError,
// never anything else, and never read outside their buffers or loop.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/db/drivers/paradox/px_table.h"
#include "core/db/errors.h"
#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInputFile(data, size, "paradox_fuzz", ".db");
    if (path.empty() || WriteFuzzInputFile(data, size, "paradox_fuzz", ".mb").empty())
        return 0;
    try {
        auto table = std::make_shared<tessel::db::paradox::PxTable>(path);
        tessel::db::paradox::PxTable::Cursor cursor(table);
        const std::size_t columns = table->Header().fields.size();
        while (cursor.Next()) {
            for (std::size_t i = 0; i < columns; ++i)
                cursor.Get(i);
        }
    } catch (const tessel::db::EngineError&) {
    }
    return 0;
}

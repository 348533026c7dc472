// Reads any bytes as a Paradox table (.db) with the same bytes as its memo file (.mb): the
// header reader, the block walk and the memo reader either give values or throw EngineError,
// never anything else, and never read outside their buffers or loop.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/db/drivers/paradox/px_table.h"
#include "core/db/errors.h"

namespace {

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string base = "/tmp/paradox_fuzz_" + std::to_string(::getpid());
    if (!WriteFile(base + ".db", data, size) || !WriteFile(base + ".mb", data, size))
        return 0;
    try {
        auto table = std::make_shared<tessel::db::paradox::PxTable>(base + ".db");
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

// Reads any bytes as a workbook: the classic reader (its container, its workbook-wide records
// and its sheets' cells) and the zipped one either give sheets or throw EngineError, never
// anything else, and never read outside their buffers. The bytes are written to a file because the
// readers work on files, as they do for the program.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/db/drivers/excel/sheet_table.h"
#include "core/db/drivers/excel/workbook.h"
#include "core/db/errors.h"
#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInputFile(data, size, "excel_fuzz", ".xls");
    if (path.empty())
        return 0;
    try {
        const auto book = tessel::db::excel::ReadWorkbook(path);
        tessel::db::excel::TablesOf(book, true);
    } catch (const tessel::db::EngineError&) {
    }
    return 0;
}

// Reads any bytes as a genuine Jet/ACE file: the header checks, the catalogue, every table's
// definition, indexes and rows, and every stored query either give results or throw
// EngineError, never anything else, and never read outside their buffers. libmdb works on
// files, so the bytes are written to one first, as the program would find them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/db/drivers/jet/jet_catalog.h"
#include "core/db/drivers/jet/jet_file.h"
#include "core/db/drivers/jet/jet_queries.h"
#include "core/db/drivers/jet/jet_table.h"
#include "core/db/errors.h"
#include "fuzz_input_file.h"

using namespace tessel::db;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInputFile(data, size, "jet_fuzz", ".mdb");
    if (path.empty())
        return 0;
    try {
        const auto file = jet::JetFile::Open(path);
        for (const auto& object : jet::ReadCatalog(file)) {
            try {
                if (object.kind == jet::ObjectKind::Query) {
                    jet::ReadQuery(file, object.id);
                } else if (object.kind == jet::ObjectKind::Table) {
                    jet::JetTable table(file, object.name);
                    table.Indexes();
                    Row row;
                    for (int rows = 0; rows < 100000 && table.Next(row); ++rows) {
                    }
                }
            } catch (const EngineError&) {
            }
        }
    } catch (const EngineError&) {
    }
    return 0;
}

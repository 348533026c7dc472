// Reads any bytes as a text directory's schema.ini: the parser and the format of every section
// either succeed or throw EngineError, and replacing a section by its own text gives the same
// bytes back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/db/drivers/text/table_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessel::db::text;
    const SchemaIni ini(std::string(reinterpret_cast<const char*>(data), size));
    for (const IniSection& section : ini.Sections()) {
        if (section.begin > section.end || section.end > ini.Text().size())
            __builtin_trap();
        try {
            FormatOf(section.name, &section, "schema.ini");
        } catch (const tessel::db::EngineError&) {
        }
    }
    if (!ini.Sections().empty()) {
        const IniSection& first = ini.Sections().front();
        const std::string own = ini.Text().substr(first.begin, first.end - first.begin);
        if (ini.Replaced(first.name, own) != ini.Text())
            __builtin_trap();
    }
    return 0;
}

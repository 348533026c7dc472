// Cuts any text into statements: the splitter either returns statements or throws its
// ProgramError, never anything else, and each statement is a piece of the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/script/script_runner.h"
#include "core/session/standard_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    try {
        tessel::ScriptSplitter splitter(script);
        std::size_t total = 0;
        while (auto statement = splitter.Next()) {
            total += statement->text.size();
            if (total > script.size())
                __builtin_trap();  // statements are cut out of the text, never made up
        }
    } catch (const tessel::db::EngineError&) {
    }
    return 0;
}

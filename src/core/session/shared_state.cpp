#include "core/session/shared_state.h"

#include "core/db/jetsql/ansi_type_names.h"

namespace tessel {

void FillTypeLists(SharedState& state) {
    state.JetTypeList = {"BIGINT",   "BINARY",   "BIT",      "BYTE",       "CHAR",     "COUNTER",
                         "CURRENCY", "DATETIME", "DECIMAL",  "DOUBLE",     "FLOAT",    "GUID",
                         "INTEGER",  "LONG",     "LONGTEXT", "LONGBINARY", "MEMO",     "NUMERIC",
                         "SINGLE",   "SHORT",    "TEXT",     "TIMESTAMP",  "VARBINARY"};
    // Eight slots, the last never filled.
    state.NoSizeTypeList = {"BIT", "BYTE", "LONGBINARY", "COUNTER", "CURRENCY", "GUID", "MEMO", ""};
    state.ANSIMappedTypeList.clear();
    for (const auto& name : db::jetsql::kAnsiTypeNames)
        state.ANSIMappedTypeList.emplace_back(name.jet);
}

}  // namespace tessel

#include "core/session/shared_state.h"

#include "core/db/jetsql/ansi_type_names.h"

namespace tessel {

void FillTypeLists(TypeLists& types) {
    types.JetTypeList = {"BIGINT",   "BINARY",   "BIT",      "BYTE",       "CHAR",     "COUNTER",
                         "CURRENCY", "DATETIME", "DECIMAL",  "DOUBLE",     "FLOAT",    "GUID",
                         "INTEGER",  "LONG",     "LONGTEXT", "LONGBINARY", "MEMO",     "NUMERIC",
                         "SINGLE",   "SHORT",    "TEXT",     "TIMESTAMP",  "VARBINARY"};
    // Eight slots, the last never filled.
    types.NoSizeTypeList = {"BIT", "BYTE", "LONGBINARY", "COUNTER", "CURRENCY", "GUID", "MEMO", ""};
    types.ANSIMappedTypeList.clear();
    for (const auto& name : db::jetsql::kAnsiTypeNames)
        types.ANSIMappedTypeList.emplace_back(name.jet);
}

}  // namespace tessel

#include "core/session/shared_state.h"

namespace tessel {

void FillTypeLists(TypeLists& types) {
    types.JetTypeList = {"BIGINT",   "BINARY",   "BIT",      "BYTE",       "CHAR",     "COUNTER",
                         "CURRENCY", "DATETIME", "DECIMAL",  "DOUBLE",     "FLOAT",    "GUID",
                         "INTEGER",  "LONG",     "LONGTEXT", "LONGBINARY", "MEMO",     "NUMERIC",
                         "SINGLE",   "SHORT",    "TEXT",     "TIMESTAMP",  "VARBINARY"};
    // Eight slots, the last never filled.
    types.NoSizeTypeList = {"BIT", "BYTE", "LONGBINARY", "COUNTER", "CURRENCY", "GUID", "MEMO", ""};
    types.ANSIMappedTypeList = {"BINARY", "DATETIME", "DOUBLE", "FLOAT",    "INTEGER",
                                "LONG",   "SINGLE",   "TEXT",   "TIMESTAMP"};
}

}  // namespace tessel

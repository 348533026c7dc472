#include "core/session/shared_state.h"

namespace tessel {

void FillTypeLists(SharedState& state) {
    state.JetTypeList = {"BIGINT",   "BINARY",   "BIT",      "BYTE",       "CHAR",     "COUNTER",
                         "CURRENCY", "DATETIME", "DECIMAL",  "DOUBLE",     "FLOAT",    "GUID",
                         "INTEGER",  "LONG",     "LONGTEXT", "LONGBINARY", "MEMO",     "NUMERIC",
                         "SINGLE",   "SHORT",    "TEXT",     "TIMESTAMP",  "VARBINARY"};
    // Eight slots, the last never filled.
    state.NoSizeTypeList = {"BIT", "BYTE", "LONGBINARY", "COUNTER", "CURRENCY", "GUID", "MEMO", ""};
    state.ANSIMappedTypeList = {"BINARY", "DATETIME", "DOUBLE", "FLOAT",    "INTEGER",
                                "LONG",   "SINGLE",   "TEXT",   "TIMESTAMP"};
}

}  // namespace tessel

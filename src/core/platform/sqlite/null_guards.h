// Refusal of Nulls for the fields of primary-key and "disallow null" indexes that were made
// after their table: SQLite cannot add NOT NULL to an existing column, so BEFORE INSERT and
// BEFORE UPDATE triggers (named MSysGuard_...) raise SQLite's own NOT NULL failure instead.
// They are derived from the metadata and rebuilt whenever the table, its fields or its indexes
// change, so their messages always name the current field.
#pragma once

#include <string>

#include "core/platform/sqlite/handle.h"

namespace tessel::platform::sqlite {

void RebuildNullGuards(Handle& handle, const std::string& table);

}  // namespace tessel::platform::sqlite

// The triggers through which the engine gives SQLite tables two Jet behaviours, all named
// MSysGuard_... or MSysCounter_... and derived from the metadata:
//
// - Refusal of Nulls for the fields of primary-key and "disallow null" indexes (SQLite cannot
//   add NOT NULL to an existing column): BEFORE INSERT and BEFORE UPDATE triggers raise
//   SQLite's own NOT NULL failure, naming the field.
// - Counter fields that are not the table's rowid key: an AFTER INSERT trigger gives a row
//   inserted without a value the next number.
//
// They are rebuilt whenever the table, its fields or its indexes change, so that their
// messages always name the current field.
#pragma once

#include <string>

#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

void DropTableTriggers(Handle& handle, const std::string& table);
void RebuildTableTriggers(Handle& handle, const std::string& table);

}  // namespace tessel::db::sqlite

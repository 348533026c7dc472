// Jet's make-table query, SELECT ... INTO newtable FROM ...: the new table is made through the
// Jet DDL layer (so its fields carry Jet types and metadata) with the types of the query's
// columns, and the rows are inserted, all in one transaction.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/db/engine.h"
#include "core/db/jetsql/tokenizer.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

// `into` is the position of INTO (jetsql::FindSelectInto).
std::unique_ptr<Cursor> RunSelectInto(Handle& handle, std::string_view text,
                                      const std::vector<jetsql::Token>& tokens, std::size_t into);

}  // namespace tessel::db::sqlite

// One statement as the statement runner takes it: tokenized, with trailing ";" dropped, and
// refused when it is empty or holds a second statement.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

// Views into the statement given to ReadSingleStatement, which must outlive it.
struct SingleStatement {
    std::string_view text;  // the statement without trailing ";" and whitespace
    // Kept only when a later pass reads them: a data definition statement, a crosstab,
    // SELECT ... INTO or a Jet rewrite. Without them the text goes to SQLite as written.
    std::vector<Token> tokens;
};

// Throws EngineError: err::kInvalidStatement for an empty statement, and
// err::kTextAfterStatement for characters after its end (a trigger definition keeps the ";"
// of its body).
SingleStatement ReadSingleStatement(const std::string& statement);

// The position of INTO in a make-table query, SELECT ... INTO newtable FROM ... (INTO at the
// top level, before FROM); nothing for any other statement.
std::optional<std::size_t> FindSelectInto(const std::vector<Token>& tokens);

}  // namespace tessel::db::jetsql

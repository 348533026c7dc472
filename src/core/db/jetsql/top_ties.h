// TOP n of an ordered SELECT, as the classic engine reads it: the first n rows and every row
// after them whose ORDER BY keys equal those of the n-th.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

// One SELECT that carries a TOP, as token positions.
struct TopSelect {
    std::size_t select = 0;  // the SELECT
    std::size_t list = 0;    // the first token of its select list, after TOP n [PERCENT]
    std::size_t end = 0;     // one past its last token
    bool distinct = false;
};

// The LIMIT expression for that SELECT when it has an ORDER BY: the number of rows up to the
// last one that ties with row `count` (SQL, already rewritten), or all rows when there are fewer.
// Nothing when the SELECT is not ordered, and TOP n is simply its first n rows; nothing too
// when a key is a position at or past a "*" of the select list, whose columns are not known
// here (those rows are cut at n, ties or not).
std::optional<std::string> TopWithTiesLimit(std::string_view text, const std::vector<Token>& tokens,
                                            const TopSelect& select, const std::string& count);

}  // namespace tessel::db::jetsql

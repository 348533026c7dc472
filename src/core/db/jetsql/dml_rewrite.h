// Rewrites of Jet-only syntax into SQLite's, on tokens:
//   #date# literals            -> 'yyyy-mm-dd[ hh:mm:ss]'
//   True / False               -> 1 / 0
//   SELECT [DISTINCT] TOP n    -> SELECT [DISTINCT] ... LIMIT n (at the end of that SELECT);
//                                 ordered, the rows that tie with the n-th come too
//   TOP n PERCENT              -> LIMIT of n percent of that SELECT's rows, rounded up
//   DISTINCTROW                -> DISTINCT
//   a & b                      -> JetConcat(a, b) (Null only when both are Null)
//   a Mod b                    -> a % b
//   x LIKE 'A*#[!a-c]'         -> x GLOB '[aA]*[0-9][^a-cA-C]' (Jet wildcards, when used)
//   a \ b, date + n, date - date -> calls of the layer's functions (see arithmetic_rewrite.h)
//   DELETE * FROM / DELETE t.* FROM -> DELETE FROM
//   Left(...) / Right(...)     -> "Left"(...) / "Right"(...) (functions, not join keywords)
// Everything else, quoted texts and names included, passes through unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/db/jetsql/arithmetic_rewrite.h"
#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

// A token that some rewrite above changes or starts from. A statement holding none of them is
// given to SQLite as written, so its tokens need not be kept.
bool StartsJetRewrite(const Token& token);

// Throws EngineError for a bad date literal or a TOP without a number. `isDateField` tells
// which names are date fields, for date arithmetic on columns; without it only literals and
// date functions count as dates.
std::string RewriteJetSql(std::string_view text, const std::vector<Token>& tokens,
                          const DateFieldTest& isDateField = {});

}  // namespace tessel::db::jetsql

// Arithmetic whose meaning SQLite does not share, rewritten into calls of the layer's
// functions before the other rewrites run:
//   a \ b                        -> JetIntDiv(a, b)  (whole-number division)
//   d + n, d - n, d - d, ...     -> JetDateAdd(...), JetDateSub(...)  (dates count days)
// A chain of + and - is rewritten only when one of its operands is date-valued: a #date#
// literal, a call of a function that gives a date, or a name that a date field of the database
// has. At run time those functions give what SQLite's + and - give when no operand is a date
// after all, so a rewrite taken by mistake changes nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

// Whether a field of that name (any case) holds dates in some table of the database.
using DateFieldTest = std::function<bool(std::string_view name)>;

// A token that makes RewriteArithmetic worth running whatever the database holds: "\" or the
// name of a function that gives a date.
bool StartsArithmeticRewrite(const Token& token);

// Whether the text holds a + or - next to a name: a sum that may hold a date field. One pass
// that keeps no tokens, for a statement whose tokens were not kept.
bool HasSumNextToName(std::string_view text);

// The text rewritten; nothing when no part of it needs a rewrite (the usual case, found in one
// pass over the tokens).
std::optional<std::string> RewriteArithmetic(std::string_view text,
                                             const std::vector<Token>& tokens,
                                             const DateFieldTest& isDateField);

}  // namespace tessel::db::jetsql

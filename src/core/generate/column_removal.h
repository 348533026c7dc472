// The column removal of the ANSI export: column definitions whose type has no size in the
// ANSI dialect are taken out of their column lists.
//
// Passes run over the words in order. In a pass, each word finds its first occurrence that
// stands as a column's type (after the column's name, inside a parenthesised list of the same
// statement); the piece to remove is the definition with the "," before it, or, for the first
// definition of a list, the definition with the "," after it. Every piece of the same text
// (letter case aside) goes. A new pass starts while the last word was found in the pass just
// made. A piece never takes the ")" that closes its list, so the statement stays well formed.
#pragma once

#include <string>
#include <vector>

#include "core/generate/sql_words.h"

namespace tessel::sqlwords {

// `typeWords` in upper case; empty entries are skipped.
void RemoveColumnsOfTypes(std::vector<Token>& tokens, const std::vector<std::string>& typeWords);

}  // namespace tessel::sqlwords

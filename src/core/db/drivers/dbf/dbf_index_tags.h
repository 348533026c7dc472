// The indexes of a table as other programs left them: the tags of its FoxPro structural
// compound index (.cdx), of its dBase IV/5 production index (.mdx) and single .ndx files with
// the table's name. Only what describes an index is read (tag names, key expressions, the
// unique flag), never the keys. A tag whose key expression is not a plain field or fields joined
// by "+" (UPPER(NAME), DTOS(D)+C, ...) is left out: its order is not one of the fields' own.
// Index files that cannot be read are left out too; they never make the table unreadable.
#pragma once

#include <string>
#include <vector>

#include "core/db/engine.h"

namespace tessel::db::dbf {

// The index files that belong to the table: same name (any case), .cdx, .mdx or .ndx.
std::vector<std::string> IndexFilesOf(const std::string& tablePath);

std::vector<IndexInfo> ReadIndexTags(const std::string& tablePath,
                                     const std::vector<FieldInfo>& columns);

// "+A;+B" for a key expression "a+b" whose parts all name columns; "" otherwise.
std::string FieldsOfExpression(const std::string& expression, const std::vector<FieldInfo>& columns,
                               bool descending);

}  // namespace tessel::db::dbf

// The crosstab query, TRANSFORM agg SELECT rows FROM ... GROUP BY rows PIVOT expr [IN (...)],
// read into its parts and written as plain SELECTs: one for the pivot's values when no IN list
// fixes them, and one with a column for each value. Both are Jet SQL still; the runner gives
// them to the Jet rewrites.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

// The classic engine's limit: a crosstab's columns make a table, of at most 255 fields.
inline constexpr std::size_t kMaxCrosstabColumns = 255;

// A stretch of the TRANSFORM expression: text as written, then an aggregate call (none in the
// last stretch), whose argument each column restricts to the rows of its pivot value.
struct TransformPart {
    std::string text;
    std::string function;
    std::string argument;
};

struct CrosstabQuery {
    std::vector<TransformPart> transform;
    std::string rows;  // the select list: row headings and other aggregates
    std::size_t rowCount = 0;
    std::string source;    // FROM ... [WHERE ...]
    std::string grouping;  // GROUP BY ... [HAVING ...] [ORDER BY ...]
    bool ordered = false;  // grouping holds an ORDER BY of its own
    std::string groupKeys;
    std::string pivot;
    std::vector<std::string> fixedValues;  // the IN list, as written
    bool fixed = false;
};

// One pivot value: its SQL literal ("NULL" for Null) and its column heading.
struct PivotValue {
    std::string literal;
    std::string heading;
    bool text = false;
};

// Nothing when the statement does not start with TRANSFORM. Throws EngineError
// (err::kTransformSyntax) for a crosstab without an aggregate, GROUP BY or PIVOT.
std::optional<CrosstabQuery> ReadCrosstab(std::string_view text, const std::vector<Token>& tokens);

// The pivot's distinct values in ascending order, Null first.
std::string PivotValuesSql(const CrosstabQuery& query);
// One row holding the IN list's values, to learn their types.
std::string FixedValuesSql(const CrosstabQuery& query);
// The crosstab itself. Throws EngineError (err::kTooManyFields) past kMaxCrosstabColumns.
std::string CrosstabSql(const CrosstabQuery& query, const std::vector<PivotValue>& values);

}  // namespace tessel::db::jetsql

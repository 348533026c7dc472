#include "core/db/drivers/sqlite/crosstab_runner.h"

#include <charconv>

#include "core/base/date_serial.h"
#include "core/base/text.h"
#include "core/db/drivers/sqlite/cursor.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::sqlite {
namespace {

Statement PrepareJet(Handle& handle, const std::string& jet) {
    return handle.Prepare(jetsql::RewriteJetSql(jet, jetsql::Tokenize(jet)));
}

// A number's shortest text that reads back as the same number: the literal matches exactly
// what the heading shows rounded.
std::string NumberText(double number) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

// A value as a literal for the crosstab's SQL, with its heading: its text, a date as its
// canonical text, and "<>" for Null, as the classic engine heads them.
jetsql::PivotValue ValueOf(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return {"NULL", "<>", false};
        case SQLITE_INTEGER: {
            const std::string text = std::to_string(sqlite3_value_int64(value));
            return {text, text, false};
        }
        case SQLITE_FLOAT: {
            const double number = sqlite3_value_double(value);
            return {NumberText(number), ValueToText(number), false};
        }
        case SQLITE_BLOB: {
            const std::string hex = base::HexDigits(
                std::string_view(static_cast<const char*>(sqlite3_value_blob(value)),
                                 static_cast<std::size_t>(sqlite3_value_bytes(value))));
            return {"X'" + hex + "'", hex, false};
        }
        default: {
            const std::string text(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                   static_cast<std::size_t>(sqlite3_value_bytes(value)));
            const auto date = base::ParseIsoDateTime(text);
            return {jetsql::QuoteText(text), date ? base::IsoText(*date) : text, true};
        }
    }
}

// The IN list's values, in its order: one row of one column each.
std::vector<jetsql::PivotValue> FixedValues(Handle& handle, const jetsql::CrosstabQuery& query) {
    Statement statement = PrepareJet(handle, jetsql::FixedValuesSql(query));
    std::vector<jetsql::PivotValue> values;
    if (statement.Step()) {
        for (int i = 0; i < sqlite3_column_count(statement.Raw()); ++i)
            values.push_back(ValueOf(sqlite3_column_value(statement.Raw(), i)));
    }
    return values;
}

// Every distinct value of the pivot, ascending.
std::vector<jetsql::PivotValue> DataValues(Handle& handle, const jetsql::CrosstabQuery& query) {
    Statement statement = PrepareJet(handle, jetsql::PivotValuesSql(query));
    std::vector<jetsql::PivotValue> values;
    while (statement.Step())
        values.push_back(ValueOf(sqlite3_column_value(statement.Raw(), 0)));
    return values;
}

}  // namespace

std::unique_ptr<Cursor> RunCrosstab(Handle& handle, const jetsql::CrosstabQuery& query) {
    const auto values = query.fixed ? FixedValues(handle, query) : DataValues(handle, query);
    return RunStatement(PrepareJet(handle, jetsql::CrosstabSql(query, values)));
}

}  // namespace tessel::db::sqlite

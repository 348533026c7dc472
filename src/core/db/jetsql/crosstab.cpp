#include "core/db/jetsql/crosstab.h"

#include "core/base/text.h"
#include "core/db/errors.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::jetsql {
namespace {

constexpr std::string_view kAggregates[] = {"SUM",  "AVG",   "COUNT",  "MIN", "MAX", "FIRST",
                                            "LAST", "STDEV", "STDEVP", "VAR", "VARP"};

[[noreturn]] void Refuse(const std::string& sentence) {
    throw EngineError(err::kTransformSyntax, "Syntax error in TRANSFORM statement: " + sentence);
}

class Reader {
  public:
    Reader(std::string_view text, const std::vector<Token>& tokens)
        : text_(text), tokens_(tokens) {}

    CrosstabQuery Read() {
        const std::size_t select = Find(1, tokens_.size(), "SELECT");
        if (select == tokens_.size())
            Refuse("TRANSFORM and its aggregate must be followed by a SELECT statement.");
        CrosstabQuery query;
        query.transform = Transform(1, select);
        std::size_t pivot = tokens_.size();
        for (std::size_t i = select; i < tokens_.size(); ++i) {
            if (tokens_[i].depth == 0 && tokens_[i].IsWord("PIVOT"))
                pivot = i;
        }
        if (pivot == tokens_.size())
            Refuse("a crosstab needs a PIVOT clause naming the field whose values become columns.");
        const std::size_t group = FindPair(select, pivot, "GROUP");
        if (group == pivot) {
            Refuse("a crosstab needs a GROUP BY clause naming the fields of its row headings.");
        }
        const std::size_t from = std::min(Find(select + 1, group, "FROM"), group);
        const std::size_t order = FindPair(group, pivot, "ORDER");
        const std::size_t having = Find(group, pivot, "HAVING");
        query.rows = Text(select + 1, from);
        query.rowCount = 0;
        for (std::size_t i = select + 1; i < from; ++i)
            query.rowCount += tokens_[i].depth == 0 && tokens_[i].IsSymbol(",") ? 1 : 0;
        query.rowCount += from > select + 1 ? 1 : 0;
        query.source = Text(from, group);
        query.grouping = Text(group, pivot);
        query.ordered = order < pivot;
        query.groupKeys = Text(group + 2, std::min(order, having));
        const std::size_t in = Find(pivot + 1, tokens_.size(), "IN");
        query.pivot = Text(pivot + 1, in);
        if (query.pivot.empty())
            Refuse("PIVOT must be followed by the expression whose values become columns.");
        if (in < tokens_.size())
            FixedValues(in, query);
        return query;
    }

  private:
    // The first word at the top level between `first` and `last`; `last` when there is none.
    std::size_t Find(std::size_t first, std::size_t last, std::string_view word) const {
        for (std::size_t i = first; i < last; ++i) {
            if (tokens_[i].depth == 0 && tokens_[i].IsWord(word))
                return i;
        }
        return last;
    }
    // GROUP BY, ORDER BY.
    std::size_t FindPair(std::size_t first, std::size_t last, std::string_view word) const {
        for (std::size_t i = Find(first, last, word); i < last; i = Find(i + 1, last, word)) {
            if (i + 1 < last && tokens_[i + 1].IsWord("BY"))
                return i;
        }
        return last;
    }

    std::string Text(std::size_t first, std::size_t last) const {
        if (first >= last)
            return {};
        return std::string(
            text_.substr(tokens_[first].begin, tokens_[last - 1].end - tokens_[first].begin));
    }

    static bool IsAggregate(const Token& token) {
        for (auto name : kAggregates) {
            if (token.IsWord(name))
                return true;
        }
        return false;
    }

    std::vector<TransformPart> Transform(std::size_t first, std::size_t last) const {
        std::vector<TransformPart> parts;
        std::size_t at = first;  // the first token not yet taken into a part
        for (std::size_t i = first; i + 1 < last; ++i) {
            if (!IsAggregate(tokens_[i]) || !tokens_[i + 1].IsSymbol("(") ||
                (i > first && tokens_[i - 1].IsSymbol("."))) {
                continue;
            }
            std::size_t close = i + 2;
            while (close < last &&
                   !(tokens_[close].IsSymbol(")") && tokens_[close].depth == tokens_[i + 1].depth))
                ++close;
            if (close == last)
                Refuse("the aggregate after TRANSFORM lacks its closing parenthesis.");
            parts.push_back({Text(at, i), std::string(tokens_[i].Spelling()), Text(i + 2, close)});
            at = close + 1;
            i = close;
        }
        if (parts.empty()) {
            Refuse(
                "TRANSFORM must be followed by an aggregate function (Sum, Count, Avg, Min, "
                "Max, First, Last, StDev, Var) that computes each cell, not '" +
                Text(first, last) + "'.");
        }
        parts.push_back({Text(at, last), {}, {}});
        return parts;
    }

    // IN (v1, v2, ...): the values and their order, as written.
    void FixedValues(std::size_t in, CrosstabQuery& query) const {
        if (in + 1 >= tokens_.size() || !tokens_[in + 1].IsSymbol("(") ||
            !tokens_.back().IsSymbol(")") || tokens_.back().depth != 0) {
            Refuse("IN after PIVOT must be followed by the column values in parentheses.");
        }
        std::size_t start = in + 2;
        for (std::size_t i = in + 2; i < tokens_.size(); ++i) {
            const bool comma = tokens_[i].depth == 1 && tokens_[i].IsSymbol(",");
            if (comma || i + 1 == tokens_.size()) {
                if (i == start)
                    Refuse("the list of column values after PIVOT ... IN holds an empty value.");
                query.fixedValues.push_back(Text(start, i));
                start = i + 1;
            }
        }
        query.fixed = true;
    }

    std::string_view text_;
    const std::vector<Token>& tokens_;
};

// The rows of one column: those whose pivot value is `value`. A text value also matches a
// number whose text it is, as the classic engine matches headings.
std::string Matches(const std::string& pivot, const PivotValue& value) {
    if (value.literal == "NULL")
        return "(" + pivot + ") IS NULL";
    if (value.text) {
        return "((" + pivot + ") IS " + value.literal + " OR CAST((" + pivot + ") AS TEXT) IS " +
               value.literal + ")";
    }
    return "(" + pivot + ") IS " + value.literal;
}

// The TRANSFORM expression over the rows of one column. An aggregate over no rows is Null,
// Count too: the classic engine leaves such a cell empty.
std::string Cell(const std::vector<TransformPart>& parts, const std::string& match) {
    std::string cell;
    for (const auto& part : parts) {
        cell += part.text;
        if (part.function.empty())
            continue;
        const std::string argument = base::Trim(part.argument, base::kWhiteSpace);
        const std::string call = part.function + "(CASE WHEN " + match + " THEN " +
                                 (argument == "*" ? "1" : "(" + argument + ")") + " END)";
        if (base::UpperAscii(part.function) == "COUNT") {
            cell +=
                " (CASE WHEN count(CASE WHEN " + match + " THEN 1 END) > 0 THEN " + call + " END) ";
        } else {
            cell += " " + call + " ";
        }
    }
    return cell;
}

}  // namespace

std::optional<CrosstabQuery> ReadCrosstab(std::string_view text, const std::vector<Token>& tokens) {
    if (tokens.empty() || !tokens[0].IsWord("TRANSFORM"))
        return std::nullopt;
    return Reader(text, tokens).Read();
}

std::string PivotValuesSql(const CrosstabQuery& query) {
    return "SELECT DISTINCT " + query.pivot + " " + query.source + " ORDER BY 1";
}

std::string FixedValuesSql(const CrosstabQuery& query) {
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < query.fixedValues.size(); ++i)
        sql += (i ? ", " : "") + query.fixedValues[i];
    return sql;
}

std::string CrosstabSql(const CrosstabQuery& query, const std::vector<PivotValue>& values) {
    const std::size_t columns = query.rowCount + values.size();
    if (columns > kMaxCrosstabColumns) {
        throw EngineError(
            err::kTooManyFields,
            "Too many fields defined: the crosstab would have " + std::to_string(columns) +
                " columns (" + std::to_string(query.rowCount) + " row headings and " +
                std::to_string(values.size()) + " values of '" + query.pivot +
                "'), and a table holds at most " + std::to_string(kMaxCrosstabColumns) +
                ". Name fewer values with PIVOT ... IN (...).");
    }
    std::string sql = "SELECT " + query.rows;
    for (const auto& value : values) {
        sql += ", " + Cell(query.transform, Matches(query.pivot, value)) + " AS " +
               QuoteName(value.heading);
    }
    sql += " " + query.source + " " + query.grouping;
    if (!query.ordered)
        sql += " ORDER BY " + query.groupKeys;
    return sql;
}

}  // namespace tessel::db::jetsql

#include "core/db/jetsql/dml_rewrite.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "core/db/errors.h"
#include "core/db/jetsql/date_literal.h"
#include "core/db/jetsql/like_pattern.h"
#include "core/db/jetsql/operands.h"
#include "core/db/jetsql/quote.h"
#include "core/db/jetsql/text_edits.h"
#include "core/db/jetsql/top_ties.h"

namespace tessel::db::jetsql {
namespace {

struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

std::string DateText(const Token& token) {
    const auto iso = JetDateToIso(token.Spelling());
    if (!iso) {
        throw EngineError(err::kSyntaxError, "Syntax error in date in query expression '#" +
                                                 std::string(token.Spelling()) + "#'.");
    }
    return QuoteText(*iso);
}

class Rewriter {
  public:
    Rewriter(std::string_view text, const std::vector<Token>& tokens)
        : text_(text), tokens_(tokens) {}

    std::string Run() {
        for (std::size_t i = 0; i < tokens_.size(); ++i)
            Visit(i);
        if (edits_.empty())
            return std::string(text_);
        std::stable_sort(edits_.begin(), edits_.end(),
                         [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
        return ApplyEdits(text_, edits_);
    }

  private:
    void Replace(const Token& token, std::string text) {
        edits_.push_back({token.begin, token.end, std::move(text)});
    }

    // A value on one side of a binary operator: a name, a literal or a parenthesised group.
    bool IsOperand(std::size_t i) const {
        if (i >= tokens_.size())
            return false;
        const Token& token = tokens_[i];
        return token.IsName() || token.kind == TokenKind::Number ||
               token.kind == TokenKind::String || token.IsSymbol("(") || token.IsSymbol(")");
    }

    // "x IS [NOT] TRUE" is SQLite's own truth test; a number there would make it an equality.
    bool TruthTest(std::size_t i) const {
        if (i >= 1 && tokens_[i - 1].IsWord("IS"))
            return true;
        return i >= 2 && tokens_[i - 1].IsWord("NOT") && tokens_[i - 2].IsWord("IS");
    }

    // The assignments of an UPDATE's SET list: "=" there is no comparison.
    bool InSetList(std::size_t i) const {
        if (tokens_.empty() || !tokens_[0].IsWord("UPDATE") || tokens_[i].depth != 0)
            return false;
        for (std::size_t j = i; j-- > 0;) {
            if (tokens_[j].depth != 0)
                continue;
            if (tokens_[j].IsWord("WHERE"))
                return false;
            if (tokens_[j].IsWord("SET"))
                return true;
        }
        return false;
    }

    // x = True, x <> True (either way round): True is -1 to the classic engine and this
    // program stores 1, so both count as True and the comparison becomes x <> 0, x = 0.
    bool ComparedWithTrue(std::size_t i) {
        auto isEquality = [](const Token& t) {
            return t.IsSymbol("=") || t.IsSymbol("==") || t.IsSymbol("<>") || t.IsSymbol("!=");
        };
        std::optional<std::size_t> op;
        if (i >= 1 && isEquality(tokens_[i - 1]) && !InSetList(i - 1))
            op = i - 1;
        else if (i + 1 < tokens_.size() && isEquality(tokens_[i + 1]))
            op = i + 1;
        if (!op)
            return false;
        const bool equal = tokens_[*op].IsSymbol("=") || tokens_[*op].IsSymbol("==");
        Replace(tokens_[*op], equal ? "<>" : "=");
        Replace(tokens_[i], "0");
        return true;
    }

    bool PrecededByDot(std::size_t i) const { return i > 0 && tokens_[i - 1].IsSymbol("."); }
    bool FollowedBy(std::size_t i, std::string_view symbol) const {
        return i + 1 < tokens_.size() && tokens_[i + 1].IsSymbol(symbol);
    }

    void Visit(std::size_t i) {
        const Token& token = tokens_[i];
        if (!StartsJetRewrite(token))
            return;
        if (token.kind == TokenKind::Date) {
            Replace(token, DateText(token));
        } else if ((token.IsWord("TRUE") || token.IsWord("FALSE")) && !PrecededByDot(i) &&
                   !FollowedBy(i, "(") && !FollowedBy(i, ".") && !TruthTest(i)) {
            if (token.IsWord("TRUE") && ComparedWithTrue(i))
                return;
            Replace(token, token.IsWord("TRUE") ? "1" : "0");
        } else if ((token.IsWord("LEFT") || token.IsWord("RIGHT") || token.IsWord("ISNULL")) &&
                   FollowedBy(i, "(") && !PrecededByDot(i)) {
            // The functions Left(), Right() and IsNull(); unquoted, SQLite reads its keywords.
            Replace(token, QuoteName(std::string(token.Spelling())));
        } else if (token.IsWord("MOD") && IsOperand(i - 1) && IsOperand(i + 1)) {
            Replace(token, "%");
        } else if (token.IsWord("DISTINCTROW")) {
            Replace(token, "DISTINCT");
        } else if (token.IsSymbol("&")) {
            Concatenate(i);
        } else if (token.IsWord("LIKE") && i + 1 < tokens_.size() &&
                   tokens_[i + 1].kind == TokenKind::String &&
                   !(i + 2 < tokens_.size() && tokens_[i + 2].IsWord("ESCAPE"))) {
            // A pattern with an ESCAPE of its own is SQLite's; one that is not a literal text
            // (a column, a parameter) cannot be read here and keeps SQLite's LIKE.
            if (auto glob = LikeAsGlob(tokens_[i + 1].Value())) {
                Replace(token, "GLOB");
                Replace(tokens_[i + 1], QuoteText(*glob));
            }
        } else if (token.IsWord("TOP")) {
            if (auto select = SelectOfTop(i))
                Top(*select);
        } else if (token.IsWord("DELETE") && i == 0) {
            DeleteStar();
        }
    }

    // a & b -> JetConcat(a, b): Null only when both are Null, as the classic engine has it.
    // "&" binds looser than arithmetic and tighter than comparisons, from left to right.
    void Concatenate(std::size_t at) {
        const Operands operands(tokens_);
        std::size_t first = operands.LeftStart(at, Binding::Concatenation);
        // a & b & c: the operand of this "&" starts where that of the one before did; walking
        // back again would take time in the square of the chain's length.
        if (first != at && first > 0 && tokens_[first - 1].IsSymbol("&") &&
            tokens_[first - 1].depth == tokens_[at].depth) {
            first = concatFirst_.at(first - 1);
        }
        concatFirst_[at] = first;
        const std::size_t last = operands.RightEnd(at, Binding::Concatenation);
        if (first == at || last == at) {
            Replace(tokens_[at], "||");  // an operand this reading cannot delimit
            return;
        }
        edits_.push_back({tokens_[first].begin, tokens_[first].begin, "JetConcat("});
        Replace(tokens_[at], ",");
        edits_.push_back({tokens_[last].end, tokens_[last].end, ")"});
    }

    // The SELECT that the TOP at `top` belongs to, when it does.
    std::optional<std::size_t> SelectOfTop(std::size_t top) const {
        if (top >= 1 && tokens_[top - 1].IsWord("SELECT"))
            return top - 1;
        if (top >= 2 && tokens_[top - 2].IsWord("SELECT") &&
            (tokens_[top - 1].IsWord("DISTINCT") || tokens_[top - 1].IsWord("DISTINCTROW") ||
             tokens_[top - 1].IsWord("ALL"))) {
            return top - 2;
        }
        return std::nullopt;
    }

    // SELECT [ALL|DISTINCT|DISTINCTROW] TOP n [PERCENT]
    void Top(std::size_t select) {
        std::size_t i = select + 1;
        if (i < tokens_.size() && (tokens_[i].IsWord("DISTINCT") ||
                                   tokens_[i].IsWord("DISTINCTROW") || tokens_[i].IsWord("ALL"))) {
            ++i;
        }
        if (i + 1 >= tokens_.size() || !tokens_[i].IsWord("TOP"))
            return;
        const Token& count = tokens_[i + 1];
        if (count.kind != TokenKind::Number) {
            throw EngineError(err::kSyntaxError,
                              "Syntax error: TOP must be followed by a whole "
                              "number in '" +
                                  std::string(text_) + "'.");
        }
        std::size_t last = i + 1;
        const bool percent = last + 1 < tokens_.size() && tokens_[last + 1].IsWord("PERCENT");
        if (percent)
            ++last;
        edits_.push_back({tokens_[i].begin, tokens_[last].end, {}});
        // LIMIT goes where this SELECT ends: before the paren that closes its group.
        // Groups opened inside the SELECT (function calls, subqueries) close before it does.
        // A SELECT that a UNION (INTERSECT, EXCEPT) follows ends there; its limit is its own,
        // so it becomes a subquery of its own, where SQLite takes a LIMIT.
        // A later member of a compound has no ORDER BY of its own: one there orders the whole,
        // so the member ends before it; its limit is its own too.
        const bool laterMember =
            select > 0 &&
            (tokens_[select - 1].IsWord("UNION") || tokens_[select - 1].IsWord("ALL") ||
             tokens_[select - 1].IsWord("INTERSECT") || tokens_[select - 1].IsWord("EXCEPT"));
        const std::uint32_t depth = tokens_[select].depth;
        int opened = 0;
        bool compoundMember = laterMember;
        std::size_t end = text_.size();
        std::size_t endToken = tokens_.size();
        for (std::size_t j = last + 1; j < tokens_.size(); ++j) {
            endToken = j;
            if (tokens_[j].IsSymbol("("))
                ++opened;
            if (tokens_[j].IsSymbol(")") && opened-- == 0) {
                end = tokens_[j].begin;
                break;
            }
            if (tokens_[j].depth == depth && tokens_[j].IsSymbol(";")) {
                end = tokens_[j].begin;
                break;
            }
            if (opened == 0 && (tokens_[j].IsWord("UNION") || tokens_[j].IsWord("INTERSECT") ||
                                tokens_[j].IsWord("EXCEPT"))) {
                compoundMember = true;
                break;
            }
            if (laterMember && opened == 0 && tokens_[j].IsWord("ORDER") &&
                j + 1 < tokens_.size() && tokens_[j + 1].IsWord("BY")) {
                end = tokens_[j].begin;
                break;
            }
            end = tokens_[j].end;
            endToken = j + 1;
        }
        if (compoundMember)
            edits_.push_back({tokens_[select].begin, tokens_[select].begin, "SELECT * FROM ("});
        const TopSelect top{select, last + 1, endToken,
                            i > select + 1 && !tokens_[select + 1].IsWord("ALL")};
        if (!percent) {
            const std::string rows(count.Spelling());
            const auto ties =
                laterMember ? std::nullopt : TopWithTiesLimit(text_, tokens_, top, rows);
            edits_.push_back({end, end, " LIMIT " + ties.value_or(rows)});
            if (compoundMember)
                edits_.push_back({end, end, ")"});
            return;
        }
        // TOP n PERCENT: the share of the rows the same SELECT gives, rounded up.
        std::string inner = "SELECT ";
        if (i > select + 1)
            inner.append(tokens_[select + 1].Spelling()).append(" ");
        const std::size_t rest = last + 1 < tokens_.size() ? tokens_[last + 1].begin : end;
        inner += std::string(text_.substr(rest, end > rest ? end - rest : 0));
        inner = RewriteJetSql(inner, Tokenize(inner));
        const std::string rows =
            "(SELECT CAST(x AS INTEGER) + (x > CAST(x AS INTEGER)) FROM "
            "(SELECT count(*) * " +
            std::string(count.Spelling()) + " / 100.0 AS x FROM (" + inner + ")))";
        const auto ties = laterMember ? std::nullopt : TopWithTiesLimit(text_, tokens_, top, rows);
        edits_.push_back({end, end, " LIMIT " + ties.value_or(rows)});
        if (compoundMember)
            edits_.push_back({end, end, ")"});
    }

    // DELETE * FROM t, DELETE t.* FROM t
    void DeleteStar() {
        if (tokens_.size() > 2 && tokens_[1].IsSymbol("*")) {
            Replace(tokens_[1], "");
        } else if (tokens_.size() > 4 && tokens_[1].IsName() && tokens_[2].IsSymbol(".") &&
                   tokens_[3].IsSymbol("*") && tokens_[4].IsWord("FROM")) {
            edits_.push_back({tokens_[1].begin, tokens_[3].end, {}});
        }
    }

    std::string_view text_;
    const std::vector<Token>& tokens_;
    std::vector<Edit> edits_;
    std::unordered_map<std::size_t, std::size_t> concatFirst_;  // "&" -> start of its operand
};

}  // namespace

bool StartsJetRewrite(const Token& token) {
    switch (token.kind) {
        case TokenKind::Date:
            return true;
        case TokenKind::Symbol:
            return token.IsSymbol("&");
        case TokenKind::Word: {
            static constexpr std::string_view kWords[] = {
                "TRUE", "FALSE", "LEFT", "RIGHT", "MOD", "DISTINCTROW", "LIKE", "TOP", "DELETE"};
            if (token.IsWord("ISNULL"))  // the function IsNull(), a keyword to SQLite
                return true;
            for (auto word : kWords) {
                if (token.IsWord(word))
                    return true;
            }
            return false;
        }
        default:
            return false;
    }
}

std::string RewriteJetSql(std::string_view text, const std::vector<Token>& tokens,
                          const DateFieldTest& isDateField) {
    if (auto arithmetic = RewriteArithmetic(text, tokens, isDateField))
        return Rewriter(*arithmetic, Tokenize(*arithmetic)).Run();
    return Rewriter(text, tokens).Run();
}

}  // namespace tessel::db::jetsql

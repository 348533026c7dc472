#include "core/db/jetsql/arithmetic_rewrite.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "core/db/jetsql/operands.h"
#include "core/db/jetsql/text_edits.h"

namespace tessel::db::jetsql {
namespace {

// Functions whose result is a date.
constexpr std::string_view kDateFunctions[] = {"DATE",       "NOW",       "TIME",
                                               "DATESERIAL", "DATEVALUE", "TIMESERIAL",
                                               "TIMEVALUE",  "DATEADD",   "CDATE"};

// One change to the text. Calls nest, so where several meet at one place the order matters:
// a call closes before another opens, the outer call opens before the inner one, the inner
// closes before the outer, and all of that comes before a token replaced there.
struct Edit {
    enum Kind { Close = 0, Open = 1, Replace = 2 };
    std::size_t begin;
    std::size_t end;
    std::string text;
    Kind kind;
    std::size_t spanBegin = 0;  // the call's extent, for Open and Close
    std::size_t spanEnd = 0;
};

bool IsDateFunction(const Token& token);

bool Before(const Edit& a, const Edit& b) {
    if (a.begin != b.begin)
        return a.begin < b.begin;
    if (a.kind != b.kind)
        return a.kind < b.kind;
    if (a.kind == Edit::Close)
        return a.spanBegin > b.spanBegin;
    if (a.kind == Edit::Open)
        return a.spanEnd > b.spanEnd;
    return false;
}

class ArithmeticRewriter {
  public:
    ArithmeticRewriter(std::string_view text, const std::vector<Token>& tokens,
                       const DateFieldTest& isDateField)
        : text_(text), tokens_(tokens), operands_(tokens), isDateField_(isDateField) {}

    std::optional<std::string> Run() {
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            const Token& token = tokens_[i];
            if (token.kind != TokenKind::Symbol)
                continue;
            if (token.IsSymbol("\\")) {
                if (operands_.BinaryBinding(i) == Binding::IntegerDivision)
                    IntegerDivision(i);
            } else if ((token.IsSymbol("+") || token.IsSymbol("-")) &&
                       operands_.BinaryBinding(i) == Binding::Additive) {
                // Operators before chainEnd at this depth belong to a chain already read.
                auto& chainEnd = chainEnd_[token.depth];
                if (i >= chainEnd)
                    chainEnd = AdditiveChain(i);
            }
        }
        if (edits_.empty())
            return std::nullopt;
        std::stable_sort(edits_.begin(), edits_.end(), Before);
        return ApplyEdits(text_, edits_);
    }

  private:
    void Call(std::size_t first, std::size_t last, std::string opening) {
        const std::size_t begin = tokens_[first].begin;
        const std::size_t end = tokens_[last].end;
        edits_.push_back({begin, begin, std::move(opening), Edit::Open, begin, end});
    }
    void CloseCall(std::size_t first, std::size_t last) {
        const std::size_t begin = tokens_[first].begin;
        const std::size_t end = tokens_[last].end;
        edits_.push_back({end, end, ")", Edit::Close, begin, end});
    }
    void Comma(std::size_t op) {
        edits_.push_back({tokens_[op].begin, tokens_[op].end, ",", Edit::Replace});
    }

    // a \ b \ c -> JetIntDiv(JetIntDiv(a, b), c)
    void IntegerDivision(std::size_t op) {
        std::size_t first = operands_.LeftStart(op, Binding::IntegerDivision);
        const std::size_t last = operands_.RightEnd(op, Binding::IntegerDivision);
        if (first == op || last == op)
            return;  // an operand this reading cannot delimit: SQLite reports the syntax
        if (first > 0 && operands_.BinaryBinding(first - 1) == Binding::IntegerDivision &&
            tokens_[first - 1].depth == tokens_[op].depth) {
            if (const auto before = divisionFirst_.find(first - 1); before != divisionFirst_.end())
                first = before->second;
        }
        divisionFirst_[op] = first;
        Call(first, last, "JetIntDiv(");
        Comma(op);
        CloseCall(first, last);
    }

    // The chain of + and - that the operator at `op` starts; rewritten when an operand is
    // date-valued. Gives the index after the chain's last operand.
    std::size_t AdditiveChain(std::size_t op) {
        const std::size_t start = operands_.LeftStart(op, Binding::Additive);
        if (start == op)
            return op + 1;
        const std::uint32_t depth = tokens_[op].depth;
        bool dated = Dated(start, op - 1);
        std::size_t last = op;
        std::size_t operators = 0;
        for (std::size_t at = op;;) {
            const std::size_t end = operands_.RightEnd(at, Binding::Additive);
            if (end == at)
                return at + 1;  // a chain this reading cannot delimit stays as written
            dated = dated || Dated(at + 1, end);
            ++operators;
            last = end;
            const std::size_t next = end + 1;
            if (next >= tokens_.size() || tokens_[next].depth != depth ||
                operands_.BinaryBinding(next) != Binding::Additive) {
                break;
            }
            at = next;
        }
        if (!dated)
            return last + 1;
        // JetDateSub(JetDateAdd(a, b), c): the outermost call is the chain's last operator.
        std::string opening;
        std::size_t at = op;
        for (std::size_t k = 0; k < operators; ++k) {
            opening.insert(0, tokens_[at].IsSymbol("+") ? "JetDateAdd(" : "JetDateSub(");
            const std::size_t end = operands_.RightEnd(at, Binding::Additive);
            Comma(at);
            CloseCall(start, end);
            at = end + 1;
        }
        Call(start, last, std::move(opening));
        return last + 1;
    }

    // Whether tokens first..last hold something date-valued.
    bool Dated(std::size_t first, std::size_t last) {
        if (!dateTokens_) {
            dateTokens_.emplace();
            for (std::size_t i = 0; i < tokens_.size(); ++i) {
                if (DateValued(i))
                    dateTokens_->push_back(i);
            }
        }
        const auto found = std::lower_bound(dateTokens_->begin(), dateTokens_->end(), first);
        return found != dateTokens_->end() && *found <= last;
    }

    bool DateValued(std::size_t i) const {
        const Token& token = tokens_[i];
        if (token.kind == TokenKind::Date)
            return true;
        const bool call = i + 1 < tokens_.size() && tokens_[i + 1].IsSymbol("(");
        if (token.kind == TokenKind::Word && call)
            return IsDateFunction(token);
        const bool qualifier = i + 1 < tokens_.size() &&
                               (tokens_[i + 1].IsSymbol(".") || tokens_[i + 1].IsSymbol("!"));
        return token.IsName() && !call && !qualifier && isDateField_ && isDateField_(token.Value());
    }

    std::string_view text_;
    const std::vector<Token>& tokens_;
    Operands operands_;
    const DateFieldTest& isDateField_;
    std::vector<Edit> edits_;
    std::optional<std::vector<std::size_t>> dateTokens_;          // read when a chain is first met
    std::unordered_map<std::size_t, std::size_t> divisionFirst_;  // "\" -> its left operand
    std::unordered_map<std::uint32_t, std::size_t> chainEnd_;     // depth -> end of last chain
};

bool IsDateFunction(const Token& token) {
    for (auto name : kDateFunctions) {
        if (token.IsWord(name))
            return true;
    }
    return false;
}

}  // namespace

bool StartsArithmeticRewrite(const Token& token) {
    return token.IsSymbol("\\") || IsDateFunction(token);
}

bool HasSumNextToName(std::string_view text) {
    if (text.find_first_of("+-") == std::string_view::npos)
        return false;
    const auto additive = [](const Token& t) { return t.IsSymbol("+") || t.IsSymbol("-"); };
    Token previous;
    Token token;
    bool first = true;
    for (TokenStream stream(text); stream.Next(token); previous = token, first = false) {
        if (!first &&
            ((additive(previous) && token.IsName()) || (previous.IsName() && additive(token)))) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> RewriteArithmetic(std::string_view text,
                                             const std::vector<Token>& tokens,
                                             const DateFieldTest& isDateField) {
    return ArithmeticRewriter(text, tokens, isDateField).Run();
}

}  // namespace tessel::db::jetsql

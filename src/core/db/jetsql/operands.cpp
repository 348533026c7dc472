#include "core/db/jetsql/operands.h"

#include <string_view>

namespace tessel::db::jetsql {
namespace {

// Words that end an operand: operators that bind more loosely and clause keywords.
constexpr std::string_view kKeywords[] = {
    "LIKE",  "IS",      "BETWEEN",  "IN",          "NOT",       "AND",     "OR",    "XOR",
    "EQV",   "IMP",     "SELECT",   "FROM",        "WHERE",     "AS",      "SET",   "VALUES",
    "ON",    "WHEN",    "THEN",     "ELSE",        "END",       "CASE",    "GROUP", "ORDER",
    "BY",    "HAVING",  "DISTINCT", "DISTINCTROW", "TOP",       "INTO",    "ASC",   "DESC",
    "UNION", "LIMIT",   "JOIN",     "ALL",         "ESCAPE",    "COLLATE", "GLOB",  "REGEXP",
    "MATCH", "ISNULL",  "NOTNULL",  "OFFSET",      "INTERSECT", "EXCEPT",  "WITH",  "RETURNING",
    "OVER",  "FILTER",  "WINDOW",   "PIVOT",       "INNER",     "LEFT",    "RIGHT", "OUTER",
    "CROSS", "NATURAL", "USING",    "PERCENT"};

// Symbols an operand holds besides its values: groups, qualifiers and unary signs.
constexpr std::string_view kPartSymbols[] = {"(", ")", ".", "!", "+", "-", "~"};

}  // namespace

bool Operands::IsKeyword(std::size_t i) const {
    const Token& token = tokens_[i];
    if (token.kind != TokenKind::Word)
        return false;
    // Left( and Right( are the functions, not the join keywords.
    if ((token.IsWord("LEFT") || token.IsWord("RIGHT")) && i + 1 < tokens_.size() &&
        tokens_[i + 1].IsSymbol("(")) {
        return false;
    }
    for (auto word : kKeywords) {
        if (token.IsWord(word))
            return true;
    }
    return false;
}

bool Operands::StartsValue(std::size_t i) const {
    const Token& token = tokens_[i];
    switch (token.kind) {
        case TokenKind::Number:
        case TokenKind::String:
        case TokenKind::Date:
        case TokenKind::QuotedName:
            return true;
        case TokenKind::Word:
            return !IsKeyword(i) && !token.IsWord("MOD");
        default:
            return false;
    }
}

bool Operands::EndsValue(std::size_t i) const {
    return StartsValue(i) || tokens_[i].IsSymbol(")") || tokens_[i].IsWord("END");
}

Binding Operands::BinaryBinding(std::size_t i) const {
    const Token& token = tokens_[i];
    if (i == 0 || !EndsValue(i - 1))
        return Binding::None;
    if (token.IsWord("MOD"))
        return Binding::Modulo;
    if (token.kind != TokenKind::Symbol)
        return Binding::None;
    const std::string_view symbol = token.Spelling();
    if (symbol == "*" || symbol == "/" || symbol == "%")
        return Binding::Multiplicative;
    if (symbol == "\\")
        return Binding::IntegerDivision;
    if (symbol == "^")
        return Binding::Exponent;
    if (symbol == "+" || symbol == "-")
        return Binding::Additive;
    if (symbol == "&" || symbol == "||")
        return Binding::Concatenation;
    return Binding::None;
}

bool Operands::Stops(std::size_t i, std::uint32_t depth, Binding binding) const {
    const Token& token = tokens_[i];
    if (token.depth != depth)
        return false;
    const Binding own = BinaryBinding(i);
    if (own != Binding::None)
        return static_cast<int>(own) <= static_cast<int>(binding);
    if (token.kind == TokenKind::Word)
        return IsKeyword(i) && !token.IsWord("END") && !token.IsWord("CASE");
    if (token.kind != TokenKind::Symbol)
        return false;
    for (auto symbol : kPartSymbols) {
        if (token.Spelling() == symbol)
            return false;
    }
    return true;
}

std::size_t Operands::LeftStart(std::size_t op, Binding binding) const {
    const std::uint32_t depth = tokens_[op].depth;
    std::size_t first = op;
    for (std::size_t j = op; j-- > 0;) {
        const Token& token = tokens_[j];
        if (token.depth < depth)
            break;
        if (token.depth == depth) {
            if (token.IsWord("END")) {
                // CASE ... END is one value: go back to its CASE.
                int open = 0;
                std::size_t k = j + 1;
                while (k-- > 0) {
                    if (tokens_[k].depth == depth && tokens_[k].IsWord("END"))
                        ++open;
                    if (tokens_[k].depth == depth && tokens_[k].IsWord("CASE") && --open == 0)
                        break;
                    if (k == 0)
                        return first;  // no CASE: not a value this reading can delimit
                }
                first = j = k;
                continue;
            }
            if (Stops(j, depth, binding) || token.IsWord("CASE"))
                break;
            if (first != op && EndsValue(j) && StartsValue(first))
                break;
        }
        first = j;
    }
    return first;
}

std::size_t Operands::RightEnd(std::size_t op, Binding binding) const {
    const std::uint32_t depth = tokens_[op].depth;
    std::size_t last = op;
    for (std::size_t j = op + 1; j < tokens_.size(); ++j) {
        const Token& token = tokens_[j];
        if (token.depth < depth)
            break;
        if (token.depth == depth) {
            if (last != op && EndsValue(last) && StartsValue(j))
                break;  // a value after a value: an alias
            if (token.IsWord("CASE") && last == op) {
                // CASE ... END is one value: go on to its END.
                int open = 0;
                std::size_t k = j;
                for (; k < tokens_.size(); ++k) {
                    if (tokens_[k].depth == depth && tokens_[k].IsWord("CASE"))
                        ++open;
                    if (tokens_[k].depth == depth && tokens_[k].IsWord("END") && --open == 0)
                        break;
                }
                if (k == tokens_.size())
                    return op;
                last = j = k;
                continue;
            }
            if (Stops(j, depth, binding) || token.IsWord("CASE") || token.IsWord("END"))
                break;
        }
        last = j;
    }
    return last;
}

}  // namespace tessel::db::jetsql

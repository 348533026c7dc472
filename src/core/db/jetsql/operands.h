// The operands of the classic engine's binary operators, found on tokens without a full parse.
// An operand runs, at its operator's parenthesis depth, up to an operator that binds as loosely
// or more loosely, a comparison, a comma or a clause keyword; a CASE ... END and anything in
// parentheses belong to it whole. Two values side by side end it too: in "x + 1 total" the
// name "total" is an alias, not part of the sum.
#pragma once

#include <cstddef>
#include <vector>

#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

// How tightly a binary operator binds, as the classic engine ranks them.
enum class Binding : int {
    None = 0,             // not an operator inside an operand: a boundary
    Concatenation = 2,    // & (and SQLite's ||)
    Additive = 3,         // binary + and -
    Modulo = 4,           // Mod
    IntegerDivision = 5,  // backslash
    Multiplicative = 6,   // * and /
    Exponent = 7,         // ^
};

class Operands {
  public:
    explicit Operands(const std::vector<Token>& tokens) : tokens_(tokens) {}

    // The binding of the token at `i` when it is a binary operator; Binding::None when it is
    // not one (a unary sign, a value, a keyword, a comparison, ...).
    Binding BinaryBinding(std::size_t i) const;

    // A token that ends a value: a name, a literal, ")" or END.
    bool EndsValue(std::size_t i) const;
    // A token that starts a value of its own: a name or a literal.
    bool StartsValue(std::size_t i) const;

    // First token of the operand left of the operator at `op` that binds as `binding` does.
    // An operator of the same binding stops it (left to right). `op` when there is none.
    std::size_t LeftStart(std::size_t op, Binding binding) const;
    // Last token of the operand right of the operator at `op`; `op` when there is none.
    std::size_t RightEnd(std::size_t op, Binding binding) const;

  private:
    bool IsKeyword(std::size_t i) const;
    // A token at the operator's depth that the operand cannot hold.
    bool Stops(std::size_t i, std::uint32_t depth, Binding binding) const;

    const std::vector<Token>& tokens_;
};

}  // namespace tessel::db::jetsql

// The rules a field's type sets on its values, written into the table's definition as named
// CHECK constraints so that SQLite refuses a value that does not fit on every write, from this
// program or any other tool; and the collation that makes text compare without regard to case.
// The expressions use SQLite's built-in functions only, so that every tool can check them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/db/jetsql/ddl_statement.h"

namespace tessel::db::jetsql {

// What a rule refuses: a value of the wrong kind, one too long, or a number out of range.
enum class RuleKind { Kind, Size, Range };

// What a rule's constraint name tells: SQLite names it in its failure message.
struct TypeRuleName {
    RuleKind kind = RuleKind::Kind;
    std::string type;  // the type's classic name: "Long", "Text", "Date/Time", ...
    std::string table;
    std::string field;
};

// The constraint name of a rule, and the rule read back from a name; nothing for any other
// constraint's name.
std::string TypeRuleConstraintName(const TypeRuleName& rule);
std::optional<TypeRuleName> ReadTypeRuleName(std::string_view name);

bool IsTypeRule(const Constraint& constraint);

// The column's type rules in place of those it had (none for a type without rules), named for
// `table`; a text field without a collation of its own compares without regard to case.
void ApplyTypeRules(ColumnDefinition& column, const std::string& table);

// The rules of a definition named again after a table or field got a new name; false when
// every name was right already.
bool RenameTypeRules(CreateTable& definition, const std::string& table);

}  // namespace tessel::db::jetsql

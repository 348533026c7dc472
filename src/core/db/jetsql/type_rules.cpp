#include "core/db/jetsql/type_rules.h"

#include <algorithm>
#include <array>

#include "core/db/engine.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::jetsql {
namespace {

// Names of rules start so; no name the program accepts from a person holds a '.', so a rule
// name cannot be taken for a person's constraint.
constexpr std::string_view kPrefix = "jet_type:";

constexpr std::array<std::pair<RuleKind, std::string_view>, 3> kKindWords{{
    {RuleKind::Kind, "kind"},
    {RuleKind::Size, "size"},
    {RuleKind::Range, "range"},
}};

// The classic name of a type, as the messages name it.
std::string TypeLabel(int code) {
    switch (code) {
        case ftype::kBoolean:
            return "Yes/No";
        case ftype::kByte:
            return "Byte";
        case ftype::kInteger:
            return "Integer";
        case ftype::kLong:
            return "Long";
        case ftype::kCurrency:
            return "Currency";
        case ftype::kSingle:
            return "Single";
        case ftype::kDouble:
            return "Double";
        case ftype::kDate:
            return "Date/Time";
        case ftype::kBinary:
            return "Binary";
        case ftype::kText:
            return "Text";
        case ftype::kLongBinary:
            return "Long Binary";
        case ftype::kMemo:
            return "Memo";
        case ftype::kGuid:
            return "GUID";
        case ftype::kBigInt:
            return "BigInt";
        case ftype::kVarBinary:
            return "VarBinary";
        case ftype::kChar:
            return "Char";
        default:
            return {};
    }
}

struct Rule {
    RuleKind kind;
    std::string check;
};

// typeof() of the value is one of `kinds` (SQL list text such as "'integer', 'real'") or null.
std::string KindIs(const std::string& x, const std::string& kinds) {
    return "typeof(" + x + ") IN (" + kinds + ", 'null')";
}

// A rule on values of `kinds` only, so that each rule refuses for its own reason.
std::string ForKinds(const std::string& x, const std::string& kinds, const std::string& test) {
    return "typeof(" + x + ") NOT IN (" + kinds + ") OR " + test;
}

std::vector<Rule> WholeNumber(const std::string& x, const char* low, const char* high) {
    std::vector<Rule> rules{{RuleKind::Kind, KindIs(x, "'integer'")}};
    if (low != nullptr) {
        rules.push_back(
            {RuleKind::Range, ForKinds(x, "'integer'", x + " BETWEEN " + low + " AND " + high)});
    }
    return rules;
}

std::vector<Rule> Sized(const std::string& x, const char* kind, long size) {
    return {{RuleKind::Kind, KindIs(x, kind)},
            {RuleKind::Size, ForKinds(x, kind, "length(" + x + ") <= " + std::to_string(size))}};
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" naming a real day of the years 100 to 9999
// and a real time: SQLite's julianday() carries 02-30 into March and 24:00 into the next day,
// so the text must come back unchanged.
std::string DateCheck(const std::string& x) {
    // IS, not =: a text that names no date gives julianday() NULL, which would let it pass.
    // The year is compared as text: beside the column's numeric affinity '0100' is a number.
    const std::string year = "substr(" + x + ", 1, 4) >= '0100'";
    return "typeof(" + x + ") = 'null' OR (typeof(" + x + ") = 'text' AND ((length(" + x +
           ") = 10 AND " + year + " AND date(julianday(" + x + ")) IS " + x + ") OR (length(" + x +
           ") = 19 AND " + year + " AND datetime(julianday(" + x + ")) IS " + x + ") OR (length(" +
           x + ") = 8 AND time(julianday(" + x + ")) IS " + x + ")))";
}

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" in hexadecimal digits, or its 16 bytes.
std::string GuidCheck(const std::string& x) {
    std::string pattern = "{";
    for (int group : {8, 4, 4, 4, 12}) {
        if (pattern.size() > 1)
            pattern += '-';
        for (int i = 0; i < group; ++i)
            pattern += "[0-9A-Fa-f]";
    }
    pattern += '}';
    return "typeof(" + x + ") = 'null' OR (typeof(" + x + ") = 'text' AND " + x + " GLOB '" +
           pattern + "') OR (typeof(" + x + ") = 'blob' AND length(" + x + ") = 16)";
}

std::vector<Rule> RulesOf(const ColumnDefinition& column) {
    const std::string x = QuoteName(column.name);
    const char* numbers = "'integer', 'real'";
    switch (column.type.code) {
        case ftype::kByte:
            return WholeNumber(x, "0", "255");
        case ftype::kInteger:
            return WholeNumber(x, "-32768", "32767");
        case ftype::kLong:
            return WholeNumber(x, "-2147483648", "2147483647");
        case ftype::kBigInt:
            return WholeNumber(x, nullptr, nullptr);
        case ftype::kSingle:
            return {{RuleKind::Kind, KindIs(x, numbers)},
                    {RuleKind::Range, ForKinds(x, numbers, "abs(" + x + ") <= 3.402823466E+38")}};
        case ftype::kDouble:
            return {{RuleKind::Kind, KindIs(x, numbers)}};
        case ftype::kCurrency:
            // Four decimals are told apart only where a double holds them (below 1E11).
            return {
                {RuleKind::Kind, KindIs(x, numbers) + " AND (typeof(" + x + ") <> 'real' OR abs(" +
                                     x + ") >= 1E11 OR round(" + x + ", 4) = " + x + ")"},
                {RuleKind::Range,
                 ForKinds(x, numbers,
                          x + " BETWEEN -922337203685477.5808 AND 922337203685477.5807")}};
        case ftype::kText:
        case ftype::kChar:
            return Sized(x, "'text'", column.type.size);
        case ftype::kMemo:
            return {{RuleKind::Kind, KindIs(x, "'text'")}};
        case ftype::kDate:
            return {{RuleKind::Kind, DateCheck(x)}};
        case ftype::kBoolean:
            return {{RuleKind::Kind, x + " IN (-1, 0, 1)"}};
        case ftype::kGuid:
            return {{RuleKind::Kind, GuidCheck(x)}};
        case ftype::kBinary:
        case ftype::kVarBinary:
            return Sized(x, "'blob'", column.type.size);
        case ftype::kLongBinary:
            return {{RuleKind::Kind, KindIs(x, "'blob'")}};
        default:
            return {};
    }
}

bool IsTextType(int code) {
    return code == ftype::kText || code == ftype::kMemo || code == ftype::kChar;
}

}  // namespace

std::string TypeRuleConstraintName(const TypeRuleName& rule) {
    std::string name(kPrefix);
    for (const auto& [kind, word] : kKindWords) {
        if (kind == rule.kind)
            name += word;
    }
    return name + ":" + rule.type + ":" + rule.table + "." + rule.field;
}

std::optional<TypeRuleName> ReadTypeRuleName(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix)
        return std::nullopt;
    name.remove_prefix(kPrefix.size());
    const auto kindEnd = name.find(':');
    const auto typeEnd = kindEnd == std::string_view::npos ? kindEnd : name.find(':', kindEnd + 1);
    const auto dot = typeEnd == std::string_view::npos ? typeEnd : name.find('.', typeEnd + 1);
    if (dot == std::string_view::npos)
        return std::nullopt;
    TypeRuleName rule;
    bool known = false;
    for (const auto& [kind, word] : kKindWords) {
        if (name.substr(0, kindEnd) == word) {
            rule.kind = kind;
            known = true;
        }
    }
    if (!known)
        return std::nullopt;
    rule.type = std::string(name.substr(kindEnd + 1, typeEnd - kindEnd - 1));
    rule.table = std::string(name.substr(typeEnd + 1, dot - typeEnd - 1));
    rule.field = std::string(name.substr(dot + 1));
    return rule;
}

bool IsTypeRule(const Constraint& constraint) {
    return constraint.kind == ConstraintKind::Check &&
           ReadTypeRuleName(constraint.name).has_value();
}

void ApplyTypeRules(ColumnDefinition& column, const std::string& table) {
    std::erase_if(column.constraints, IsTypeRule);
    // A field declared without a type, as SQLite allows, takes any value, as it always did.
    if (column.declaredType.empty())
        return;
    // A collation the statement named stays.
    if (column.collation.empty() && IsTextType(column.type.code))
        column.collation = "NOCASE";
    for (auto& rule : RulesOf(column)) {
        Constraint constraint;
        constraint.kind = ConstraintKind::Check;
        constraint.name =
            TypeRuleConstraintName({rule.kind, TypeLabel(column.type.code), table, column.name});
        constraint.check = std::move(rule.check);
        column.constraints.push_back(std::move(constraint));
    }
}

bool RenameTypeRules(CreateTable& definition, const std::string& table) {
    bool renamed = false;
    for (auto& column : definition.columns) {
        for (auto& constraint : column.constraints) {
            if (auto rule = ReadTypeRuleName(constraint.name);
                rule && constraint.kind == ConstraintKind::Check) {
                rule->table = table;
                rule->field = column.name;
                const std::string name = TypeRuleConstraintName(*rule);
                renamed = renamed || name != constraint.name;
                constraint.name = name;
            }
        }
    }
    return renamed;
}

}  // namespace tessel::db::jetsql

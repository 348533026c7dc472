#include "core/db/jetsql/external_tables.h"

#include <algorithm>
#include <optional>

#include "core/db/connection_text.h"
#include "core/db/jetsql/quote.h"
#include "core/db/jetsql/text_edits.h"

namespace tessel::db::jetsql {
namespace {

// One reference in the statement: the table's token, and the characters to drop (an IN
// clause), empty for the bracketed spelling.
struct Reference {
    ExternalTable table;
    std::size_t nameBegin = 0;  // the characters that become schema."table"
    std::size_t nameEnd = 0;
    std::size_t dropBegin = 0;  // the IN clause
    std::size_t dropEnd = 0;
};

struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

// A connect text that names its database: "dBase IV;DATABASE=/data", ";DATABASE=shop.mdb".
std::optional<std::string> DatabaseOf(const std::string& connect) {
    if (connect.find(';') == std::string::npos)
        return std::nullopt;
    auto path = ConnectValue(connect, "DATABASE");
    if (!path || path->empty())
        return std::nullopt;
    return path;
}

// A "," of a FROM list, not of a select list or an argument list.
bool InFromList(const std::vector<Token>& tokens, std::size_t comma) {
    static constexpr std::string_view kOtherClauses[] = {"SELECT", "WHERE", "ON",    "SET",
                                                         "VALUES", "GROUP", "ORDER", "HAVING"};
    for (std::size_t i = comma; i-- > 0;) {
        if (tokens[i].depth != tokens[comma].depth)
            continue;
        if (tokens[i].IsWord("FROM"))
            return true;
        for (auto clause : kOtherClauses) {
            if (tokens[i].IsWord(clause))
                return false;
        }
    }
    return false;
}

// What comes before a table in a FROM list, a JOIN or the target of a change.
bool StartsTableReference(const std::vector<Token>& tokens, std::size_t at) {
    const Token& token = tokens[at];
    if (token.IsSymbol(","))
        return InFromList(tokens, at);
    return token.IsWord("FROM") || token.IsWord("JOIN") || token.IsWord("INTO") ||
           token.IsWord("UPDATE");
}

bool IsChangedTarget(const std::vector<Token>& tokens, std::size_t table) {
    if (table == 0 || tokens[table].depth != 0)
        return false;
    const Token& before = tokens[table - 1];
    if (tokens[0].IsWord("INSERT") || tokens[0].IsWord("REPLACE"))
        return before.IsWord("INTO");
    if (tokens[0].IsWord("UPDATE"))
        return table == 1;
    return tokens[0].IsWord("DELETE") && before.IsWord("FROM");
}

// The table of a reference that ends just before `in`: "t", "t alias" or "t AS alias".
std::optional<std::size_t> TableBefore(const std::vector<Token>& tokens, std::size_t in) {
    const auto nameAt = [&](std::size_t i) { return i < in && tokens[i].IsName(); };
    if (in < 2 || !nameAt(in - 1))
        return std::nullopt;
    if (StartsTableReference(tokens, in - 2))
        return in - 1;
    if (in >= 4 && tokens[in - 2].IsWord("AS") && nameAt(in - 3) &&
        StartsTableReference(tokens, in - 4)) {
        return in - 3;
    }
    if (in >= 3 && nameAt(in - 2) && StartsTableReference(tokens, in - 3))
        return in - 2;
    return std::nullopt;
}

// IN 'path' ['connect'], or IN "" [connect;DATABASE=path], after a table reference.
std::optional<Reference> InClauseAt(const std::vector<Token>& tokens, std::size_t in) {
    if (in + 1 >= tokens.size())
        return std::nullopt;
    const auto table = TableBefore(tokens, in);
    if (!table)
        return std::nullopt;
    const Token& first = tokens[in + 1];
    const Token* second = in + 2 < tokens.size() ? &tokens[in + 2] : nullptr;
    const bool secondIsText = second != nullptr && (second->kind == TokenKind::String ||
                                                    second->kind == TokenKind::QuotedName);
    Reference reference;
    std::size_t last = in + 1;
    if (first.kind == TokenKind::String) {
        reference.table.path = first.Value();
        if (second != nullptr && second->kind == TokenKind::String) {
            reference.table.connect = second->Value();
            last = in + 2;
        }
    } else if (first.kind == TokenKind::QuotedName && first.Value().empty() && secondIsText) {
        // IN "" [dBase IV;DATABASE=/data]: the connect text names the database.
        reference.table.connect = second->Value();
        reference.table.path = DatabaseOf(reference.table.connect).value_or("");
        last = in + 2;
    } else {
        return std::nullopt;
    }
    reference.table.table = tokens[*table].Value();
    reference.table.changed = IsChangedTarget(tokens, *table);
    reference.nameBegin = tokens[*table].begin;
    reference.nameEnd = tokens[*table].end;
    reference.dropBegin = tokens[in].begin;
    reference.dropEnd = tokens[last].end;
    return reference;
}

// [connect;DATABASE=path].table
std::optional<Reference> BracketedAt(const std::vector<Token>& tokens, std::size_t at) {
    if (at + 2 >= tokens.size() || !tokens[at + 1].IsSymbol(".") || !tokens[at + 2].IsName())
        return std::nullopt;
    if (at > 0 && tokens[at - 1].IsSymbol("."))
        return std::nullopt;
    const std::string connect = tokens[at].Value();
    const auto path = DatabaseOf(connect);
    if (!path)
        return std::nullopt;
    Reference reference;
    reference.table = {connect, *path, tokens[at + 2].Value(), IsChangedTarget(tokens, at)};
    reference.nameBegin = tokens[at].begin;
    reference.nameEnd = tokens[at + 2].end;
    reference.dropBegin = reference.dropEnd = reference.nameEnd;
    return reference;
}

std::vector<Reference> FindReferences(const std::vector<Token>& tokens) {
    std::vector<Reference> found;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::optional<Reference> reference;
        if (tokens[i].IsWord("IN"))
            reference = InClauseAt(tokens, i);
        else if (tokens[i].kind == TokenKind::QuotedName && MayNameExternalTable(tokens[i]))
            reference = BracketedAt(tokens, i);
        if (reference)
            found.push_back(std::move(*reference));
    }
    return found;
}

}  // namespace

bool MayNameExternalTable(const Token& token) {
    if (token.IsWord("IN"))
        return true;
    return token.kind == TokenKind::QuotedName && token.Spelling().find(';') != std::string::npos;
}

std::vector<ExternalTable> FindExternalTables(const std::vector<Token>& tokens) {
    std::vector<ExternalTable> tables;
    for (auto& reference : FindReferences(tokens))
        tables.push_back(std::move(reference.table));
    return tables;
}

std::string RewriteExternalTables(std::string_view text, const std::vector<Token>& tokens,
                                  const AttachExternal& attach) {
    const std::vector<Reference> references = FindReferences(tokens);
    if (references.empty())
        return std::string(text);
    std::vector<Edit> edits;
    for (const auto& reference : references) {
        const std::string schema = attach(reference.table);
        edits.push_back({reference.nameBegin, reference.nameEnd,
                         QuoteName(schema) + "." + QuoteName(reference.table.table)});
        if (reference.dropEnd > reference.dropBegin)
            edits.push_back({reference.dropBegin, reference.dropEnd, {}});
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    return ApplyEdits(text, edits);
}

}  // namespace tessel::db::jetsql

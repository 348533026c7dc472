#include "core/db/jetsql/single_statement.h"

#include <set>
#include <string>

#include "core/base/text.h"
#include "core/db/errors.h"

namespace tessel::db::jetsql {
namespace {

// CREATE [TEMP] TRIGGER ... BEGIN ...; ...; END holds ";" of its own.
bool IsTriggerDefinition(const std::vector<Token>& tokens) {
    if (tokens.empty() || !tokens[0].IsWord("CREATE"))
        return false;
    for (std::size_t i = 1; i < tokens.size() && i < 4; ++i) {
        if (tokens[i].IsWord("TRIGGER"))
            return true;
    }
    return false;
}

// Parameters a statement asks for: "?", "?NNN", ":name", "@name" and "$name", each distinct one
// once. Nothing supplies them here, and SQLite would bind Null to each.
std::size_t CountParameters(const std::vector<Token>& tokens) {
    std::set<std::string> named;
    std::size_t anonymous = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        const Token* next = i + 1 < tokens.size() ? &tokens[i + 1] : nullptr;
        const bool joined = next != nullptr && next->begin == token.end;
        if (token.IsSymbol("?")) {
            if (joined && next->kind == TokenKind::Number) {
                named.insert("?" + std::string(next->Spelling()));
            } else {
                ++anonymous;
            }
        } else if ((token.IsSymbol(":") || token.IsSymbol("@") || token.IsSymbol("$")) && joined &&
                   next->IsName()) {
            named.insert(std::string(token.Spelling()) + next->Value());
        } else if (token.kind == TokenKind::Word && token.Spelling().size() > 1 &&
                   token.Spelling().front() == '$') {
            named.insert(std::string(token.Spelling()));
        }
    }
    return anonymous + named.size();
}

}  // namespace

SingleStatement ReadSingleStatement(const std::string& statement) {
    // SQLite reads a statement only up to a NUL, so "DELETE FROM T<NUL> WHERE ..." would run
    // as an unconditional DELETE: such a statement is refused whole.
    if (const auto nul = statement.find('\0'); nul != std::string::npos) {
        throw EngineError(err::kInvalidStatement,
                          "Invalid SQL statement: it holds a NUL character (after '" +
                              statement.substr(0, nul) +
                              "'), so it was not run. Remove the character from the script.");
    }
    auto tokens = Tokenize(statement);
    while (!tokens.empty() && tokens.back().IsSymbol(";"))
        tokens.pop_back();
    if (tokens.empty()) {
        throw EngineError(err::kInvalidStatement,
                          "Invalid SQL statement: the statement is empty; expected DELETE, "
                          "INSERT, SELECT, UPDATE or a data definition statement.");
    }
    for (const auto& token : tokens) {
        if (token.IsSymbol(";") && !IsTriggerDefinition(tokens)) {
            throw EngineError(err::kTextAfterStatement,
                              "Characters found after the end of the SQL statement: '" +
                                  statement.substr(token.begin) + "'.");
        }
    }
    if (const std::size_t parameters = CountParameters(tokens); parameters > 0) {
        throw EngineError(err::kUnknownField,
                          "Too few parameters. Expected " + std::to_string(parameters) + ".");
    }
    if (tokens.front().IsWord("TRANSFORM")) {
        throw EngineError(err::kNotSupported,
                          "Crosstab queries (TRANSFORM ... PIVOT) cannot be run by this program; "
                          "write a SELECT with GROUP BY and one IIf column for each value "
                          "instead.");
    }
    // A database reached through ATTACH would be read and changed without its password ever
    // being asked for; other databases are reached only by opening them.
    if (tokens.front().IsWord("ATTACH") || tokens.front().IsWord("DETACH")) {
        throw EngineError(err::kInvalidStatement,
                          "Invalid SQL statement: " + base::UpperAscii(tokens.front().Spelling()) +
                              " is not supported by this program. Open the other database "
                              "with dbOpen instead, so that its password is asked for.");
    }
    const std::string_view text = std::string_view(statement).substr(0, tokens.back().end);
    return SingleStatement{text, std::move(tokens)};
}

std::optional<std::size_t> FindSelectInto(const std::vector<Token>& tokens) {
    if (tokens.empty() || !tokens[0].IsWord("SELECT"))
        return std::nullopt;
    int depth = 0;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        if (tokens[i].IsSymbol("("))
            ++depth;
        if (tokens[i].IsSymbol(")"))
            --depth;
        if (depth != 0)
            continue;
        if (tokens[i].IsWord("FROM"))
            return std::nullopt;
        if (tokens[i].IsWord("INTO"))
            return i;
    }
    return std::nullopt;
}

}  // namespace tessel::db::jetsql

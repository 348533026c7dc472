#include "core/db/jetsql/single_statement.h"

#include <set>
#include <string>

#include "core/base/text.h"
#include "core/db/errors.h"
#include "core/db/jetsql/arithmetic_rewrite.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/external_tables.h"

namespace tessel::db::jetsql {
namespace {

// CREATE [TEMP] TRIGGER ... BEGIN ...; ...; END holds ";" of its own.
bool IsTriggerDefinition(const std::vector<Token>& head) {
    if (head.empty() || !head[0].IsWord("CREATE"))
        return false;
    for (std::size_t i = 1; i < head.size(); ++i) {
        if (head[i].IsWord("TRIGGER"))
            return true;
    }
    return false;
}

// Parameters a statement asks for: "?", "?NNN", ":name", "@name" and "$name", each distinct one
// once. Nothing supplies them here, and SQLite would bind Null to each.
class ParameterCount {
  public:
    // Each token in turn with the one after it (nothing after the last).
    void Add(const Token& token, const Token* next) {
        const bool joined = next != nullptr && next->begin == token.end;
        if (token.IsSymbol("?")) {
            if (joined && next->kind == TokenKind::Number) {
                named_.insert("?" + std::string(next->Spelling()));
            } else {
                ++anonymous_;
            }
        } else if ((token.IsSymbol(":") || token.IsSymbol("@") || token.IsSymbol("$")) && joined &&
                   next->IsName()) {
            named_.insert(std::string(token.Spelling()) + next->Value());
        } else if (token.kind == TokenKind::Word && token.Spelling().size() > 1 &&
                   token.Spelling().front() == '$') {
            named_.insert(std::string(token.Spelling()));
        }
    }
    std::size_t Total() const { return anonymous_ + named_.size(); }

  private:
    std::set<std::string> named_;
    std::size_t anonymous_ = 0;
};

// A token that a pass after this one reads: the DDL translation and the check of created names
// (from the first token), the crosstab's reading, SELECT ... INTO, tables of other databases
// and the Jet rewrites.
bool ReadLater(const Token& token, bool first) {
    if (first && (token.IsWord("CREATE") || token.IsWord("DROP") || token.IsWord("ALTER") ||
                  token.IsWord("REINDEX") || token.IsWord("TRANSFORM"))) {
        return true;
    }
    return token.IsWord("INTO") || MayNameExternalTable(token) || StartsJetRewrite(token) ||
           StartsArithmeticRewrite(token);
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
    // One forward pass that keeps no tokens: a statement of many megabytes would otherwise
    // cost many times its size in tokens that nothing reads.
    std::vector<Token> head;  // the first few, which say what kind of statement this is
    std::optional<std::uint32_t> firstSemicolon;
    std::uint32_t end = 0;  // where the last token that is not ";" ends
    bool keepTokens = false;
    ParameterCount parameters;
    Token previous;
    bool havePrevious = false;
    Token token;
    for (TokenStream stream(statement); stream.Next(token);) {
        if (head.size() < 4)
            head.push_back(token);
        if (havePrevious)
            parameters.Add(previous, &token);
        if (token.IsSymbol(";")) {
            if (!firstSemicolon)
                firstSemicolon = token.begin;
        } else {
            keepTokens = keepTokens || ReadLater(token, end == 0);
            end = token.end;
        }
        previous = token;
        havePrevious = true;
    }
    if (havePrevious)
        parameters.Add(previous, nullptr);
    if (end == 0) {
        throw EngineError(err::kInvalidStatement,
                          "Invalid SQL statement: the statement is empty; expected DELETE, "
                          "INSERT, SELECT, UPDATE or a data definition statement.");
    }
    if (firstSemicolon && *firstSemicolon < end && !IsTriggerDefinition(head)) {
        throw EngineError(err::kTextAfterStatement,
                          "Characters found after the end of the SQL statement: '" +
                              statement.substr(*firstSemicolon) + "'.");
    }
    if (parameters.Total() > 0) {
        throw EngineError(err::kUnknownField, "Too few parameters. Expected " +
                                                  std::to_string(parameters.Total()) + ".");
    }
    const Token& front = head.front();
    // A database reached through ATTACH would be read and changed without its password ever
    // being asked for; other databases are reached only by opening them.
    if (front.IsWord("ATTACH") || front.IsWord("DETACH")) {
        throw EngineError(err::kInvalidStatement,
                          "Invalid SQL statement: " + base::UpperAscii(front.Spelling()) +
                              " is not supported by this program. Open the other database "
                              "with dbOpen instead, so that its password is asked for.");
    }
    const std::string_view text = std::string_view(statement).substr(0, end);
    return SingleStatement{text, keepTokens ? Tokenize(text) : std::vector<Token>{}};
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

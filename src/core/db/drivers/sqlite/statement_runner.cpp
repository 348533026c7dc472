#include "core/db/drivers/sqlite/statement_runner.h"

#include "core/db/drivers/sqlite/cursor.h"
#include "core/db/drivers/sqlite/ddl_executor.h"
#include "core/db/drivers/sqlite/select_into.h"
#include "core/db/jetsql/ddl_parser.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::sqlite {

namespace {

// CREATE [TEMP] TRIGGER ... BEGIN ...; ...; END holds ";" of its own.
bool IsTriggerDefinition(const std::vector<jetsql::Token>& tokens) {
    if (tokens.empty() || !tokens[0].IsWord("CREATE"))
        return false;
    for (std::size_t i = 1; i < tokens.size() && i < 4; ++i) {
        if (tokens[i].IsWord("TRIGGER"))
            return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<Cursor> ExecuteJetStatement(Handle& handle, const std::string& statement) {
    auto tokens = jetsql::Tokenize(statement);
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
    const std::string text = statement.substr(0, tokens.back().end);
    if (tokens.front().IsWord("TRANSFORM")) {
        throw EngineError(err::kNotSupported,
                          "Crosstab queries (TRANSFORM ... PIVOT) cannot be run by this program; "
                          "write a SELECT with GROUP BY and one IIf column for each value "
                          "instead.");
    }
    if (auto ddl = jetsql::ParseDdl(text, tokens)) {
        ExecuteDdl(handle, *ddl);
        return ChangedRowsCursor(0);
    }
    if (auto into = FindSelectInto(tokens))
        return RunSelectInto(handle, text, tokens, *into);
    return RunStatement(handle.Prepare(jetsql::RewriteJetSql(text, tokens)));
}

}  // namespace tessel::db::sqlite

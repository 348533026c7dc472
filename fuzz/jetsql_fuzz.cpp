// Takes any text as one statement through the Jet layer, as the statement runner does before
// SQLite sees it: reading it as a single statement, the DDL parser, the make-table check and
// the rewrites (with every name taken for a date field, so that date sums are rewritten too), and
// a crosstab's reading and the SELECTs built from it. Each either gives its result or throws
// EngineError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/db/errors.h"
#include "core/db/jetsql/crosstab.h"
#include "core/db/jetsql/ddl_parser.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/single_statement.h"
#include "core/db/jetsql/tokenizer.h"

namespace jet = tessel::db::jetsql;

namespace {

// Tokens lie in order inside the text, and nothing but whitespace or comments lies between.
void CheckTokens(const std::string& text) {
    std::size_t at = 0;
    for (const auto& token : jet::Tokenize(text)) {
        if (token.begin < at || token.end <= token.begin || token.end > text.size())
            __builtin_trap();
        at = token.end;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string statement(reinterpret_cast<const char*>(data), size);
    CheckTokens(statement);
    try {
        const auto [text, tokens] = jet::ReadSingleStatement(statement);
        try {
            (void)jet::ParseDdl(text, tokens);
        } catch (const tessel::db::EngineError&) {
        }
        (void)jet::FindSelectInto(tokens);
        (void)jet::RewriteJetSql(text, tokens);
    } catch (const tessel::db::EngineError&) {
    }
    try {
        const auto [text, tokens] = jet::ReadSingleStatement(statement);
        (void)jet::RewriteJetSql(text, tokens, [](std::string_view) { return true; });
        if (auto crosstab = jet::ReadCrosstab(text, tokens)) {
            (void)jet::PivotValuesSql(*crosstab);
            (void)jet::FixedValuesSql(*crosstab);
            (void)jet::CrosstabSql(*crosstab, {{"1", "1", false}, {"'a'", "a", true}});
        }
    } catch (const tessel::db::EngineError&) {
    }
    (void)jet::ParseStoredTable(statement);
    return 0;
}

#include "core/db/drivers/sqlite/statement_runner.h"

#include "core/db/drivers/sqlite/crosstab_runner.h"
#include "core/db/drivers/sqlite/cursor.h"
#include "core/db/drivers/sqlite/ddl_executor.h"
#include "core/db/drivers/sqlite/select_into.h"
#include "core/db/jetsql/ddl_parser.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/single_statement.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {

std::unique_ptr<Cursor> ExecuteJetStatement(Handle& handle, const std::string& statement) {
    const auto [text, tokens] = jetsql::ReadSingleStatement(statement);
    if (auto ddl = jetsql::ParseDdl(text, tokens)) {
        ExecuteDdl(handle, *ddl);
        return ChangedRowsCursor(0);
    }
    // SQLite's own forms of CREATE make objects too; their names follow the same rules.
    if (auto created = jetsql::CreatedObjectName(tokens))
        CheckObjectName(*created);
    if (auto crosstab = jetsql::ReadCrosstab(text, tokens))
        return RunCrosstab(handle, *crosstab);
    if (auto into = jetsql::FindSelectInto(tokens))
        return RunSelectInto(handle, text, tokens, *into);
    return RunStatement(handle.Prepare(jetsql::RewriteJetSql(text, tokens)));
}

}  // namespace tessel::db::sqlite

#include "core/db/drivers/sqlite/statement_runner.h"

#include "core/db/drivers/sqlite/crosstab_runner.h"
#include "core/db/drivers/sqlite/cursor.h"
#include "core/db/drivers/sqlite/date_fields.h"
#include "core/db/drivers/sqlite/ddl_executor.h"
#include "core/db/drivers/sqlite/reindex.h"
#include "core/db/drivers/sqlite/select_into.h"
#include "core/db/jetsql/ddl_parser.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/single_statement.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {

std::unique_ptr<Cursor> ExecuteJetStatement(Handle& handle, const std::string& statement,
                                            vtab::ExternalAttachments& externals) {
    auto [text, tokens] = jetsql::ReadSingleStatement(statement);
    if (auto ddl = jetsql::ParseDdl(text, tokens)) {
        ExecuteDdl(handle, *ddl);
        return ChangedRowsCursor(0);
    }
    // SQLite's own forms of CREATE make objects too; their names follow the same rules.
    if (auto created = jetsql::CreatedObjectName(tokens))
        CheckObjectName(*created);
    // Tables of other databases become tables of attached schemas; the tokens then point
    // into `attached`.
    std::string attached;
    if (!tokens.empty()) {
        attached = externals.Attach(text, tokens);
        if (attached != text) {
            text = attached;
            tokens = jetsql::Tokenize(text);
        }
    }
    if (auto crosstab = jetsql::ReadCrosstab(text, tokens))
        return RunCrosstab(handle, *crosstab);
    if (auto into = jetsql::FindSelectInto(tokens))
        return RunSelectInto(handle, text, tokens, *into);
    if (ReindexJetIndex(handle, tokens))
        return ChangedRowsCursor(0);
    // Date arithmetic on fields: the schema is read only for a sum that may hold one.
    DateFieldNames dateFields(handle);
    if (tokens.empty() && jetsql::HasSumNextToName(text) && !dateFields.Empty())
        tokens = jetsql::Tokenize(text);
    return RunStatement(handle.Prepare(jetsql::RewriteJetSql(text, tokens, dateFields.Test())));
}

}  // namespace tessel::db::sqlite

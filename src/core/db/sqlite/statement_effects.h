// What running a statement may change in its file, judged from its text (and SQLite's own
// read-only verdict for a prepared statement), so that a connection knows which of its caches
// a statement makes stale. When in doubt a statement is taken to change everything.
#pragma once

#include <string_view>

namespace tessel::db::sqlite {

struct StatementEffects {
    bool data = false;        // rows of any table
    bool schema = false;      // tables, indexes, views, triggers
    bool properties = false;  // the stored properties (table MSysProperties)
    // A change of structure other than new objects (which CREATE adds at the end of the schema
    // table): a reader of the schema must read all of it again.
    bool schemaRewrite = false;
};

// `readOnly` is SQLite's verdict (sqlite3_stmt_readonly) where known; ROLLBACK, which SQLite
// counts as read-only, undoes changes of every kind.
StatementEffects EffectsOf(std::string_view sql, bool readOnly);

// For text run as a whole (possibly several statements, split here at every semicolon, so that
// a semicolon inside a literal only makes the verdict more cautious): the effects of all.
StatementEffects EffectsOfScript(std::string_view sql);

// True for the name of the table that keeps stored properties (any ASCII case).
bool IsPropertiesTableName(std::string_view name);

}  // namespace tessel::db::sqlite

#include "core/db/drivers/sqlite/select_into.h"

#include "core/db/drivers/sqlite/cursor.h"
#include "core/db/drivers/sqlite/ddl_tables.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/quote.h"
#include "core/db/jetsql/type_map.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

// Column names made unique the way a person would: "ID", "ID1", ...
std::string UniqueName(const std::string& wanted,
                       const std::vector<jetsql::ColumnDefinition>& columns) {
    std::string name = wanted.empty() ? std::string("Expr") : wanted;
    auto taken = [&](const std::string& candidate) {
        for (const auto& column : columns) {
            if (SameName(column.name, candidate))
                return true;
        }
        return false;
    };
    const std::string base = name;
    for (int number = 1; taken(name); ++number)
        name = base + std::to_string(number);
    return name;
}

}  // namespace

std::unique_ptr<Cursor> RunSelectInto(Handle& handle, std::string_view text,
                                      const std::vector<jetsql::Token>& tokens, std::size_t into) {
    if (into + 1 >= tokens.size() || !tokens[into + 1].IsName()) {
        throw EngineError(err::kSyntaxError,
                          "Syntax error in SELECT ... INTO: expected the new table's name after "
                          "INTO.");
    }
    const jetsql::Token& target = tokens[into + 1];
    if (into + 2 < tokens.size() && tokens[into + 2].IsWord("IN")) {
        throw EngineError(err::kNotSupported,
                          "SELECT ... INTO cannot make a table in another database (IN "
                          "...); make the table in the current database instead.");
    }
    std::string select(text.substr(0, tokens[into].begin));
    select.append(text.substr(target.end));
    const std::string rewritten = jetsql::RewriteJetSql(select, jetsql::Tokenize(select));

    jetsql::CreateTable create;
    create.table = target.Value();
    {
        Statement probe = handle.Prepare(rewritten);
        const bool onRow = probe.Step();
        for (const auto& info : DescribeColumns(probe, onRow)) {
            jetsql::ColumnDefinition column;
            column.name = UniqueName(info.name, create.columns);
            column.type = jetsql::JetType{info.type, info.size, false};
            column.declaredType = jetsql::PhysicalType(column.type, {});
            create.columns.push_back(std::move(column));
        }
    }
    long inserted = 0;
    handle.InTransaction([&] {
        CreateTableFromJet(handle, create);
        handle.Prepare("INSERT INTO " + jetsql::QuoteName(create.table) + " " + rewritten).Run();
        inserted = static_cast<long>(sqlite3_changes(handle.Raw()));
    });
    return ChangedRowsCursor(inserted);
}

}  // namespace tessel::db::sqlite

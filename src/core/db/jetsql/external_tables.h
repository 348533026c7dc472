// Tables of another database named in a statement, as the classic dialect writes them:
//   FROM orders [AS o] IN '/data/dbf' 'dBase IV;'     (IN 'file' alone: a single-file database)
//   FROM orders IN "" [dBase IV;DATABASE=/data/dbf]
//   FROM [dBase IV;DATABASE=/data/dbf].orders
//   FROM [;DATABASE=/data/shop.mdb].Customers
// Each such table becomes a table of an attached schema (ext1."orders"); the caller attaches the
// database and says which schema holds it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::jetsql {

struct ExternalTable {
    std::string connect;   // the connect text: "" for the single-file default, "dBase IV;" ...
    std::string path;      // the file or directory of the other database
    std::string table;     // the table's name as written, without quotes
    bool changed = false;  // the target of INSERT INTO, UPDATE or DELETE FROM
};

// True when a token may start a reference to another database, so that its tokens are kept.
bool MayNameExternalTable(const Token& token);

// Returns the schema (an unquoted name) whose table `table.table` stands for the external one;
// throws EngineError when the database cannot be reached.
using AttachExternal = std::function<std::string(const ExternalTable& table)>;

// The statement with each table of another database written as schema."table", asking `attach`
// for each, in the order written; the text unchanged when it names none.
std::string RewriteExternalTables(std::string_view text, const std::vector<Token>& tokens,
                                  const AttachExternal& attach);

// The tables of other databases that a statement names, in the order written.
std::vector<ExternalTable> FindExternalTables(const std::vector<Token>& tokens);

}  // namespace tessel::db::jetsql

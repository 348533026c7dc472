#include "core/db/drivers/sqlite/stored_definition.h"

#include <string_view>
#include <vector>

#include "core/base/text.h"
#include "core/db/jetsql/tokenizer.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::Token;

// CREATE, the kind's own keyword (UNIQUE may come before INDEX) and IF NOT EXISTS; `next` is
// then where the name stands.
bool StartsAs(const std::vector<Token>& tokens, const std::string& type, std::size_t& next) {
    if (tokens.empty() || !tokens[0].IsWord("CREATE"))
        return false;
    next = 1;
    if (type == "index" && tokens.size() > next && tokens[next].IsWord("UNIQUE"))
        ++next;
    const std::string keyword = base::UpperAscii(type);
    if (tokens.size() <= next || !tokens[next].IsWord(keyword))
        return false;
    ++next;
    if (tokens.size() > next + 2 && tokens[next].IsWord("IF") && tokens[next + 1].IsWord("NOT") &&
        tokens[next + 2].IsWord("EXISTS")) {
        next += 3;
    }
    return true;
}

// The object's own name, not qualified by a schema; a table made from a column list, not from a
// query.
bool NamesTheObject(const std::vector<Token>& tokens, const StoredObject& object, std::size_t at) {
    if (tokens.size() <= at + 1 || !tokens[at].IsName() ||
        !SameName(tokens[at].Value(), object.name))
        return false;
    if (tokens[at + 1].IsSymbol("."))
        return false;
    return object.type != "table" || tokens[at + 1].IsSymbol("(");
}

// Only blanks and comments after the statement that SQLite prepared.
bool NothingFollows(std::string_view tail) {
    return jetsql::Tokenize(tail).empty();
}

}  // namespace

PreparedStatement PrepareStoredDefinition(sqlite3* target, const StoredObject& object,
                                          std::string& refusal) {
    refusal = "its stored definition is not a single CREATE " + base::UpperAscii(object.type) +
              " statement";
    const bool knownKind = object.type == "table" || object.type == "index" ||
                           object.type == "view" || object.type == "trigger";
    const auto tokens = jetsql::Tokenize(object.sql);
    std::size_t nameAt = 0;
    if (!knownKind || !StartsAs(tokens, object.type, nameAt) ||
        !NamesTheObject(tokens, object, nameAt)) {
        return nullptr;
    }
    PreparedStatement statement;
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(target, object.sql.data(),
                                      static_cast<int>(object.sql.size()), &raw, &tail);
    statement.reset(raw);
    if (rc != SQLITE_OK || raw == nullptr) {
        refusal = "it cannot be made again: " + std::string(sqlite3_errmsg(target));
        return nullptr;
    }
    const char* end = object.sql.data() + object.sql.size();
    if (!NothingFollows(std::string_view(tail, static_cast<std::size_t>(end - tail))))
        return nullptr;
    refusal.clear();
    return statement;
}

}  // namespace tessel::db::sqlite

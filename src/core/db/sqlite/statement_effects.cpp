#include "core/db/sqlite/statement_effects.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace tessel::db::sqlite {
namespace {

constexpr std::string_view kPropertiesTable = "MSysProperties";
constexpr StatementEffects kEverything{true, true, true, true};

// The first word of a statement, upper-cased, past white space and comments.
std::string FirstWord(std::string_view sql) {
    std::size_t i = 0;
    while (i < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c) || c == ';') {
            ++i;
        } else if (sql.substr(i, 2) == "--") {
            const std::size_t end = sql.find('\n', i);
            i = end == std::string_view::npos ? sql.size() : end + 1;
        } else if (sql.substr(i, 2) == "/*") {
            const std::size_t end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? sql.size() : end + 2;
        } else {
            break;
        }
    }
    std::string word;
    while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i++])));
    return word;
}

bool MentionsProperties(std::string_view sql) {
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (IsPropertiesTableName(sql.substr(i, kPropertiesTable.size())))
            return true;
    }
    return false;
}

bool KeepsChanges(const std::string& word) {
    return word == "BEGIN" || word == "COMMIT" || word == "END" || word == "SAVEPOINT" ||
           word == "RELEASE";
}

}  // namespace

bool IsPropertiesTableName(std::string_view name) {
    if (name.size() != kPropertiesTable.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) !=
            std::toupper(static_cast<unsigned char>(kPropertiesTable[i]))) {
            return false;
        }
    }
    return true;
}

StatementEffects EffectsOf(std::string_view sql, bool readOnly) {
    const std::string word = FirstWord(sql);
    if (word == "ROLLBACK")
        return kEverything;
    if (readOnly)
        return {};
    // Row changes; a common table expression can only lead into one of them or a SELECT.
    if (word == "INSERT" || word == "UPDATE" || word == "DELETE" || word == "REPLACE" ||
        word == "WITH" || word == "SELECT" || word == "VALUES") {
        return {true, false, MentionsProperties(sql), false};
    }
    if (word == "CREATE")
        return {true, true, MentionsProperties(sql), false};
    return kEverything;
}

StatementEffects EffectsOfScript(std::string_view sql) {
    StatementEffects all;
    std::size_t start = 0;
    while (start <= sql.size()) {
        const std::size_t end = std::min(sql.find(';', start), sql.size());
        const std::string_view part = sql.substr(start, end - start);
        const std::string word = FirstWord(part);
        if (!word.empty() && !KeepsChanges(word)) {
            const StatementEffects effects = EffectsOf(part, false);
            all.data |= effects.data;
            all.schema |= effects.schema;
            all.properties |= effects.properties;
            all.schemaRewrite |= effects.schemaRewrite;
        }
        start = end + 1;
    }
    return all;
}

}  // namespace tessel::db::sqlite

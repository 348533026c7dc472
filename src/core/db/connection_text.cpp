#include "core/db/connection_text.h"

#include "core/base/text.h"
#include "core/db/names.h"

namespace tessel::db {
namespace {

const std::string kExtendedProperties = "Extended Properties";

std::vector<ConnectPair> Pairs(const std::string& text) {
    return SplitConnectPairs(text, kExtendedProperties);
}

// The value in braces that opens at `open`, with "}}" read as one "}"; returns the position
// after the closing brace (the end of the text when it is missing).
std::size_t ReadBraced(const std::string& text, std::size_t open, std::string& value) {
    std::size_t j = open + 1;
    while (j < text.size()) {
        if (text[j] == '}') {
            if (j + 1 < text.size() && text[j + 1] == '}') {
                value += '}';
                j += 2;
                continue;
            }
            return j + 1;
        }
        value += text[j++];
    }
    return j;
}

}  // namespace

std::string ConnectTextValue(const std::string& value) {
    const bool plain =
        value.find_first_of(";{}\"'") == std::string::npos &&
        (value.empty() || (base::kWhiteSpace.find(value.front()) == std::string_view::npos &&
                           base::kWhiteSpace.find(value.back()) == std::string_view::npos));
    if (plain)
        return value;
    std::string quoted = "{";
    for (const char c : value) {
        quoted += c;
        if (c == '}')
            quoted += '}';
    }
    return quoted + "}";
}

std::vector<ConnectPair> SplitConnectPairs(const std::string& text, const std::string& runsToEnd) {
    std::vector<ConnectPair> pairs;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto equals = text.find('=', i);
        const auto semicolon = text.find(';', i);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            if (semicolon == std::string::npos)
                break;
            i = semicolon + 1;  // a piece without "=" (for example "ODBC")
            continue;
        }
        ConnectPair pair{base::Trim(text.substr(i, equals - i)), {}, i};
        std::size_t j = equals + 1;
        while (j < text.size() && text[j] == ' ')
            ++j;
        if (j < text.size() && text[j] == '{') {
            j = ReadBraced(text, j, pair.value);
            const auto next = text.find(';', j);
            i = next == std::string::npos ? text.size() : next + 1;
        } else if (j < text.size() && (text[j] == '"' || text[j] == '\'')) {
            const char close = text[j];
            const auto end = text.find(close, j + 1);
            const auto stop = end == std::string::npos ? text.size() : end;
            pair.value = text.substr(j + 1, stop - j - 1);
            j = stop == text.size() ? stop : stop + 1;
            const auto next = text.find(';', j);
            i = next == std::string::npos ? text.size() : next + 1;
        } else if (!runsToEnd.empty() && SameName(pair.key, runsToEnd)) {
            // Unquoted nested pairs run to the end: they hold ";" themselves.
            pair.value = text.substr(j);
            i = text.size();
        } else {
            const auto end = text.find(';', j);
            pair.value =
                base::Trim(text.substr(j, (end == std::string::npos ? text.size() : end) - j));
            i = end == std::string::npos ? text.size() : end + 1;
        }
        pair.end = i;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

std::string WithoutPasswords(const std::string& text) {
    std::string kept;
    std::size_t from = 0;
    // Without the nested-pairs rule, so that a password inside "Extended Properties=" goes too.
    for (const auto& pair : SplitConnectPairs(text)) {
        if (SameName(pair.key, "PWD") || SameName(pair.key, "Password")) {
            kept += text.substr(from, pair.begin - from);
            from = pair.end;
        }
    }
    return kept + text.substr(from);
}

namespace {

void Collect(const std::string& text, ConnectionTarget& target) {
    for (const auto& pair : Pairs(text)) {
        if (SameName(pair.key, kExtendedProperties)) {
            Collect(pair.value, target);
        } else if (SameName(pair.key, "DSN")) {
            target.dataSource = pair.value;
        } else if (SameName(pair.key, "DBQ") || SameName(pair.key, "Database") ||
                   SameName(pair.key, "Data Source")) {
            target.file = pair.value;
        } else if (SameName(pair.key, "UID") || SameName(pair.key, "User ID")) {
            target.user = pair.value;
        } else if (SameName(pair.key, "PWD") || SameName(pair.key, "Password")) {
            target.password = pair.value;
        } else if (SameName(pair.key, "Driver")) {
            target.driver = pair.value;
        }
    }
}

}  // namespace

std::optional<std::string> ConnectValue(const std::string& text, const std::string& key) {
    std::optional<std::string> value;
    for (const auto& pair : Pairs(text)) {
        if (SameName(pair.key, key))
            value = pair.value;
    }
    return value;
}

ConnectionTarget ParseConnectionString(const std::string& text) {
    ConnectionTarget target;
    Collect(text, target);
    return target;
}

}  // namespace tessel::db

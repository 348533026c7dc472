#include "core/db/drivers/jet/jet_queries.h"

#include <map>
#include <vector>

#include "core/db/drivers/jet/jet_table.h"

namespace tessel::db::jet {
namespace {

// Attribute 0 opens a query's rows and 255 closes them; the type is in attribute 1.
enum Attribute {
    kType = 1,
    kParameter = 2,
    kFlags = 3,
    kRemote = 4,
    kTable = 5,
    kColumn = 6,
    kJoin = 7,
    kWhere = 8,
    kGroupBy = 9,
    kHaving = 10,
    kOrderBy = 11,
};

enum StoredType {
    kSelect = 1,
    kMakeTable = 2,
    kAppend = 3,
    kUpdate = 4,
    kDelete = 5,
    kCrosstab = 6,
    kDataDefinition = 7,
    kPassThrough = 8,
    kUnion = 9,
};

constexpr std::int64_t kDistinct = 0x2;
constexpr std::int64_t kDistinctRow = 0x8;
constexpr std::int64_t kTop = 0x10;
constexpr std::int64_t kPercent = 0x20;
constexpr std::int64_t kUnionAll = 0x2;

struct QueryRow {
    int attribute = -1;
    std::string expression;
    std::int64_t flag = 0;
    std::string name1;
    std::string name2;
};

std::string Text(const Row& row, const std::map<std::string, std::size_t>& at, const char* name) {
    const auto found = at.find(name);
    if (found == at.end() || found->second >= row.size())
        return {};
    if (const auto* text = std::get_if<std::string>(&row[found->second]))
        return *text;
    return {};
}

std::int64_t Number(const Row& row, const std::map<std::string, std::size_t>& at,
                    const char* name) {
    const auto found = at.find(name);
    if (found == at.end() || found->second >= row.size())
        return 0;
    if (const auto* number = std::get_if<std::int64_t>(&row[found->second]))
        return *number;
    return 0;
}

std::string Bracketed(const std::string& name) {
    if (name.empty() || name.front() == '[')
        return name;
    return "[" + name + "]";
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty())
            text += separator;
        text += part;
    }
    return text;
}

std::vector<std::string> Expressions(const std::vector<QueryRow>& rows, int attribute) {
    std::vector<std::string> found;
    for (const auto& row : rows) {
        if (row.attribute == attribute)
            found.push_back(row.expression);
    }
    return found;
}

// The FROM list: tables with their aliases, joined ones nested as stored.
std::string FromClause(const std::vector<QueryRow>& rows) {
    std::map<std::string, std::string> sources;  // name or alias -> "[Table] AS [Alias]"
    std::vector<std::string> order;
    for (const auto& row : rows) {
        if (row.attribute != kTable)
            continue;
        const std::string key = row.name2.empty() ? row.name1 : row.name2;
        std::string source = Bracketed(row.name1);
        if (!row.name2.empty())
            source += " AS " + Bracketed(row.name2);
        sources[key] = source;
        order.push_back(key);
    }
    for (const auto& row : rows) {
        if (row.attribute != kJoin)
            continue;
        const char* kind = row.flag == 2   ? " LEFT JOIN "
                           : row.flag == 3 ? " RIGHT JOIN "
                                           : " INNER JOIN ";
        const auto left = sources.find(row.name1);
        const auto right = sources.find(row.name2);
        if (left == sources.end() || right == sources.end())
            continue;
        const std::string joined =
            "(" + left->second + kind + right->second + " ON " + row.expression + ")";
        const std::string leftKey = row.name1;
        const std::string rightKey = row.name2;
        // Kept before the erase below frees the entry.
        const std::string rightSource = right->second;
        sources[leftKey] = joined;
        if (rightKey != leftKey)
            sources.erase(rightKey);
        // Everything that stood for the right side now stands in the joined source.
        for (auto& [key, source] : sources) {
            if (source == rightSource)
                source = joined;
        }
    }
    std::vector<std::string> parts;
    for (const auto& key : order) {
        const auto found = sources.find(key);
        if (found == sources.end())
            continue;
        std::string part = found->second;
        if (part.size() > 2 && part.front() == '(' && part.back() == ')')
            part = part.substr(1, part.size() - 2);
        parts.push_back(part);
        sources.erase(found);
    }
    return Joined(parts, ", ");
}

std::string SelectClause(const std::vector<QueryRow>& rows, std::int64_t flags) {
    std::string text = "SELECT ";
    if (flags & kDistinct)
        text += "DISTINCT ";
    if (flags & kDistinctRow)
        text += "DISTINCTROW ";
    if (flags & kTop) {
        for (const auto& row : rows) {
            if (row.attribute == kFlags && !row.name1.empty())
                text += "TOP " + row.name1 + ((flags & kPercent) ? " PERCENT " : " ");
        }
    }
    std::vector<std::string> columns;
    for (const auto& row : rows) {
        if (row.attribute != kColumn)
            continue;
        columns.push_back(row.name1.empty() ? row.expression
                                            : row.expression + " AS " + Bracketed(row.name1));
    }
    if (columns.empty())
        columns.push_back("*");
    return text + Joined(columns, ", ");
}

std::string Clauses(const std::vector<QueryRow>& rows) {
    std::string text;
    const auto where = Expressions(rows, kWhere);
    if (!where.empty())
        text += " WHERE " + where.front();
    const auto groups = Expressions(rows, kGroupBy);
    if (!groups.empty())
        text += " GROUP BY " + Joined(groups, ", ");
    const auto having = Expressions(rows, kHaving);
    if (!having.empty())
        text += " HAVING " + having.front();
    std::vector<std::string> order;
    for (const auto& row : rows) {
        if (row.attribute == kOrderBy)
            order.push_back(row.expression + (row.name1 == "D" ? " DESC" : ""));
    }
    if (!order.empty())
        text += " ORDER BY " + Joined(order, ", ");
    return text;
}

std::string Parameters(const std::vector<QueryRow>& rows) {
    std::vector<std::string> parameters;
    for (const auto& row : rows) {
        if (row.attribute == kParameter)
            parameters.push_back(Bracketed(row.name1));
    }
    return parameters.empty() ? std::string() : "PARAMETERS " + Joined(parameters, ", ") + "; ";
}

}  // namespace

StoredQuery ReadQuery(const std::shared_ptr<JetFile>& file, std::int64_t objectId) {
    JetTable table(file, "MSysQueries");
    std::map<std::string, std::size_t> at;
    for (std::size_t i = 0; i < table.Columns().size(); ++i)
        at[table.Columns()[i].field.name] = i;
    std::vector<QueryRow> rows;
    Row row;
    while (table.Next(row)) {
        if (Number(row, at, "ObjectId") != objectId)
            continue;
        rows.push_back({static_cast<int>(Number(row, at, "Attribute")), Text(row, at, "Expression"),
                        Number(row, at, "Flag"), Text(row, at, "Name1"), Text(row, at, "Name2")});
    }
    StoredQuery query;
    std::int64_t type = kSelect;
    std::string target;
    std::int64_t flags = 0;
    for (const auto& stored : rows) {
        if (stored.attribute == kType) {
            type = stored.flag;
            target = stored.name1;
            if (type == kDataDefinition || type == kPassThrough)
                query.sql = stored.expression;
        } else if (stored.attribute == kFlags) {
            flags = stored.flag;
        } else if (stored.attribute == kRemote) {
            query.connect = stored.expression;
        }
    }
    const std::string from = FromClause(rows);
    const std::string tail = Clauses(rows);
    switch (type) {
        case kDataDefinition:
            query.type = 96;
            query.returnsRecords = false;
            break;
        case kPassThrough:
            query.type = 112;
            break;
        case kUnion: {
            query.type = 128;
            std::vector<std::string> parts;
            for (const auto& stored : rows) {
                if (stored.attribute == kTable && !stored.expression.empty())
                    parts.push_back(stored.expression);
            }
            query.sql = Joined(parts, (flags & kUnionAll) ? " UNION ALL " : " UNION ");
            std::vector<std::string> order;
            for (const auto& stored : rows) {
                if (stored.attribute == kOrderBy)
                    order.push_back(stored.expression + (stored.name1 == "D" ? " DESC" : ""));
            }
            if (!order.empty())
                query.sql += " ORDER BY " + Joined(order, ", ");
            break;
        }
        case kDelete:
            query.type = 32;
            query.returnsRecords = false;
            query.sql = "DELETE " + SelectClause(rows, 0).substr(7) + " FROM " + from + tail;
            break;
        case kUpdate: {
            query.type = 48;
            query.returnsRecords = false;
            std::vector<std::string> sets;
            for (const auto& stored : rows) {
                // The field set is in Name2 as stored; Name1 where a file keeps it there.
                if (stored.attribute == kColumn) {
                    const std::string& field = stored.name2.empty() ? stored.name1 : stored.name2;
                    sets.push_back(field + " = " + stored.expression);
                }
            }
            query.sql = "UPDATE " + from + " SET " + Joined(sets, ", ") + tail;
            break;
        }
        case kAppend:
            query.type = 64;
            query.returnsRecords = false;
            query.sql = "INSERT INTO " + Bracketed(target) + " " + SelectClause(rows, flags) +
                        " FROM " + from + tail;
            break;
        case kMakeTable:
            query.type = 80;
            query.returnsRecords = false;
            query.sql =
                SelectClause(rows, flags) + " INTO " + Bracketed(target) + " FROM " + from + tail;
            break;
        case kCrosstab:
            query.type = 16;
            query.sql = "TRANSFORM " + SelectClause(rows, flags).substr(7) + " FROM " + from + tail;
            break;
        default:
            query.type = 0;
            query.sql = SelectClause(rows, flags) + (from.empty() ? "" : " FROM " + from) + tail;
    }
    query.sql = Parameters(rows) + query.sql;
    return query;
}

}  // namespace tessel::db::jet

#include "core/db/drivers/jet/jet_conversion.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <variant>
#include <vector>

#include "core/db/drivers/jet/jet_catalog.h"
#include "core/db/drivers/jet/jet_file.h"
#include "core/db/drivers/jet/jet_queries.h"
#include "core/db/drivers/jet/jet_table.h"
#include "core/db/drivers/sqlite/database.h"
#include "core/db/drivers/sqlite/database_password.h"
#include "core/db/drivers/sqlite/file_places.h"
#include "core/db/drivers/sqlite/statement_runner.h"
#include "core/db/errors.h"
#include "core/db/jetsql/quote.h"
#include "core/db/names.h"
#include "core/db/sqlite/handle.h"
#include "core/db/vtab/external_attachments.h"

namespace tessel::db::jet {
namespace {

using jetsql::QuoteName;
using sqlite::Handle;

// The Jet SQL type that makes a field of this code and size again.
std::string TypeText(const JetColumn& column) {
    const FieldInfo& field = column.field;
    switch (field.type) {
        case ftype::kBoolean:
            return "BIT";
        case ftype::kByte:
            return "BYTE";
        case ftype::kInteger:
            return "SHORT";
        case ftype::kLong:
            return (field.attributes & attr::kAutoIncrField) != 0 ? "COUNTER" : "LONG";
        case ftype::kCurrency:
            return "CURRENCY";
        case ftype::kSingle:
            return "SINGLE";
        case ftype::kDouble:
            return "DOUBLE";
        case ftype::kDate:
            return "DATETIME";
        case ftype::kBinary:
            return "BINARY(" + std::to_string(std::max(1L, field.size)) + ")";
        case ftype::kText:
            return "TEXT(" + std::to_string(std::clamp(field.size, 1L, 255L)) + ")";
        case ftype::kLongBinary:
            return "LONGBINARY";
        case ftype::kGuid:
            return "GUID";
        case ftype::kBigInt:
            return "BIGINT";
        case ftype::kNumeric:
        case ftype::kDecimal:
            return "DECIMAL(28," + std::to_string(std::clamp(column.scale, 0, 28)) + ")";
        default:
            // Memo, and types this engine has no narrower name for, keep their text whole.
            return "MEMO";
    }
}

bool IsBinary(int type) {
    return type == ftype::kBinary || type == ftype::kLongBinary || type == ftype::kVarBinary;
}

// Runs one Jet SQL statement on the new file.
void Run(const std::shared_ptr<Handle>& handle, const std::string& statement) {
    vtab::ExternalAttachments none(handle);
    auto cursor = sqlite::ExecuteJetStatement(*handle, statement, none);
    while (cursor && cursor->Next()) {
    }
}

// What did not carry over, kept in the new file itself.
class Notes {
  public:
    explicit Notes(std::shared_ptr<Handle> handle) : handle_(std::move(handle)) {}

    void Add(const std::string& object, const std::string& kind, const std::string& definition,
             const std::string& reason) {
        rows_.push_back({object, kind, definition, reason});
    }

    void Write() {
        if (rows_.empty())
            return;
        Run(handle_, "CREATE TABLE " + QuoteName(kConversionNotesTable) +
                         " ([Object] TEXT(255), [Kind] TEXT(50), [Definition] MEMO, "
                         "[Reason] MEMO)");
        auto insert = handle_->Prepare("INSERT INTO " + QuoteName(kConversionNotesTable) +
                                       " VALUES (?, ?, ?, ?)");
        handle_->InTransaction([&] {
            for (const auto& row : rows_) {
                for (int i = 0; i < 4; ++i)
                    insert.Bind(i + 1, row[static_cast<std::size_t>(i)]);
                insert.Step();
                sqlite3_reset(insert.Raw());
            }
        });
    }

  private:
    std::shared_ptr<Handle> handle_;
    std::vector<std::array<std::string, 4>> rows_;
};

// "([A], [B] DESC)" from the engine's "+A;-B".
std::string IndexColumnsText(const std::string& fields) {
    std::string text;
    std::size_t start = 0;
    while (start < fields.size()) {
        std::size_t end = fields.find(';', start);
        if (end == std::string::npos)
            end = fields.size();
        std::string part = fields.substr(start, end - start);
        const bool descending = !part.empty() && part[0] == '-';
        if (!part.empty() && (part[0] == '+' || part[0] == '-'))
            part.erase(0, 1);
        if (!part.empty())
            text += (text.empty() ? "" : ", ") + QuoteName(part) + (descending ? " DESC" : "");
        start = end + 1;
    }
    return "(" + text + ")";
}

std::string CreateTableText(const JetTable& table, const std::vector<IndexInfo>& indexes) {
    std::string text = "CREATE TABLE " + QuoteName(table.Name()) + " (";
    bool first = true;
    for (const JetColumn& column : table.Columns()) {
        text += (first ? "" : ", ") + QuoteName(column.field.name) + " " + TypeText(column);
        if (column.field.required)
            text += " NOT NULL";
        first = false;
    }
    // The primary key is part of the table, so that relationships can refer to it.
    for (const IndexInfo& index : indexes) {
        if (!index.primary)
            continue;
        text += ", CONSTRAINT " + QuoteName(index.name) + " PRIMARY KEY " +
                IndexColumnsText(index.fields);
    }
    return text + ")";
}

std::string CreateIndexText(const std::string& table, const IndexInfo& index) {
    std::string text = std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
                       QuoteName(index.name) + " ON " + QuoteName(table) + " " +
                       IndexColumnsText(index.fields);
    if (index.ignoreNulls)
        text += " WITH IGNORE NULL";
    else if (index.required)
        text += " WITH DISALLOW NULL";
    return text;
}

void CopyRows(JetTable& table, Handle& handle) {
    const auto& columns = table.Columns();
    if (columns.empty())
        return;
    std::string insert = "INSERT INTO " + QuoteName(table.Name()) + " VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        insert += i == 0 ? "?" : ", ?";
    auto write = handle.Prepare(insert + ")");
    Row row;
    while (table.Next(row)) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int at = static_cast<int>(i) + 1;
            const Value value = i < row.size() ? row[i] : Value{};
            if (const auto* text = std::get_if<std::string>(&value)) {
                if (IsBinary(columns[i].field.type)) {
                    sqlite3_bind_blob64(write.Raw(), at, text->data(), text->size(),
                                        SQLITE_TRANSIENT);
                } else {
                    write.Bind(at, *text);
                }
            } else if (const auto* number = std::get_if<std::int64_t>(&value)) {
                write.Bind(at, static_cast<long long>(*number));
            } else if (const auto* real = std::get_if<double>(&value)) {
                sqlite3_bind_double(write.Raw(), at, *real);
            } else if (const auto* flag = std::get_if<bool>(&value)) {
                write.Bind(at, static_cast<long long>(*flag ? 1 : 0));
            } else {
                write.BindNull(at);
            }
        }
        write.Step();
        sqlite3_reset(write.Raw());
    }
}

struct Relationship {
    std::string name;
    std::string table;
    std::string referenced;
    std::vector<std::pair<std::string, std::string>> columns;  // own, referenced
    std::int64_t flags = 0;
};

std::string Text(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    return {};
}

// The relationships the file keeps in MSysRelationships (one row per pair of columns).
std::vector<Relationship> ReadRelationships(const std::shared_ptr<JetFile>& file) {
    std::vector<Relationship> relationships;
    try {
        JetTable table(file, "MSysRelationships");
        std::vector<std::string> names;
        for (const auto& column : table.Columns())
            names.push_back(column.field.name);
        const auto at = [&](const char* name) {
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (SameName(names[i], name))
                    return i;
            }
            return names.size();
        };
        const std::size_t kName = at("szRelationship"), kTable = at("szObject"),
                          kColumn = at("szColumn"), kReferenced = at("szReferencedObject"),
                          kReferencedColumn = at("szReferencedColumn"), kFlags = at("grbit"),
                          kOrder = at("icolumn");
        Row row;
        std::vector<std::pair<std::int64_t, Row>> rows;
        while (table.Next(row)) {
            const auto* order =
                kOrder < row.size() ? std::get_if<std::int64_t>(&row[kOrder]) : nullptr;
            rows.push_back({order ? *order : 0, row});
        }
        std::stable_sort(rows.begin(), rows.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        const auto field = [](const Row& r, std::size_t i) {
            return i < r.size() ? Text(r[i]) : std::string();
        };
        for (const auto& [order, r] : rows) {
            const std::string name = field(r, kName);
            auto found =
                std::find_if(relationships.begin(), relationships.end(),
                             [&](const Relationship& known) { return known.name == name; });
            if (found == relationships.end()) {
                Relationship made;
                made.name = name;
                made.table = field(r, kTable);
                made.referenced = field(r, kReferenced);
                if (kFlags < r.size()) {
                    if (const auto* flags = std::get_if<std::int64_t>(&r[kFlags]))
                        made.flags = *flags;
                }
                relationships.push_back(made);
                found = relationships.end() - 1;
            }
            found->columns.push_back({field(r, kColumn), field(r, kReferencedColumn)});
        }
    } catch (const EngineError&) {
        // A file without relationships (or whose table of them cannot be read) has none to give.
    }
    return relationships;
}

constexpr std::int64_t kNoIntegrity = 0x2;
constexpr std::int64_t kCascadeUpdates = 0x100;
constexpr std::int64_t kCascadeDeletes = 0x1000;

std::string ForeignKeyText(const Relationship& relationship) {
    std::string own;
    std::string referenced;
    for (const auto& [column, target] : relationship.columns) {
        own += (own.empty() ? "" : ", ") + QuoteName(column);
        referenced += (referenced.empty() ? "" : ", ") + QuoteName(target);
    }
    std::string text = "ALTER TABLE " + QuoteName(relationship.table) + " ADD CONSTRAINT " +
                       QuoteName(relationship.name) + " FOREIGN KEY (" + own + ") REFERENCES " +
                       QuoteName(relationship.referenced) + " (" + referenced + ")";
    if ((relationship.flags & kCascadeUpdates) != 0)
        text += " ON UPDATE CASCADE";
    if ((relationship.flags & kCascadeDeletes) != 0)
        text += " ON DELETE CASCADE";
    return text;
}

std::string Why(const EngineError& error) {
    return std::to_string(error.Number()) + ": " + error.Description();
}

void Convert(const std::shared_ptr<JetFile>& file, const std::shared_ptr<Handle>& handle) {
    Notes notes(handle);
    const std::vector<CatalogObject> catalog = ReadCatalog(file);
    std::vector<std::pair<std::string, IndexInfo>> laterIndexes;
    for (const CatalogObject& object : catalog) {
        if (object.kind == ObjectKind::AttachedTable || object.kind == ObjectKind::AttachedOdbc) {
            notes.Add(object.name, "attached table", object.connect + " " + object.foreignName,
                      "An attached table is a link to another database; attach it again.");
            continue;
        }
        if (object.kind != ObjectKind::Table || IsSystemTableName(object.name))
            continue;
        JetTable table(file, object.name);
        const std::vector<IndexInfo> indexes = table.Indexes();
        try {
            Run(handle, CreateTableText(table, indexes));
        } catch (const EngineError& error) {
            notes.Add(object.name, "table", CreateTableText(table, indexes), Why(error));
            continue;
        }
        handle->InTransaction([&] { CopyRows(table, *handle); });
        for (const IndexInfo& index : indexes) {
            // The primary key is made with the table, a relationship's index with its key.
            if (!index.primary && !index.foreign)
                laterIndexes.push_back({object.name, index});
        }
    }
    for (const auto& [table, index] : laterIndexes) {
        const std::string text = CreateIndexText(table, index);
        try {
            Run(handle, text);
        } catch (const EngineError& error) {
            notes.Add(index.name, "index", text, Why(error));
        }
    }
    for (const Relationship& relationship : ReadRelationships(file)) {
        // The engine's own tables are not carried over, nor are their relationships.
        if (IsSystemTableName(relationship.table) || IsSystemTableName(relationship.referenced))
            continue;
        const std::string text = ForeignKeyText(relationship);
        if ((relationship.flags & kNoIntegrity) != 0) {
            notes.Add(relationship.name, "relationship", text,
                      "The relationship does not enforce integrity, so it is no foreign key.");
            continue;
        }
        try {
            Run(handle, text);
        } catch (const EngineError& error) {
            notes.Add(relationship.name, "relationship", text, Why(error));
        }
    }
    for (const CatalogObject& object : catalog) {
        if (object.kind != ObjectKind::Query)
            continue;
        StoredQuery query;
        try {
            query = ReadQuery(file, object.id);
        } catch (const EngineError& error) {
            notes.Add(object.name, "query", "", Why(error));
            continue;
        }
        // Select and union queries return rows, so they can be stored queries.
        constexpr int kSelectQuery = 0;
        constexpr int kUnionQuery = 128;
        if ((query.type != kSelectQuery && query.type != kUnionQuery) || !query.returnsRecords) {
            notes.Add(object.name, "query", query.sql,
                      "Only select and union queries are kept as stored queries; run this one "
                      "as a statement.");
            continue;
        }
        std::string body = query.sql;
        while (!body.empty() &&
               (body.back() == ';' || std::isspace(static_cast<unsigned char>(body.back()))))
            body.pop_back();
        try {
            Run(handle, "CREATE VIEW " + QuoteName(object.name) + " AS " + body);
        } catch (const EngineError& error) {
            notes.Add(object.name, "query", query.sql, Why(error));
        }
    }
    notes.Write();
}

}  // namespace

void ConvertJetFile(const std::shared_ptr<JetFile>& file, const std::string& destination,
                    const std::string& version, const std::string& password) {
    sqlite::CheckNewFilePlace(destination);
    sqlite::WriteNewFile(destination, [&](const std::string& temporary) {
        auto handle = Handle::Create(temporary);
        sqlite::WriteVersion(*handle, version);
        // Each step keeps its own transaction: a relationship rebuilds its table, which no
        // transaction may enclose.
        handle->Exec("PRAGMA foreign_keys = OFF");
        Convert(file, handle);
        sqlite::SetDatabasePassword(*handle, password);
    });
}

}  // namespace tessel::db::jet

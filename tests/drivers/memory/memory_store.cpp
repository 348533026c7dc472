#include "drivers/memory/memory_store.h"

#include <algorithm>

#include "core/db/names.h"

namespace tessel::test::memory {
namespace {

using db::EngineError;
namespace err = db::err;

bool IsNull(const db::Value& value) {
    return std::holds_alternative<std::monostate>(value);
}

bool IsNumeric(int type) {
    switch (type) {
        case db::ftype::kBoolean:
        case db::ftype::kByte:
        case db::ftype::kInteger:
        case db::ftype::kLong:
        case db::ftype::kBigInt:
        case db::ftype::kSingle:
        case db::ftype::kDouble:
            return true;
        default:
            return false;
    }
}

// SQLite's order of values without collation: numbers before texts, numbers by value, texts by
// their bytes. Nulls are never compared.
int Compare(const db::Value& a, const db::Value& b) {
    const auto number = [](const db::Value& value, double& out) {
        if (const auto* integer = std::get_if<std::int64_t>(&value))
            out = static_cast<double>(*integer);
        else if (const auto* real = std::get_if<double>(&value))
            out = *real;
        else if (const auto* flag = std::get_if<bool>(&value))
            out = *flag ? 1 : 0;
        else
            return false;
        return true;
    };
    double x = 0;
    double y = 0;
    const bool aNumber = number(a, x);
    const bool bNumber = number(b, y);
    if (aNumber && bNumber) {
        const auto* ai = std::get_if<std::int64_t>(&a);
        const auto* bi = std::get_if<std::int64_t>(&b);
        if (ai && bi)
            return *ai < *bi ? -1 : (*ai > *bi ? 1 : 0);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (aNumber != bNumber)
        return aNumber ? -1 : 1;
    const auto& s = std::get<std::string>(a);
    const auto& t = std::get<std::string>(b);
    return s < t ? -1 : (s > t ? 1 : 0);
}

bool Satisfies(const db::Value& value, const db::ScanConstraint& constraint) {
    if (IsNull(value) || IsNull(constraint.value))
        return false;
    const int order = Compare(value, constraint.value);
    switch (constraint.op) {
        case db::CompareOp::Equal:
            return order == 0;
        case db::CompareOp::Less:
            return order < 0;
        case db::CompareOp::LessOrEqual:
            return order <= 0;
        case db::CompareOp::Greater:
            return order > 0;
        case db::CompareOp::GreaterOrEqual:
            return order >= 0;
    }
    return false;
}

// The columns of an index's "+A;-B".
std::vector<std::size_t> IndexColumns(const MemoryStore::Table& table, const db::IndexInfo& index) {
    std::vector<std::size_t> columns;
    std::size_t start = 0;
    while (start < index.fields.size()) {
        auto end = index.fields.find(';', start);
        if (end == std::string::npos)
            end = index.fields.size();
        std::string name = index.fields.substr(start, end - start);
        if (!name.empty() && (name[0] == '+' || name[0] == '-'))
            name.erase(0, 1);
        for (std::size_t i = 0; i < table.fields.size(); ++i) {
            if (db::SameName(table.fields[i].name, name))
                columns.push_back(i);
        }
        start = end + 1;
    }
    return columns;
}

// A scan over a copy of the matching rows, so that changes made while SQLite reads (an UPDATE
// of the rows being scanned) do not disturb it.
class MemoryScan : public db::TableScan {
  public:
    explicit MemoryScan(std::vector<std::pair<db::RowId, db::Row>> rows) : rows_(std::move(rows)) {}
    bool Next() override {
        if (started_ && position_ < rows_.size())
            ++position_;
        started_ = true;
        return position_ < rows_.size();
    }
    db::RowId Id() const override { return rows_.at(position_).first; }
    db::Value Get(std::size_t column) const override {
        return rows_.at(position_).second.at(column);
    }

  private:
    std::vector<std::pair<db::RowId, db::Row>> rows_;
    std::size_t position_ = 0;
    bool started_ = false;
};

}  // namespace

MemoryStore::Table& MemoryStore::Find(const std::string& table) {
    for (auto& held : tables_) {
        if (db::SameName(held.name, table))
            return held;
        for (const auto& other : OtherNames(held.name)) {
            if (db::SameName(other, table))
                return held;
        }
    }
    throw EngineError(err::kItemNotFound, "The table '" + table + "' does not exist.");
}

std::vector<std::string> MemoryStore::Tables() {
    std::vector<std::string> names;
    for (const auto& table : tables_)
        names.push_back(table.name);
    return names;
}

std::vector<std::string> MemoryStore::OtherNames(const std::string& table) {
    std::vector<std::string> names;
    const auto [from, to] = otherNames_.equal_range(table);
    for (auto it = from; it != to; ++it)
        names.push_back(it->second);
    return names;
}

std::vector<db::FieldInfo> MemoryStore::Columns(const std::string& table) {
    return Find(table).fields;
}

std::vector<db::IndexInfo> MemoryStore::Indexes(const std::string& table) {
    return Find(table).indexes;
}

db::FilterUse MemoryStore::Filter(const std::string& table, std::size_t column, db::CompareOp) {
    const auto& fields = Find(table).fields;
    if (column < fields.size() && IsNumeric(fields[column].type))
        return db::FilterUse::Exact;
    return db::FilterUse::Ignore;
}

std::unique_ptr<db::TableScan> MemoryStore::Scan(
    const std::string& table, const std::vector<db::ScanConstraint>& constraints) {
    const Table& held = Find(table);
    lastScanConditions_ = constraints.size();
    std::vector<std::pair<db::RowId, db::Row>> rows;
    for (const auto& [id, row] : held.rows) {
        const bool matches = std::all_of(
            constraints.begin(), constraints.end(), [&](const db::ScanConstraint& constraint) {
                return Satisfies(row.at(constraint.column), constraint);
            });
        if (matches)
            rows.emplace_back(id, row);
    }
    return std::make_unique<MemoryScan>(std::move(rows));
}

void MemoryStore::Check(const Table& table, const db::Row& row, db::RowId self) const {
    if (row.size() != table.fields.size()) {
        throw EngineError(err::kInvalidArgument, "A row of '" + table.name + "' needs " +
                                                     std::to_string(table.fields.size()) +
                                                     " values.");
    }
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (table.fields[i].required && IsNull(row[i])) {
            throw EngineError(err::kNullNotAllowed, "The field '" + table.name + "." +
                                                        table.fields[i].name +
                                                        "' cannot contain a Null value.");
        }
    }
    for (const auto& index : table.indexes) {
        if (!index.unique)
            continue;
        const auto columns = IndexColumns(table, index);
        const auto same = [&](const db::Row& other) {
            return std::all_of(columns.begin(), columns.end(), [&](std::size_t c) {
                return !IsNull(row[c]) && !IsNull(other[c]) && Compare(row[c], other[c]) == 0;
            });
        };
        for (const auto& [id, other] : table.rows) {
            if (id != self && same(other)) {
                throw EngineError(err::kDuplicateValue,
                                  "The changes were not made because they would create "
                                  "duplicate values in the index '" +
                                      index.name + "' of '" + table.name + "'.");
            }
        }
    }
}

db::RowId MemoryStore::Insert(const std::string& table, const db::Row& row) {
    Table& held = Find(table);
    Check(held, row, 0);
    const db::RowId id = held.nextId++;
    held.rows.emplace(id, row);
    return id;
}

void MemoryStore::Update(const std::string& table, db::RowId id, const db::Row& row) {
    Table& held = Find(table);
    Check(held, row, id);
    held.rows.at(id) = row;
}

void MemoryStore::Delete(const std::string& table, db::RowId id) {
    Find(table).rows.erase(id);
}

void MemoryStore::CreateTable(const std::string& table, const std::vector<db::FieldInfo>& fields,
                              const std::vector<db::IndexInfo>& indexes) {
    for (const auto& held : tables_) {
        if (db::SameName(held.name, table))
            throw EngineError(err::kObjectExists, "The table '" + table + "' already exists.");
    }
    tables_.push_back(Table{table, fields, indexes, {}, 1});
}

void MemoryStore::DropTable(const std::string& table) {
    for (auto it = tables_.begin(); it != tables_.end(); ++it) {
        const auto others = OtherNames(it->name);
        const bool other = std::any_of(others.begin(), others.end(), [&](const std::string& name) {
            return db::SameName(name, table);
        });
        if (db::SameName(it->name, table) || other) {
            tables_.erase(it);
            return;
        }
    }
    throw EngineError(err::kNoSuchTable, "The table '" + table + "' does not exist.");
}

void MemoryStore::RenameTable(const std::string& from, const std::string& to) {
    Find(from).name = to;
}

void MemoryStore::AddColumn(const std::string& table, const db::FieldInfo& field) {
    Table& found = Find(table);
    found.fields.push_back(field);
    for (auto& [id, row] : found.rows)
        row.emplace_back();
}

void MemoryStore::CreateIndex(const std::string& table, const db::IndexInfo& index) {
    Find(table).indexes.push_back(index);
}

void MemoryStore::DropIndex(const std::string& table, const std::string& index) {
    auto& indexes = Find(table).indexes;
    const auto found = std::find_if(indexes.begin(), indexes.end(),
                                    [&](const db::IndexInfo& each) { return each.name == index; });
    if (found == indexes.end())
        throw EngineError(err::kItemNotFound, "No index '" + index + "' on '" + table + "'.");
    indexes.erase(found);
}

void MemoryStore::Begin() {
    atBegin_ = tables_;
    savepoints_.clear();
    inTransaction_ = true;
}

void MemoryStore::Commit() {
    inTransaction_ = false;
    atBegin_.clear();
    savepoints_.clear();
    ++commits_;
}

void MemoryStore::Rollback() {
    if (inTransaction_)
        tables_ = atBegin_;
    inTransaction_ = false;
    savepoints_.clear();
    ++rollbacks_;
}

void MemoryStore::Savepoint(int level) {
    savepoints_.erase(savepoints_.lower_bound(level), savepoints_.end());
    savepoints_[level] = tables_;
}

void MemoryStore::Release(int level) {
    savepoints_.erase(savepoints_.lower_bound(level), savepoints_.end());
}

void MemoryStore::RollbackTo(int level) {
    // A store that joined the transaction later than savepoint `level` was opened changed
    // nothing before its own first mark.
    const auto mark = savepoints_.lower_bound(level);
    if (mark == savepoints_.end())
        return;
    tables_ = mark->second;
    savepoints_.erase(std::next(mark), savepoints_.end());
}

}  // namespace tessel::test::memory

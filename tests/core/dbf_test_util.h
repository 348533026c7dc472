// Helpers of the dBase and FoxPro driver's tests: fixture tables copied into a temporary
// directory, the rows of a table read through its store as text, and bytes of the files.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/db/drivers/dbf/dbf_store.h"
#include "support/temp_dir.h"
#include "test_paths.h"

namespace tessel::test::dbf_tests {

using Rows = std::vector<std::vector<std::string>>;

inline std::string Fixture(const std::string& name) {
    return std::string(TESSEL_TESTDATA_DIR) + "/infused-dbf/fixtures/" + name;
}

// Copies fixture files (paths below the fixtures folder) into `dir`, keeping their file names.
inline void CopyFixtures(const TempDir& dir, const std::vector<std::string>& names) {
    for (const auto& name : names) {
        std::filesystem::copy_file(Fixture(name),
                                   dir.Path() / std::filesystem::path(name).filename());
        std::filesystem::permissions(dir.Path() / std::filesystem::path(name).filename(),
                                     std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
}

inline std::shared_ptr<db::dbf::DbfStore> StoreOn(const TempDir& dir,
                                                  db::Family family = db::Family::Dbase,
                                                  const std::string& version = "5.0") {
    return std::make_shared<db::dbf::DbfStore>(dir.Path().string(), family, version);
}

// A value as the tests compare it: "<null>", "true"/"false", digits, or the text itself.
inline std::string Shown(const db::Value& value) {
    if (std::holds_alternative<std::monostate>(value))
        return "<null>";
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "true" : "false";
    return db::ValueToText(value);
}

// Every row the store's scan gives, each value shown.
inline Rows ReadTable(db::TableStore& store, const std::string& table) {
    Rows rows;
    const std::size_t columns = store.Columns(table).size();
    auto scan = store.Scan(table, {});
    while (scan->Next()) {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < columns; ++i)
            row.push_back(Shown(scan->Get(i)));
        rows.push_back(std::move(row));
    }
    return rows;
}

// The column `name` of every row.
inline std::vector<std::string> ColumnOf(db::TableStore& store, const std::string& table,
                                         const std::string& name) {
    const auto columns = store.Columns(table);
    std::size_t index = 0;
    while (index < columns.size() && columns[index].name != name)
        ++index;
    std::vector<std::string> values;
    for (auto& row : ReadTable(store, table))
        values.push_back(index < row.size() ? row[index] : "<no such column>");
    return values;
}

inline const db::FieldInfo* ColumnNamed(const std::vector<db::FieldInfo>& columns,
                                        const std::string& name) {
    for (const auto& column : columns) {
        if (column.name == name)
            return &column;
    }
    return nullptr;
}

inline std::uint32_t HeaderCount(const std::string& bytes) {
    std::uint32_t count = 0;
    for (int i = 3; i >= 0; --i)
        count = (count << 8) | static_cast<unsigned char>(bytes.at(4 + i));
    return count;
}

}  // namespace tessel::test::dbf_tests

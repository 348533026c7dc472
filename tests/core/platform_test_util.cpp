#include "platform_test_util.h"

namespace tessel::test::platform_tests {

std::string NewDatabase(db::Engine& engine, const TempDir& dir, const std::string& name,
                        int options) {
    const std::string path = dir.File(name);
    engine.CreateDatabase(path, "", options);
    return path;
}

std::string AccessConnection(const std::string& file) {
    return "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + file + ";";
}

void RunAll(db::Engine& engine, const std::string& file,
            const std::vector<std::string>& statements) {
    for (const auto& statement : statements) {
        engine.OpenConnection(AccessConnection(file))->Execute(statement);
    }
}

Rows Query(db::Engine& engine, const std::string& file, const std::string& statement) {
    return ReadRows(*engine.OpenConnection(AccessConnection(file))->Execute(statement));
}

Rows ReadRows(db::Cursor& rowsOf) {
    db::Cursor* cursor = &rowsOf;
    Rows rows;
    while (cursor->Next()) {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < cursor->Columns().size(); ++i) {
            const auto value = cursor->Get(i);
            switch (value.kind) {
                case db::ValueView::Kind::Null:
                    row.push_back("<null>");
                    break;
                case db::ValueView::Kind::Integer:
                    row.push_back(std::to_string(value.integer));
                    break;
                case db::ValueView::Kind::Real:
                    row.push_back(db::ValueToText(value.real));
                    break;
                default:
                    row.emplace_back(value.bytes);
                    break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> UserTables(db::Database& database) {
    std::vector<std::string> names;
    for (const auto& table : database.TableDefs()) {
        if ((table.attributes & db::attr::kSystemObjectMask) == 0)
            names.push_back(table.name);
    }
    return names;
}

}  // namespace tessel::test::platform_tests

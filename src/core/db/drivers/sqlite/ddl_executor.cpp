#include "core/db/drivers/sqlite/ddl_executor.h"

#include "core/db/drivers/sqlite/ddl_alter.h"
#include "core/db/drivers/sqlite/ddl_tables.h"
#include "core/db/drivers/sqlite/renames.h"

namespace tessel::db::sqlite {

void ExecuteDdl(Handle& handle, const jetsql::DdlStatement& statement) {
    using namespace jetsql;
    std::visit(
        [&](const auto& ddl) {
            using T = std::decay_t<decltype(ddl)>;
            if constexpr (std::is_same_v<T, CreateTable>) {
                CreateTableFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, DropTable>) {
                DropTableFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, CreateIndex>) {
                CreateIndexFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, DropIndex>) {
                DropIndexFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, AddColumn>) {
                AddColumnFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, DropColumn>) {
                DropColumnFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, AddConstraint>) {
                AddConstraintFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, DropConstraint>) {
                DropConstraintFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, AlterColumn>) {
                AlterColumnFromJet(handle, ddl);
            } else if constexpr (std::is_same_v<T, RenameTableTo>) {
                RenameTable(handle, ddl.table, ddl.to);
            } else {
                RenameField(handle, ddl.table, ddl.column, ddl.to);
            }
        },
        statement);
}

}  // namespace tessel::db::sqlite

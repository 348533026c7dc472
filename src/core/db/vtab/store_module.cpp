#include "core/db/vtab/store_module.h"

#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "core/db/jetsql/quote.h"
#include "core/db/sqlite/error_map.h"
#include "core/db/vtab/value_bridge.h"

namespace tessel::db::vtab {
namespace {

extern const sqlite3_module kModule;

// What a registered module keeps: the link, and for an attached store its share of the link,
// so that the link lives as long as the module and its tables.
struct ModuleLink {
    StoreLink* link = nullptr;
    std::shared_ptr<StoreLink> kept;
};

void DeleteModuleLink(void* aux) {
    delete static_cast<ModuleLink*>(aux);
}

void Register(sqlite3* db, const std::string& module, std::unique_ptr<ModuleLink> aux) {
    // SQLite calls the destructor itself, also when the registration fails.
    const int rc =
        sqlite3_create_module_v2(db, module.c_str(), &kModule, aux.release(), DeleteModuleLink);
    if (rc != SQLITE_OK)
        sqlite::ThrowSqliteError(db, rc, "");
}

struct StoreTable : sqlite3_vtab {
    StoreLink* link = nullptr;
    std::string name;
    std::vector<FieldInfo> fields;
    // Why the store could not describe the table (a damaged file): every use reports it.
    std::optional<EngineError> unreadable;

    void CheckReadable() const {
        if (unreadable)
            throw *unreadable;
    }
};

struct StoreCursor : sqlite3_vtab_cursor {
    std::unique_ptr<TableScan> scan;
    bool atEnd = true;
};

StoreTable& TableOf(sqlite3_vtab* vtab) {
    return *static_cast<StoreTable*>(vtab);
}
StoreTable& TableOf(sqlite3_vtab_cursor* cursor) {
    return TableOf(cursor->pVtab);
}

// Constraint failures let SQLite apply the statement's conflict handling (an abort that
// undoes the statement); everything else is a plain error.
int CodeOf(const EngineError& error) {
    switch (error.Number()) {
        case err::kDuplicateValue:
        case err::kNullNotAllowed:
        case err::kValidationFailed:
        case err::kRelatedRecordRequired:
            return SQLITE_CONSTRAINT;
        case err::kReadOnly:
            return SQLITE_READONLY;
        default:
            return SQLITE_ERROR;
    }
}

// Runs a store call for SQLite: a thrown EngineError is kept by the link and reported to
// SQLite with its sentence.
template <typename Work>
int Guarded(sqlite3_vtab* vtab, Work&& work) {
    try {
        work();
        return SQLITE_OK;
    } catch (const EngineError& error) {
        TableOf(vtab).link->Remember(error);
        sqlite3_free(vtab->zErrMsg);
        vtab->zErrMsg = sqlite3_mprintf("%s", error.Description().c_str());
        return CodeOf(error);
    } catch (const std::exception& error) {
        sqlite3_free(vtab->zErrMsg);
        vtab->zErrMsg = sqlite3_mprintf("%s", error.what());
        return SQLITE_ERROR;
    }
}

std::string ColumnsSql(const std::vector<FieldInfo>& fields) {
    if (fields.empty())
        return "CREATE TABLE x(unreadable)";
    std::string sql = "CREATE TABLE x(";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            sql += ", ";
        sql += jetsql::QuoteName(fields[i].name) + " " + DeclaredType(fields[i]);
    }
    return sql + ")";
}

int Connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
            char** error) {
    auto table = std::make_unique<StoreTable>();
    std::memset(static_cast<sqlite3_vtab*>(table.get()), 0, sizeof(sqlite3_vtab));
    table->link = static_cast<ModuleLink*>(aux)->link;
    table->name = argc > 2 ? argv[2] : "";
    try {
        table->fields = table->link->Store().Columns(table->name);
    } catch (const EngineError& failure) {
        // Declared all the same, so that one damaged table leaves the others usable.
        table->unreadable = failure;
    } catch (const std::exception& failure) {
        *error = sqlite3_mprintf("%s", failure.what());
        return SQLITE_ERROR;
    }
    const int rc = sqlite3_declare_vtab(db, ColumnsSql(table->fields).c_str());
    if (rc != SQLITE_OK)
        return rc;
    *out = table.release();
    return SQLITE_OK;
}

// The table stays in the store: DROP TABLE reaches the store through the adapter's DDL.
int Disconnect(sqlite3_vtab* vtab) {
    delete static_cast<StoreTable*>(vtab);
    return SQLITE_OK;
}

bool OpOf(unsigned char sqliteOp, CompareOp& op) {
    switch (sqliteOp) {
        case SQLITE_INDEX_CONSTRAINT_EQ:
            op = CompareOp::Equal;
            return true;
        case SQLITE_INDEX_CONSTRAINT_LT:
            op = CompareOp::Less;
            return true;
        case SQLITE_INDEX_CONSTRAINT_LE:
            op = CompareOp::LessOrEqual;
            return true;
        case SQLITE_INDEX_CONSTRAINT_GT:
            op = CompareOp::Greater;
            return true;
        case SQLITE_INDEX_CONSTRAINT_GE:
            op = CompareOp::GreaterOrEqual;
            return true;
        default:
            return false;
    }
}

// The conditions a plan uses travel to xFilter in idxStr as "column op;" pairs, in the order of
// their arguments.
int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    StoreTable& table = TableOf(vtab);
    std::ostringstream plan;
    int arguments = 0;
    double cost = 1e6;
    const int rc = Guarded(vtab, [&] {
        table.CheckReadable();
        for (int i = 0; i < info->nConstraint; ++i) {
            const auto& constraint = info->aConstraint[i];
            CompareOp op{};
            if (!constraint.usable || constraint.iColumn < 0 || !OpOf(constraint.op, op))
                continue;
            const auto column = static_cast<std::size_t>(constraint.iColumn);
            const FilterUse use = table.link->Store().Filter(table.name, column, op);
            if (use == FilterUse::Ignore)
                continue;
            info->aConstraintUsage[i].argvIndex = ++arguments;
            info->aConstraintUsage[i].omit = use == FilterUse::Exact ? 1 : 0;
            plan << column << ' ' << static_cast<int>(op) << ';';
            cost /= op == CompareOp::Equal ? 100 : 4;
        }
    });
    if (rc != SQLITE_OK)
        return rc;
    info->estimatedCost = cost;
    if (arguments > 0) {
        info->idxStr = sqlite3_mprintf("%s", plan.str().c_str());
        info->needToFreeIdxStr = 1;
    }
    return SQLITE_OK;
}

int Open(sqlite3_vtab* /*vtab*/, sqlite3_vtab_cursor** out) {
    auto* cursor = new StoreCursor();
    std::memset(static_cast<sqlite3_vtab_cursor*>(cursor), 0, sizeof(sqlite3_vtab_cursor));
    *out = cursor;
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
    delete static_cast<StoreCursor*>(cursor);
    return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int /*plan*/, const char* planText, int argc,
           sqlite3_value** argv) {
    auto& cursor = *static_cast<StoreCursor*>(base);
    StoreTable& table = TableOf(base);
    return Guarded(base->pVtab, [&] {
        std::vector<ScanConstraint> constraints;
        std::istringstream plan(planText ? planText : "");
        std::size_t column = 0;
        int op = 0;
        char separator = 0;
        for (int i = 0; i < argc && (plan >> column >> op >> separator); ++i) {
            // SQLite compares a column with a value of the column's affinity: '25' is 25 for a
            // numeric field.
            constraints.push_back(
                ScanConstraint{column, static_cast<CompareOp>(op),
                               ForField(FromSqlite(argv[i]), table.fields.at(column))});
        }
        cursor.scan = table.link->Store().Scan(table.name, constraints);
        cursor.atEnd = !cursor.scan->Next();
    });
}

int Next(sqlite3_vtab_cursor* base) {
    auto& cursor = *static_cast<StoreCursor*>(base);
    return Guarded(base->pVtab, [&] { cursor.atEnd = !cursor.scan->Next(); });
}

int Eof(sqlite3_vtab_cursor* base) {
    return static_cast<StoreCursor*>(base)->atEnd ? 1 : 0;
}

int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int index) {
    auto& cursor = *static_cast<StoreCursor*>(base);
    StoreTable& table = TableOf(base);
    return Guarded(base->pVtab, [&] {
        const auto column = static_cast<std::size_t>(index);
        ResultToSqlite(context, cursor.scan->Get(column), table.fields.at(column).type);
    });
}

int RowIdOf(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
    auto& cursor = *static_cast<StoreCursor*>(base);
    return Guarded(base->pVtab, [&] { *id = cursor.scan->Id(); });
}

Row RowOf(const StoreTable& table, sqlite3_value** values) {
    Row row;
    row.reserve(table.fields.size());
    for (std::size_t i = 0; i < table.fields.size(); ++i)
        row.push_back(ForField(FromSqlite(values[i]), table.fields[i]));
    return row;
}

int Update(sqlite3_vtab* vtab, int argc, sqlite3_value** argv, sqlite3_int64* newId) {
    StoreTable& table = TableOf(vtab);
    return Guarded(vtab, [&] {
        table.CheckReadable();
        TableStore& store = table.link->Store();
        if (argc == 1) {
            store.Delete(table.name, sqlite3_value_int64(argv[0]));
            return;
        }
        const bool insert = sqlite3_value_type(argv[0]) == SQLITE_NULL;
        const bool givenId = sqlite3_value_type(argv[1]) != SQLITE_NULL;
        if ((insert && givenId) ||
            (!insert && sqlite3_value_int64(argv[0]) != sqlite3_value_int64(argv[1]))) {
            throw EngineError(err::kNotSupported,
                              "The rows of '" + table.name +
                                  "' keep the identity their driver gives them; a statement "
                                  "cannot set or change it.");
        }
        if (insert)
            *newId = store.Insert(table.name, RowOf(table, argv + 2));
        else
            store.Update(table.name, sqlite3_value_int64(argv[0]), RowOf(table, argv + 2));
    });
}

int Begin(sqlite3_vtab* vtab) {
    return Guarded(vtab, [&] { TableOf(vtab).link->Begin(); });
}
int Sync(sqlite3_vtab* vtab) {
    return Guarded(vtab, [&] { TableOf(vtab).link->Sync(); });
}
int Commit(sqlite3_vtab* vtab) {
    return Guarded(vtab, [&] { TableOf(vtab).link->Commit(); });
}
int Rollback(sqlite3_vtab* vtab) {
    return Guarded(vtab, [&] { TableOf(vtab).link->Rollback(); });
}
int SavepointAt(sqlite3_vtab* vtab, int level) {
    return Guarded(vtab, [&] { TableOf(vtab).link->Savepoint(level); });
}
int ReleaseAt(sqlite3_vtab* vtab, int level) {
    return Guarded(vtab, [&] { TableOf(vtab).link->Release(level); });
}
int RollbackToAt(sqlite3_vtab* vtab, int level) {
    return Guarded(vtab, [&] { TableOf(vtab).link->RollbackTo(level); });
}

const sqlite3_module kModule = {
    /* iVersion */ 2,
    /* xCreate */ Connect,
    /* xConnect */ Connect,
    /* xBestIndex */ BestIndex,
    /* xDisconnect */ Disconnect,
    /* xDestroy */ Disconnect,
    /* xOpen */ Open,
    /* xClose */ Close,
    /* xFilter */ Filter,
    /* xNext */ Next,
    /* xEof */ Eof,
    /* xColumn */ Column,
    /* xRowid */ RowIdOf,
    /* xUpdate */ Update,
    /* xBegin */ Begin,
    /* xSync */ Sync,
    /* xCommit */ Commit,
    /* xRollback */ Rollback,
    /* xFindFunction */ nullptr,
    /* xRename */ nullptr,
    /* xSavepoint */ SavepointAt,
    /* xRelease */ ReleaseAt,
    /* xRollbackTo */ RollbackToAt,
    /* xShadowName */ nullptr,
#if SQLITE_VERSION_NUMBER >= 3044000
    /* xIntegrity */ nullptr,
#endif
};

}  // namespace

void RegisterStoreModule(sqlite3* db, StoreLink& link) {
    Register(db, kStoreModule, std::make_unique<ModuleLink>(ModuleLink{&link, nullptr}));
}

void RegisterStoreModule(sqlite3* db, std::shared_ptr<StoreLink> link, const std::string& module) {
    StoreLink* raw = link.get();
    Register(db, module, std::make_unique<ModuleLink>(ModuleLink{raw, std::move(link)}));
}

void DropStoreModule(sqlite3* db, const std::string& module) {
    sqlite3_create_module_v2(db, module.c_str(), nullptr, nullptr, nullptr);
}

std::string DeclareTableSql(const std::string& table, const std::string& schema,
                            const std::string& module) {
    return "CREATE VIRTUAL TABLE " + jetsql::QuoteName(schema) + "." + jetsql::QuoteName(table) +
           " USING " + module;
}

}  // namespace tessel::db::vtab

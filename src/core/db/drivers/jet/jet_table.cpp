#include "core/db/drivers/jet/jet_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/db/drivers/jet/jet_catalog.h"
#include "core/db/drivers/jet/jet_long_value.h"
#include "core/db/drivers/jet/jet_text.h"
#include "core/db/drivers/jet/jet_types.h"
#include "core/db/drivers/jet/jet_values.h"
#include "core/db/names.h"

namespace tessel::db::jet {
namespace {

constexpr unsigned kOffsetMask = 0x1fff;
constexpr int kPrimaryIndex = 1;
constexpr int kForeignIndex = 2;
constexpr std::size_t kCalculatedLengthOffset = 16;
constexpr std::size_t kCalculatedDataOffset = 20;
constexpr const char* kCatalogTable = "MSysObjects";
constexpr unsigned long kCatalogDefinitionPage = 2;

MdbCatalogEntry* FindEntry(MdbHandle* handle, const std::string& name) {
    if (handle->catalog == nullptr)
        return nullptr;
    for (guint i = 0; i < handle->catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(handle->catalog, i));
        if (entry->object_type == MDB_TABLE && SameName(entry->object_name, name))
            return entry;
    }
    return nullptr;
}

bool PropertyIsTrue(const MdbColumn* column, const char* key) {
    const char* value = mdb_col_get_prop(column, key);
    if (value == nullptr)
        return false;
    const std::string text = value;
    return text == "yes" || text == "true" || text == "True" || text == "1" || text == "-1";
}

// Reads a table's definition the slow way, on a handle of its own: the catalogue with the
// properties (Required, a calculated field's expression), the columns and the indexes.
// An entry of the library's catalogue made from what this program read of it itself.
void MakeEntry(MdbCatalogEntry& entry, MdbHandle* handle, const std::string& name,
               unsigned long page) {
    entry = MdbCatalogEntry{};
    entry.mdb = handle;
    entry.object_type = MDB_TABLE;
    entry.table_pg = page;
    name.copy(entry.object_name, sizeof entry.object_name - 1);
}

TableDefinition ReadDefinition(const std::shared_ptr<JetFile>& shared, const std::string& name) {
    const JetFile& file = *shared;
    MdbHandle* handle = mdb_clone_handle(file.Handle());
    if (handle == nullptr)
        file.ThrowDamaged("no reader could be made for the table '" + name + "'");
    const std::unique_ptr<MdbHandle, void (*)(MdbHandle*)> closer(handle, mdb_close);
    MdbCatalogEntry own{};
    MdbCatalogEntry* entry = nullptr;
    if (SameName(name, kCatalogTable)) {
        // The catalogue's own definition lies at a fixed page: reading it needs no catalogue.
        MakeEntry(own, handle, kCatalogTable, kCatalogDefinitionPage);
        entry = &own;
    } else {
        const auto catalog = ReadWholeCatalog(shared);
        const auto found =
            std::find_if(catalog->tablePages.begin(), catalog->tablePages.end(),
                         [&](const auto& table) { return SameName(table.first, name); });
        if (found == catalog->tablePages.end()) {
            throw EngineError(err::kItemNotFound,
                              "The table '" + name + "' does not exist in '" + file.Path() + "'.");
        }
        // The library's catalogue has the properties (Required, a calculated field's
        // expression), but its reading of a damaged property list never ends: then the table
        // is read without them.
        if (catalog->propertiesSound && mdb_read_catalog(handle, MDB_ANY) != nullptr)
            entry = FindEntry(handle, found->first);
        if (entry == nullptr) {
            MakeEntry(own, handle, found->first, found->second);
            entry = &own;
        }
    }
    TableDefinition definition;
    definition.name = entry->object_name;
    definition.definitionPage = entry->table_pg;
    MdbTableDef* table = nullptr;
    if (static_cast<long long>(entry->table_pg) >= file.Header().pageCount ||
        (table = mdb_read_table(entry)) == nullptr || mdb_read_columns(table) == nullptr) {
        if (table != nullptr)
            mdb_free_tabledef(table);
        file.ThrowDamaged("the definition of the table '" + definition.name + "' cannot be read");
    }
    const std::unique_ptr<MdbTableDef, void (*)(MdbTableDef*)> freer(table, mdb_free_tabledef);
    // libmdb reads the index definitions from where reading the columns left its page buffer:
    // later, after any other page was read, it would read something else.
    mdb_read_indices(table);
    for (guint i = 0; i < table->columns->len; ++i) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        JetColumn info;
        info.storedType = column->col_type;
        // libmdb reads a decimal's precision into col_scale and its scale into col_prec (the
        // file keeps precision first); mdb-schema prints them in that crossed order too.
        info.scale = column->col_prec;
        info.field = DescribeField(*column, file.Wide());
        info.field.required = PropertyIsTrue(column, "Required");
        if (mdb_col_get_prop(column, "Expression") != nullptr) {
            const char* result = mdb_col_get_prop(column, "ResultType");
            info.calculated = true;
            info.resultType = result ? std::atoi(result) : MDB_TEXT;  // a stored type code
            info.storedType = info.resultType;
            const bool required = info.field.required;
            info.field = DescribeField(*column, file.Wide(), info.storedType);
            info.field.required = required;
        }
        definition.columns.push_back(std::move(info));
    }
    for (guint i = 0; table->indices != nullptr && i < table->indices->len; ++i) {
        const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        IndexInfo info;
        info.name = index->name;
        for (unsigned key = 0; key < index->num_keys && key < MDB_MAX_IDX_COLS; ++key) {
            const int number = index->key_col_num[key] - 1;
            if (number < 0 || static_cast<std::size_t>(number) >= definition.columns.size())
                continue;
            if (!info.fields.empty())
                info.fields += ";";
            info.fields += index->key_col_order[key] == MDB_DESC ? "-" : "+";
            info.fields += definition.columns[static_cast<std::size_t>(number)].field.name;
        }
        info.primary = index->index_type == kPrimaryIndex;
        info.foreign = index->index_type == kForeignIndex;
        info.unique = info.primary || (index->flags & MDB_IDX_UNIQUE) != 0;
        info.ignoreNulls = (index->flags & MDB_IDX_IGNORENULLS) != 0;
        info.required = info.primary || (index->flags & MDB_IDX_REQUIRED) != 0;
        definition.indexes.push_back(std::move(info));
    }
    return definition;
}

}  // namespace

std::shared_ptr<const TableDefinition> JetTable::Definition(const std::shared_ptr<JetFile>& file,
                                                            const std::string& name) {
    return RememberedTable(file->Stamp(), name, [&] { return ReadDefinition(file, name); });
}

std::vector<FieldInfo> JetTable::Fields(const TableDefinition& definition) {
    std::vector<FieldInfo> fields;
    for (const auto& column : definition.columns)
        fields.push_back(column.field);
    return fields;
}

JetTable::JetTable(std::shared_ptr<JetFile> file, const std::string& name)
    : file_(std::move(file)), definition_(Definition(file_, name)) {
    handle_ = mdb_clone_handle(file_->Handle());
    if (handle_ == nullptr)
        file_->ThrowDamaged("no reader could be made for the table '" + definition_->name + "'");
    if (!OpenDefinition()) {
        // What was remembered is not what the file holds now: read it again.
        ForgetFile(file_->Stamp());
        definition_ = Definition(file_, name);
        if (!OpenDefinition()) {
            mdb_close(handle_);
            file_->ThrowDamaged("the definition of the table '" + definition_->name +
                                "' cannot be read");
        }
    }
    if (!HasPageMap(*table_)) {
        mdb_free_tabledef(table_);
        table_ = nullptr;
        mdb_close(handle_);
        file_->ThrowDamaged("the list of the data pages of the table '" + definition_->name +
                            "' cannot be read");
    }
    fields_.resize(table_->num_cols > 0 ? table_->num_cols : 1);
    mdb_rewind_table(table_);
}

// The reader library walks a table's rows by the map of its data pages and takes the map as
// sound: an empty one (a damaged file) it reads through a null pointer, and a short one of the
// first kind past its end.
bool JetTable::HasPageMap(const MdbTableDef& table) {
    const unsigned char* map = table.usage_map;
    if (map == nullptr || table.map_sz < 1)
        return false;
    constexpr std::size_t kFirstKindHeader = 5;  // the kind and the first page's number
    return map[0] != 0 || table.map_sz >= kFirstKindHeader;
}

bool JetTable::OpenDefinition() {
    if (table_ != nullptr) {
        mdb_free_tabledef(table_);
        table_ = nullptr;
    }
    // The table is found by its definition page alone: no catalogue is read again.
    MakeEntry(entry_, handle_, definition_->name, definition_->definitionPage);
    if (static_cast<long long>(entry_.table_pg) >= file_->Header().pageCount ||
        (table_ = mdb_read_table(&entry_)) == nullptr)
        return false;
    bool same =
        mdb_read_columns(table_) != nullptr && table_->columns->len == definition_->columns.size();
    for (guint i = 0; same && i < table_->columns->len; ++i) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
        same = SameName(column->name, definition_->columns[i].field.name);
    }
    if (!same) {
        mdb_free_tabledef(table_);
        table_ = nullptr;
    }
    return same;
}

JetTable::~JetTable() {
    if (table_ != nullptr)
        mdb_free_tabledef(table_);
    mdb_close(handle_);
}

bool JetTable::Next(Row& row) {
    if (table_->num_cols == 0 || !mdb_fetch_row(table_))
        return false;
    const auto pageSize = static_cast<std::size_t>(file_->Header().pageSize);
    const std::string_view page(reinterpret_cast<const char*>(handle_->pg_buf), pageSize);
    int start = 0;
    std::size_t size = 0;
    if (table_->cur_row == 0 ||
        mdb_find_row(handle_, static_cast<int>(table_->cur_row - 1), &start, &size) != 0) {
        file_->ThrowDamaged("a row of the table '" + definition_->name + "' cannot be found");
    }
    const auto offset = static_cast<std::size_t>(start) & kOffsetMask;
    const int count = mdb_crack_row(table_, static_cast<int>(offset), size, fields_.data());
    if (count < 0 || offset + size > pageSize)
        file_->ThrowDamaged("a row of the table '" + definition_->name + "' is damaged");
    row.assign(Columns().size(), Value{});
    for (std::size_t i = 0; i < Columns().size() && i < static_cast<std::size_t>(count); ++i) {
        const MdbField& field = fields_[i];
        if (field.colnum < 0 || static_cast<std::size_t>(field.colnum) >= Columns().size())
            continue;
        std::string_view stored;
        const bool inside = field.start >= 0 && field.siz >= 0 &&
                            static_cast<std::size_t>(field.start) + field.siz <= pageSize;
        if (inside)
            stored = page.substr(static_cast<std::size_t>(field.start),
                                 static_cast<std::size_t>(field.siz));
        const auto& column = Columns()[static_cast<std::size_t>(field.colnum)];
        if (!inside && !field.is_null && column.storedType != MDB_BOOL)
            file_->ThrowDamaged("a value of the table '" + definition_->name +
                                "' lies outside its page");
        row[static_cast<std::size_t>(field.colnum)] = ValueOf(column, stored, field.is_null);
    }
    return true;
}

Value JetTable::ValueOf(const JetColumn& column, std::string_view stored, bool isNull) {
    if (column.calculated) {
        if (isNull)
            return std::monostate{};
        // A long result is a memo whose content is the wrapped value.
        std::optional<std::string> content;
        if (column.storedType == MDB_MEMO) {
            content = ReadLongValue(*file_, stored);
            if (!content) {
                file_->ThrowDamaged("a calculated value of the table '" + definition_->name +
                                    "' cannot be read");
            }
            stored = *content;
        }
        if (stored.size() < kCalculatedDataOffset)
            return std::monostate{};
        // The computed value follows a header that gives its length.
        const auto length = static_cast<std::size_t>(
            static_cast<std::uint32_t>(ReadLittleEndian(stored, kCalculatedLengthOffset, 4)));
        stored = stored.substr(kCalculatedDataOffset, length);
        if (stored.empty())
            return std::monostate{};  // computed from a Null
        switch (column.storedType) {
            case MDB_BOOL:
                return !stored.empty() && stored[0] != 0;
            case MDB_MEMO:
                return DecodeText(*file_, stored);
            case MDB_NUMERIC:
                return CalculatedDecimalValue(stored);
            default:
                break;
        }
        JetColumn plain = column;
        plain.calculated = false;
        return ValueOf(plain, stored, false);
    }
    if (column.storedType == MDB_BOOL)
        return !isNull;  // a Yes/No value is its null bit
    if (isNull)
        return std::monostate{};
    const auto need = [&](std::size_t size) {
        if (stored.size() < size)
            file_->ThrowDamaged("a value of the table '" + definition_->name + "' is too short");
    };
    switch (column.storedType) {
        case MDB_BYTE:
            need(1);
            return static_cast<std::int64_t>(static_cast<unsigned char>(stored[0]));
        case MDB_INT:
            need(2);
            return ReadLittleEndian(stored, 0, 2);
        case MDB_LONGINT:
            need(4);
            return ReadLittleEndian(stored, 0, 4);
        case kStoredBigInt:
            need(8);
            return ReadLittleEndian(stored, 0, 8);
        case MDB_MONEY:
            need(8);
            return CurrencyValue(ReadLittleEndian(stored, 0, 8));
        case MDB_FLOAT: {
            need(4);
            float value = 0;
            std::memcpy(&value, stored.data(), sizeof value);
            return SingleValue(value);
        }
        case MDB_DOUBLE: {
            need(8);
            double value = 0;
            std::memcpy(&value, stored.data(), sizeof value);
            return value;
        }
        case MDB_DATETIME: {
            need(8);
            double value = 0;
            std::memcpy(&value, stored.data(), sizeof value);
            return DateValue(value);
        }
        case kStoredExtendedDate:
            return ExtendedDateValue(stored);
        case MDB_REPID: {
            auto text = GuidText(stored);
            if (!text)
                file_->ThrowDamaged("a GUID of the table '" + definition_->name + "' is too short");
            return *text;
        }
        case MDB_NUMERIC:
            return DecimalValue(stored, column.scale);
        case MDB_TEXT:
            return DecodeText(*file_, stored);
        case MDB_MEMO:
        case MDB_OLE: {
            auto bytes = ReadLongValue(*file_, stored);
            if (!bytes) {
                file_->ThrowDamaged("a memo or OLE value of the table '" + definition_->name +
                                    "' cannot be read");
            }
            return column.storedType == MDB_MEMO ? DecodeText(*file_, *bytes) : *bytes;
        }
        case MDB_COMPLEX:
            return std::string(kComplexPlaceholder);
        default:
            return std::string(stored);  // binary and what the file alone knows: the bytes
    }
}

}  // namespace tessel::db::jet

#include "core/db/drivers/jet/jet_catalog.h"

#include <map>

#include "core/db/drivers/jet/jet_definitions.h"
#include "core/db/drivers/jet/jet_property_check.h"
#include "core/db/drivers/jet/jet_table.h"
#include "core/db/names.h"

namespace tessel::db::jet {
namespace {

constexpr int kLocalTable = 1;
constexpr int kOdbcTable = 4;
constexpr int kQuery = 5;
constexpr int kAttachedTable = 6;
constexpr std::uint32_t kHiddenFlag = 0x8;
// A table's object number holds the page of its definition in its low three bytes.
constexpr unsigned long kPageOfId = 0x00FFFFFF;

std::map<std::string, std::size_t> ColumnIndex(const JetTable& table) {
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < table.Columns().size(); ++i)
        index[table.Columns()[i].field.name] = i;
    return index;
}

template <typename T>
T Get(const Row& row, const std::map<std::string, std::size_t>& columns, const char* name,
      T fallback) {
    const auto found = columns.find(name);
    if (found == columns.end() || found->second >= row.size())
        return fallback;
    if (const auto* value = std::get_if<T>(&row[found->second]))
        return *value;
    return fallback;
}

}  // namespace

namespace {

CatalogRead ReadCatalogFromFile(const std::shared_ptr<JetFile>& file) {
    CatalogRead read;
    JetTable objects(file, "MSysObjects");
    const auto columns = ColumnIndex(objects);
    std::vector<CatalogObject> all;
    std::vector<std::int64_t> parents;
    std::int64_t tablesContainer = -1;
    Row row;
    while (objects.Next(row)) {
        CatalogObject object;
        object.id = Get<std::int64_t>(row, columns, "Id", 0);
        object.name = Get<std::string>(row, columns, "Name", "");
        const auto type = Get<std::int64_t>(row, columns, "Type", 0) & 0x7f;
        object.flags = static_cast<std::uint32_t>(Get<std::int64_t>(row, columns, "Flags", 0));
        const std::int64_t parent = Get<std::int64_t>(row, columns, "ParentId", 0);
        if (read.propertiesSound)
            read.propertiesSound =
                PropertyListIsSound(Get<std::string>(row, columns, "LvProp", ""));
        if (type == kLocalTable)
            read.tablePages.emplace_back(object.name,
                                         static_cast<unsigned long>(object.id) & kPageOfId);
        if (object.name == "Tables" && type == 3)
            tablesContainer = object.id;
        switch (type) {
            case kLocalTable:
                object.kind = ObjectKind::Table;
                break;
            case kAttachedTable:
            case kOdbcTable:
                object.kind =
                    type == kOdbcTable ? ObjectKind::AttachedOdbc : ObjectKind::AttachedTable;
                object.connect = Get<std::string>(row, columns, "Connect", "");
                if (type == kAttachedTable) {
                    const std::string database = Get<std::string>(row, columns, "Database", "");
                    if (!database.empty())
                        object.connect += ";DATABASE=" + database;
                }
                object.foreignName = Get<std::string>(row, columns, "ForeignName", "");
                break;
            case kQuery:
                object.kind = ObjectKind::Query;
                break;
            default:
                object.kind = ObjectKind::Other;
        }
        all.push_back(std::move(object));
        parents.push_back(parent);
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        const bool table = all[i].kind == ObjectKind::Table ||
                           all[i].kind == ObjectKind::AttachedTable ||
                           all[i].kind == ObjectKind::AttachedOdbc;
        // Tables stand in the Tables container; the rest of type 1 are not tables to list.
        if (table && tablesContainer >= 0 && parents[i] != tablesContainer)
            continue;
        if (table || all[i].kind == ObjectKind::Query)
            read.objects.push_back(std::move(all[i]));
    }
    return read;
}

}  // namespace

std::shared_ptr<const CatalogRead> ReadWholeCatalog(const std::shared_ptr<JetFile>& file) {
    return RememberedCatalog(file->Stamp(), [&] { return ReadCatalogFromFile(file); });
}

std::vector<CatalogObject> ReadCatalog(const std::shared_ptr<JetFile>& file) {
    return ReadWholeCatalog(file)->objects;
}

std::uint32_t TableAttributes(const CatalogObject& object) {
    std::uint32_t attributes = object.flags & attr::kSystemObjectMask;
    if (object.flags & kHiddenFlag)
        attributes |= attr::kHiddenObject;
    if (object.kind == ObjectKind::AttachedTable)
        attributes |= attr::kAttachedTable;
    if (object.kind == ObjectKind::AttachedOdbc)
        attributes |= attr::kAttachedOdbc;
    return attributes;
}

}  // namespace tessel::db::jet

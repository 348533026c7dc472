// The objects a Jet/ACE file lists in its system table MSysObjects: tables (local, attached to
// another file, attached through ODBC) and queries, with their flags and attachment texts.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/db/drivers/jet/jet_file.h"
#include "core/db/engine.h"

namespace tessel::db::jet {

enum class ObjectKind { Table, AttachedTable, AttachedOdbc, Query, Other };

struct CatalogObject {
    std::int64_t id = 0;
    std::string name;
    ObjectKind kind = ObjectKind::Other;
    std::uint32_t flags = 0;
    std::string connect;      // attached tables: the Connect text as DAO gives it
    std::string foreignName;  // attached tables: the table's name in the other database
};

// All that reading the catalogue finds: the objects to list, where every local table's
// definition lies (system tables too), and whether every stored property list is sound enough
// to hand to the reader library.
struct CatalogRead {
    std::vector<CatalogObject> objects;
    std::vector<std::pair<std::string, unsigned long>> tablePages;
    bool propertiesSound = true;
};
std::shared_ptr<const CatalogRead> ReadWholeCatalog(const std::shared_ptr<JetFile>& file);

// The tables and queries of the file, in catalogue order.
std::vector<CatalogObject> ReadCatalog(const std::shared_ptr<JetFile>& file);

// A table's attributes as the engine reports them (system, hidden, attached bits).
std::uint32_t TableAttributes(const CatalogObject& object);

}  // namespace tessel::db::jet

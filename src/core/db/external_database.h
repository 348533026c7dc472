// Another database that a statement names (FROM orders IN '/data/dbf' 'dBase IV;'), as the
// statement's connection reaches it: a store whose tables become virtual tables there, or a
// SQLite file that is attached.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tessel::db {

class TableStore;

struct ExternalDatabase {
    std::shared_ptr<TableStore> store;  // the tables of a directory or a read-only file
    std::string sqliteFile;             // else: the SQLite file to attach
    std::string label;                  // how messages name it: "'/data/dbf' (dBase)"
    bool encrypted = false;             // the SQLite file is sealed with a password
};

// Finds the database of a connect text and a path; throws EngineError naming what is missing.
using ExternalDatabaseFinder =
    std::function<ExternalDatabase(const std::string& connect, const std::string& path)>;

}  // namespace tessel::db

// What a Jet/ACE file's catalogue says of its objects and tables, remembered for as long as the
// file is unchanged. Every statement opens the file anew and declares every table, and reading
// the catalogue with its properties costs far more than reading the rows of a small table.
// The file is never written by this program; another program that changes it changes its size
// or time, and then it is read again.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/db/table_store.h"

namespace tessel::db::jet {

// What the engine needs of one stored column besides its FieldInfo.
struct JetColumn {
    FieldInfo field;
    int storedType = 0;  // libmdb's (the file's) type code
    int scale = 0;
    // A calculated field's value is stored wrapped, of the type it computes (a stored type code).
    bool calculated = false;
    int resultType = 0;
};

struct TableDefinition {
    std::string name;  // as the catalogue spells it
    unsigned long definitionPage = 0;
    std::vector<JetColumn> columns;
    std::vector<IndexInfo> indexes;
};

struct CatalogRead;

// `stamp` names one state of one file (JetFile::Stamp). Each lookup returns what is remembered
// or, the first time, what `read` gives, which is then remembered; a read that throws leaves
// nothing behind. Safe to call from several threads.
std::shared_ptr<const TableDefinition> RememberedTable(
    const std::string& stamp, const std::string& table,
    const std::function<TableDefinition()>& read);
// Forgets all that is remembered of the file `stamp` (its tables were found to differ).
void ForgetFile(const std::string& stamp);
std::shared_ptr<const CatalogRead> RememberedCatalog(const std::string& stamp,
                                                     const std::function<CatalogRead()>& read);

}  // namespace tessel::db::jet

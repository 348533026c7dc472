// The names of the date fields of a database's tables, for the rewrite of date arithmetic on
// fields. Read on first use, in one query of SQLite's schema, once for each version of the schema:
// a field's declared type says its Jet type (the metadata keeps a type code only while the declared
// type still matches it).
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "core/db/jetsql/arithmetic_rewrite.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

class DateFieldNames {
  public:
    explicit DateFieldNames(Handle& handle) : handle_(handle) {}

    bool Empty() { return Names().empty(); }
    bool Contains(std::string_view name);  // any ASCII case, as SQLite compares names
    // The test the rewrite takes; it reads the schema when first asked.
    jetsql::DateFieldTest Test();

  private:
    const std::set<std::string>& Names();

    Handle& handle_;
    SchemaCatalog::Names names_;  // upper case
};

}  // namespace tessel::db::sqlite

#include "core/db/drivers/sqlite/date_fields.h"

#include "core/base/text.h"
#include "core/db/engine.h"
#include "core/db/jetsql/type_map.h"

namespace tessel::db::sqlite {

const std::set<std::string>& DateFieldNames::Names() {
    if (names_)
        return *names_;
    names_ = handle_.Catalog().Derived(handle_, "date fields", [this] {
        std::set<std::string> names;
        auto statement = handle_.Prepare(
            "SELECT DISTINCT p.name, p.type FROM sqlite_schema AS s, pragma_table_info(s.name) AS "
            "p WHERE s.type = 'table' AND s.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
        while (statement.Step()) {
            const int code = jetsql::DeriveFromDeclared(statement.Text(1)).code;
            if (code == ftype::kDate || code == ftype::kTime || code == ftype::kTimeStamp)
                names.insert(base::UpperAscii(statement.Text(0)));
        }
        return names;
    });
    return *names_;
}

bool DateFieldNames::Contains(std::string_view name) {
    return Names().count(base::UpperAscii(name)) != 0;
}

jetsql::DateFieldTest DateFieldNames::Test() {
    return [this](std::string_view name) { return Contains(name); };
}

}  // namespace tessel::db::sqlite

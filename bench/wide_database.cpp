#include "wide_database.h"

namespace tessel::bench {

namespace {

// Names of their own per table, so that no two column definitions are alike.
std::string FieldName(int table, int field) {
    std::string name = "T";
    name += std::to_string(table);
    name += "Field";
    name += std::to_string(field);
    return name;
}

}  // namespace

void MakeWideDatabase(Session& session, const std::string& path, int tables) {
    session.engine.CreateDatabase(path, "", db::dbformat::kVersion30);
    auto connection = session.engine.OpenConnection(
        "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + path + ";");
    static const char* kTypes[kWideFieldsPerTable] = {"LONG",      "TEXT (50)", "MEMO",  "DOUBLE",
                                                      "DATETIME",  "BIT",       "SHORT", "CURRENCY",
                                                      "TEXT (10)", "LONGBINARY"};
    connection->Execute("BEGIN");
    for (int t = 0; t < tables; ++t) {
        const std::string table = "Table" + std::to_string(t);
        std::string create = "CREATE TABLE " + table + " (";
        for (int f = 0; f < kWideFieldsPerTable; ++f) {
            if (f > 0)
                create += ", ";
            create += FieldName(t, f) + " " + kTypes[f];
        }
        connection->Execute(create + ")");
        connection->Execute("CREATE UNIQUE INDEX " + table + "Key ON " + table + " (" +
                            FieldName(t, 0) + ")");
        connection->Execute("CREATE INDEX " + table + "Name ON " + table + " (" + FieldName(t, 1) +
                            ", " + FieldName(t, 4) + " DESC)");
        connection->Execute("CREATE INDEX " + table + "Amount ON " + table + " (" +
                            FieldName(t, 7) + ")");
    }
    connection->Execute("COMMIT");
}

}  // namespace tessel::bench

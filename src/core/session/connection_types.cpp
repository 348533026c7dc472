#include "core/session/connection_types.h"

#include <exception>

#include "core/db/connection_text.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

constexpr const char* kWarnCaption = "Invalid database version";
constexpr int kWarnStyle = msgbox::kExclamation | msgbox::kOkOnly;

const auto& kRows = db::ConnectionTypes();

// Rows a version choice or a detected version may select, for the type text that admits them.
struct VersionFamily {
    int typeRow;  // the row whose type text DBVer and DetectVersion look for
    int firstRow;
    int lastRow;
    int defaultRow;
    bool firstCharacterOnly;  // DBVer reads only the version's first character
    const char* warning;
};

using db::kAccessDefaultRow;
using db::kOdbcRow;
using db::kTextRow;

void SelectRow(SharedState& state, int row) {
    state.current.versionIndex = row;
    state.current.connectionType = kRows[static_cast<std::size_t>(row)].typeText;
}

void SelectAccessRow(SharedState& state, int row) {
    SelectRow(state, row);
    state.current.databaseVersionOption = kRows[static_cast<std::size_t>(row)].fileFormat;
}

// Runs `body`, showing the standard error box for any failure; what was set stays set.
template <typename Body>
void Guarded(Session& session, Body&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        ShowStandardError(session.ui, AsEngineError(error));
    }
}

// The row in [first, last] whose version text equals `version`, or -1.
int RowForVersion(const std::string& version, int first, int last) {
    for (int row = first; row <= last; ++row) {
        if (version == kRows[static_cast<std::size_t>(row)].detectedVersion)
            return row;
    }
    return -1;
}

// The rows DBVer chooses from. Access 1.0 and 1.1 are told apart by the whole text, the
// single-character families by their leading digit.
const VersionFamily* FamilyFor(const std::string& typeText, const VersionFamily* families,
                               std::size_t count) {
    const int row = db::RowOfTypeText(typeText);
    for (std::size_t i = 0; i < count; ++i) {
        if (row >= 0 && row == families[i].typeRow)
            return &families[i];
    }
    return nullptr;
}

constexpr VersionFamily kChoosableVersions[] = {
    {0, 0, 3, 3, false, "Invalid Access file version - defaults to version 3"},
    {7, 5, 7, 7, true, "Invalid Dbase file version - defaults to version 5.x"},
    {10, 8, 10, 10, true, "Invalid Excel file version - defaults to version 5.x"},
    {15, 12, 15, 15, false, "Invalid FoxPro file version - defaults to version 3.0"},
    {18, 16, 18, 18, true, "Invalid Paradox file version - defaults to version 5.x"},
};

constexpr VersionFamily kDetectableVersions[] = {
    {0, 0, 3, 3, false, ""},     {7, 5, 7, 7, false, ""},    {11, 8, 11, 11, false, ""},
    {15, 12, 15, 15, false, ""}, {18, 16, 18, 18, true, ""},
};

// The first character of a version ("4" of "4.0"), compared with the table's "4.0" or "4".
int RowForLeadingDigit(const std::string& version, int first, int last) {
    if (version.empty())
        return -1;
    for (int row = first; row <= last; ++row) {
        const std::string known = kRows[static_cast<std::size_t>(row)].detectedVersion;
        if (!known.empty() && known[0] == version[0])
            return row;
    }
    return -1;
}

}  // namespace

void DBConn(Session& session, const std::string& word) {
    Guarded(session, [&] {
        struct WordRow {
            const char* word;
            int row;
        };
        static constexpr WordRow kWords[] = {{"Access", 3}, {"Btrieve", 4}, {"Dbase", 7},
                                             {"Excel", 11}, {"FoxPro", 15}, {"Paradox", 18},
                                             {"ODBC", 19},  {"Text", 20}};
        SharedState& state = session.state;
        for (const auto& entry : kWords) {
            if (word != entry.word)
                continue;
            if (entry.row == kAccessDefaultRow) {
                SelectAccessRow(state, entry.row);
            } else {
                SelectRow(state, entry.row);
            }
            return;
        }
        session.ui.MessageBox("Invalid Jet file connection - default to Access version 3",
                              kWarnStyle, "Invalid Jet connection");
        SelectAccessRow(state, kAccessDefaultRow);
    });
}

void DBVer(Session& session, std::string& version) {
    Guarded(session, [&] {
        SharedState& state = session.state;
        const VersionFamily* family = FamilyFor(state.current.connectionType, kChoosableVersions,
                                                std::size(kChoosableVersions));
        if (family == nullptr)
            return;
        const bool isAccess =
            db::FamilyOfTypeText(state.current.connectionType) == db::Family::Access;
        int row;
        if (family->firstCharacterOnly) {
            version = version.substr(0, 1);
            row = RowForLeadingDigit(version, family->firstRow, family->lastRow);
        } else {
            row = RowForVersion(version, family->firstRow, family->lastRow);
        }
        if (row < 0) {
            session.ui.MessageBox(family->warning, kWarnStyle, kWarnCaption);
            row = family->defaultRow;
        }
        if (isAccess) {
            SelectAccessRow(state, row);
        } else {
            SelectRow(state, row);
        }
    });
}

void ConnectTypeText(Session& session, int index) {
    Guarded(session, [&] {
        if (index < 0 || index >= kConnectionTypeCount)
            return;
        session.state.current.connectionType = kRows[static_cast<std::size_t>(index)].typeText;
    });
}

void DetectVersion(Session& session) {
    Guarded(session, [&] {
        SharedState& state = session.state;
        const int typeRow = db::RowOfTypeText(state.current.connectionType);
        if (typeRow == kOdbcRow || typeRow == kTextRow) {
            state.current.versionIndex = typeRow;
            return;
        }
        const VersionFamily* family = FamilyFor(state.current.connectionType, kDetectableVersions,
                                                std::size(kDetectableVersions));
        // Nothing to read without a database; the index stays as it is.
        if (family == nullptr || !state.current.currentDatabase)
            return;
        const std::string version = state.current.currentDatabase->Version();
        const int row = family->firstCharacterOnly
                            ? RowForLeadingDigit(version, family->firstRow, family->lastRow)
                            : RowForVersion(version, family->firstRow, family->lastRow);
        if (row >= 0)
            state.current.versionIndex = row;
    });
}

void ParseConnect(Session& session, const std::string& connect) {
    if (connect.find('=') == std::string::npos)
        return;
    OdbcParts& parts = session.state.odbc;
    // Keys are compared exactly: "Dsn" is not "DSN" here.
    for (const auto& pair : db::SplitConnectPairs(connect)) {
        if (pair.key == "DSN") {
            parts.dataSourceName = pair.value;
        } else if (pair.key == "DATABASE" || pair.key == "DBQ") {
            parts.database = pair.value;
        } else if (pair.key == "UID") {
            parts.user = pair.value;
        } else if (pair.key == "PWD") {
            parts.password = pair.value;
        } else if (pair.key == "Driver") {
            parts.driver = pair.value;
        } else if (pair.key == "Server") {
            parts.server = pair.value;
        }
    }
}

std::string OdbcConnectText(const OdbcParts& parts) {
    std::string text;
    if (!parts.dataSourceName.empty()) {
        text = "ODBC;DSN=" + db::ConnectTextValue(parts.dataSourceName) + ";";
    } else {
        text =
            "ODBC;Driver={" + parts.driver + "};Server=" + db::ConnectTextValue(parts.server) + ";";
    }
    text += "UID=" + db::ConnectTextValue(parts.user) +
            ";PWD=" + db::ConnectTextValue(parts.password) + ";";
    if (!parts.database.empty())
        text += "Database=" + db::ConnectTextValue(parts.database) + ";";
    return text;
}

std::string StatementDataSource(const SharedState& state) {
    const int row = db::RowOfTypeText(state.current.connectionType);
    if (row == kOdbcRow)
        return "DSN=" + db::ConnectTextValue(state.odbc.dataSourceName) + ";";
    return row < 0 ? "" : db::ConnectionTypeAt(row).odbcDataSource;
}

std::string StatementConnectionText(const SharedState& state, const std::string& odbcConnect) {
    if (!state.odbc.dataSourceName.empty()) {
        // The connect text without its leading "ODBC;".
        return "PROVIDER=MSDASQL.1;" + (odbcConnect.size() > 5 ? odbcConnect.substr(5) : "");
    }
    return "Provider=MSDASQL.1;Extended Properties=DSN=" + StatementDataSource(state) +
           "DBQ=" + db::ConnectTextValue(state.current.currentDatabaseFileName) + ";";
}

std::string RegistrationAttributes(const OdbcParts& parts) {
    std::string text;
    text += "Server=" + parts.server;
    text += '\0';
    text += "Description=" + parts.description;
    text += '\0';
    text += "Database=" + parts.database;
    text += '\0';
    return text;
}

}  // namespace tessel

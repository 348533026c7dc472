// The connection types: the one table of the texts that name them (options list text, the
// connection type text handed to the engine, the file format of new single-file databases, the
// data source that runs statements, the version text that detects the row), the families that
// drivers serve, and the lookups from a text to a row or a family. No other code spells or
// compares these texts.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::db {

// Kinds of database a driver can serve; each connection type belongs to one.
enum class Family { Access, Btrieve, Dbase, Excel, FoxPro, Paradox, Odbc, Text };

struct ConnectionTypeRow {
    const char* listText;         // options list text, "Access 3.0"
    const char* typeText;         // connection type text handed to the engine, "Dbase IV;"
    int fileFormat;               // file-format option for new single-file databases, 0 if none
    const char* odbcDataSource;   // data source that runs statements ("" for ODBC: from the DSN)
    const char* detectedVersion;  // Version text that selects this row ("" when never detected)
    Family family;
};

inline constexpr int kConnectionTypeCount = 21;
inline constexpr int kAccessDefaultRow = 3;
inline constexpr int kOdbcRow = 19;
inline constexpr int kTextRow = 20;

const std::array<ConnectionTypeRow, kConnectionTypeCount>& ConnectionTypes();
const ConnectionTypeRow& ConnectionTypeAt(int row);

// The first row whose connection type text is exactly `typeText`, or -1.
int RowOfTypeText(std::string_view typeText);
// The family of a connection type text compared exactly, if it is one of the table's.
std::optional<Family> FamilyOfTypeText(std::string_view typeText);

// The family of an engine connect argument: "" or a text that begins with ";" is the
// single-file default (Access); otherwise the part before the first ";" names a row of the
// table, compared without regard to case ("dbase iv;" is Dbase). Nothing when it names none.
std::optional<Family> FamilyOfConnect(std::string_view connect);

// The family whose statement data source is `dataSource` ("dBASE Files", with or without its
// ";", any case). Nothing for any other name (an ODBC data source of the machine).
std::optional<Family> FamilyOfDataSource(std::string_view dataSource);

// How messages name a family: "Access", "dBase", "FoxPro", ...
std::string FamilyName(Family family);

// The file dialog that picks a database of a family.
struct OpenDialogText {
    const char* filter;
    const char* title;
    // The picked file is one table of a directory database: the directory is opened.
    bool directoryDatabase;
};
const OpenDialogText& OpenDialogFor(Family family);

}  // namespace tessel::db

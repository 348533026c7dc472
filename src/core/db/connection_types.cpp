#include "core/db/connection_types.h"

#include "core/db/names.h"

namespace tessel::db {
namespace {

constexpr std::array<ConnectionTypeRow, kConnectionTypeCount> kRows = {{
    {"Access 1.0", "Access", 8, "MS Access 97 Database;", "1.0", Family::Access},
    {"Access 1.1", "Access", 8, "MS Access 97 Database;", "1.1", Family::Access},
    {"Access 2.0", "Access", 16, "MS Access 97 Database;", "2.0", Family::Access},
    {"Access 3.0", "Access", 32, "MS Access 97 Database;", "3.0", Family::Access},
    {"Btrieve", "Btrieve;", 0, "Btrieve Files;", "", Family::Btrieve},
    {"Dbase III", "Dbase III;", 0, "dBASE Files;", "3.0", Family::Dbase},
    {"Dbase IV", "Dbase IV;", 0, "dBASE Files;", "4.0", Family::Dbase},
    {"Dbase V", "Dbase 5.0;", 0, "dBASE Files;", "5.0", Family::Dbase},
    {"Excel 3.0", "Excel 3.0;HDR=YES;", 0, "Excel Files;", "3.0", Family::Excel},
    {"Excel 4.0", "Excel 4.0;HDR=YES;", 0, "Excel Files;", "4.0", Family::Excel},
    {"Excel 5.0", "Excel 5.0;HDR=YES;", 0, "Excel Files;", "5.0", Family::Excel},
    {"Excel 8.0", "Excel 8.0;HDR=YES;", 0, "Excel Files;", "8.0", Family::Excel},
    {"FoxPro 2.0", "FoxPro 2.0;", 0, "FoxPro Files;", "2.0", Family::FoxPro},
    {"FoxPro 2.5", "FoxPro 2.5;", 0, "FoxPro Files;", "2.5", Family::FoxPro},
    {"FoxPro 2.6", "FoxPro 2.6;", 0, "FoxPro Files;", "2.6", Family::FoxPro},
    {"FoxPro 3.0", "FoxPro 3.0;", 0, "FoxPro Files;", "3.0", Family::FoxPro},
    {"Paradox 3.x", "Paradox 3.X;", 0, "Paradox Files;", "3", Family::Paradox},
    {"Paradox 4.x", "Paradox 4.X;", 0, "Paradox Files;", "4", Family::Paradox},
    {"Paradox 5.x", "Paradox 5.X;", 0, "Paradox Files;", "5", Family::Paradox},
    {"ODBC", "ODBC;", 0, "", "", Family::Odbc},
    {"Text Files", "Text;", 0, "Text Files;", "", Family::Text},
}};

struct FamilyRow {
    Family family;
    const char* name;
    OpenDialogText dialog;
};

constexpr FamilyRow kFamilies[] = {
    {Family::Access,
     "Access",
     {"Microsoft Access MDBs (*.mdb)|*.mdb", "Open Microsoft Access database", false}},
    {Family::Btrieve,
     "Btrieve",
     {"Btrieve DBs (FILE.DDF)|FILE.DDF", "Open Btrieve database", false}},
    {Family::Dbase, "dBase", {"Dbase DBs (*.dbf)|*.dbf", "Open Dbase database", true}},
    {Family::Excel, "Excel", {"Excel Files (*.xls)|*.xls", "Open Excel file", false}},
    {Family::FoxPro, "FoxPro", {"FoxPro DBs (*.dbf)|*.dbf", "Open FoxPro database", true}},
    {Family::Paradox, "Paradox", {"Paradox DBs (*.db)|*.db", "Open Paradox database", true}},
    // ODBC data sources are chosen in their own dialog; the file dialog falls back to Access.
    {Family::Odbc,
     "ODBC",
     {"Microsoft Access MDBs (*.mdb)|*.mdb", "Open Microsoft Access database", false}},
    {Family::Text, "Text", {"Text Files (*.txt)|*.txt", "Open Text database", true}},
};

const FamilyRow& RowOf(Family family) {
    for (const auto& row : kFamilies) {
        if (row.family == family)
            return row;
    }
    return kFamilies[0];
}

std::string_view BeforeSemicolon(std::string_view text) {
    const auto semicolon = text.find(';');
    return semicolon == std::string_view::npos ? text : text.substr(0, semicolon);
}

}  // namespace

const std::array<ConnectionTypeRow, kConnectionTypeCount>& ConnectionTypes() {
    return kRows;
}

const ConnectionTypeRow& ConnectionTypeAt(int row) {
    return kRows.at(static_cast<std::size_t>(row));
}

int RowOfTypeText(std::string_view typeText) {
    for (int row = 0; row < kConnectionTypeCount; ++row) {
        if (typeText == kRows[static_cast<std::size_t>(row)].typeText)
            return row;
    }
    return -1;
}

std::optional<Family> FamilyOfTypeText(std::string_view typeText) {
    const int row = RowOfTypeText(typeText);
    if (row < 0)
        return std::nullopt;
    return kRows[static_cast<std::size_t>(row)].family;
}

std::optional<Family> FamilyOfConnect(std::string_view connect) {
    if (connect.empty() || connect.front() == ';')
        return Family::Access;
    const std::string_view type = BeforeSemicolon(connect);
    for (const auto& row : kRows) {
        if (SameName(type, BeforeSemicolon(row.typeText)))
            return row.family;
    }
    return std::nullopt;
}

std::optional<Family> FamilyOfDataSource(std::string_view dataSource) {
    const std::string_view name = BeforeSemicolon(dataSource);
    for (const auto& row : kRows) {
        if (row.odbcDataSource[0] != '\0' && SameName(name, BeforeSemicolon(row.odbcDataSource)))
            return row.family;
    }
    return std::nullopt;
}

std::string FamilyName(Family family) {
    return RowOf(family).name;
}

const OpenDialogText& OpenDialogFor(Family family) {
    return RowOf(family).dialog;
}

}  // namespace tessel::db

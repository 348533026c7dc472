#include "core/script/odbc_data_sources.h"

#include <exception>
#include <filesystem>

#include "core/base/text.h"
#include "core/db/odbc.h"
#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

// The executable's name as the workspaces carry it.
constexpr const char* kWorkspaceName = "tessel";

void ReduceNeighbouringDuplicates(std::vector<std::string>& entries) {
    std::size_t position = 0;
    while (position + 1 < entries.size()) {
        if (entries[position] == entries[position + 1]) {
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(position));
        } else {
            ++position;
        }
    }
}

// The directory part of a file name, up to and including its last "/"; "" when it has none.
std::string DirectoryWithSlash(const std::string& file) {
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// The value after the first "DBQ=" (any case) up to the next ";"; "" when there is none or
// nothing ends it.
std::string DbqEntry(const std::string& connect) {
    const std::string upper = base::UpperAscii(connect);
    const auto start = upper.find("DBQ=");
    if (start == std::string::npos)
        return {};
    const auto end = connect.find(';', start + 4);
    if (end == std::string::npos)
        return {};
    return connect.substr(start + 4, end - start - 4);
}

void CloseIfOpen(Session& session) {
    if (session.state.current.databaseOpen)
        CloseDB(session);
}

}  // namespace

std::vector<std::string> GetDSNsAndDrivers() {
    std::vector<std::string> entries;
    try {
        for (const auto& source : db::OdbcDataSources()) {
            if (source.name.find_first_not_of(' ') != std::string::npos)
                entries.push_back(source.driver);
        }
    } catch (const std::exception&) {
        // Without an environment the list stays as it is.
    }
    try {
        // A machine without data sources still has its drivers to offer.
        for (auto& driver : db::OdbcDrivers())
            entries.push_back(std::move(driver));
    } catch (const std::exception&) {
    }
    ReduceNeighbouringDuplicates(entries);
    return entries;
}

OdbcRegistrationForm ODBCnewForm(const OdbcParts& parts) {
    OdbcRegistrationForm form;
    form.drivers = GetDSNsAndDrivers();
    form.dataSourceName = parts.dataSourceName;
    form.database = parts.database;
    form.description = parts.description;
    form.server = parts.server;
    if (!parts.database.empty()) {
        const std::string tail = base::LowerAscii(
            parts.database.size() > 4 ? parts.database.substr(parts.database.size() - 4)
                                      : parts.database);
        for (std::size_t i = 0; i < form.drivers.size(); ++i) {
            if (base::LowerAscii(form.drivers[i]).find(tail) != std::string::npos) {
                form.selectedDriver = static_cast<int>(i);
                break;
            }
        }
    }
    if (form.selectedDriver >= 0)
        form.driver = form.drivers[static_cast<std::size_t>(form.selectedDriver)];
    return form;
}

void newODBC(Session& session, std::string& sDBFilename) {
    Ui& ui = session.ui;
    OdbcConnection& parts = session.state.odbc;
    try {
        ui.SetStatusText("");
        ui.ClearTree();
        parts.database = sDBFilename;
        if (auto answer = ui.AskOdbcRegistration(ODBCnewForm(parts))) {
            parts.dataSourceName = answer->dataSourceName;
            parts.driver = answer->driver;
            parts.database = answer->database;
            parts.server = answer->server;
            parts.description = answer->description;
        }
        if (parts.driver.empty())
            return;
        ui.SetPointer(Pointer::Busy);
        // The driver's own setup has to ask for what is missing.
        if (parts.database.empty() || parts.dataSourceName.empty())
            parts.odbcSilent = false;
        const std::string attributes = RegistrationAttributes(parts);
        sDBFilename = DirectoryWithSlash(sDBFilename);
        if (!sDBFilename.empty())
            std::filesystem::current_path(sDBFilename);
        session.engine.RegisterDatabase(parts.dataSourceName, parts.driver, parts.odbcSilent,
                                        attributes);
        ui.SetStatusText("User Data Source Name registration: " + parts.dataSourceName +
                         " succeeded.");
        ui.SetPointer(Pointer::Default);
    } catch (const std::exception& caught) {
        ui.SetPointer(Pointer::Default);
        const db::EngineError error = AsEngineError(caught);
        // A setup the person cancelled (or a driver that refused) is not reported again.
        if (error.Number() != db::err::kOdbcFailed)
            ShowStandardError(ui, error);
    }
}

void ConnectODBC(Session& session, const std::string& dataSourceName) {
    Ui& ui = session.ui;
    SharedState& state = session.state;
    try {
        ui.SetStatusText("");
        state.odbc.dataSourceName = dataSourceName;
        ui.SetPointer(Pointer::Busy);
        state.current.currentConnect = OdbcConnectText(state.odbc);
        CloseIfOpen(session);
        state.engineObjects.odbcConnection.reset();
        state.engineObjects.odbcWorkspace =
            session.engine.CreateWorkspace(kWorkspaceName, "admin", "");
        session.engine.SetLoginTimeout(state.engineObjects.loginTimeout);
        state.engineObjects.odbcConnection = state.engineObjects.odbcWorkspace->OpenDatabase(
            dataSourceName, false, false, state.current.currentConnect);
        db::Database& connection = *state.engineObjects.odbcConnection;
        const std::string completed = connection.Connect();
        ParseConnect(session, completed);
        std::string file = DbqEntry(completed);
        if (file.empty())
            file = db::DataSourceFile(connection);
        CloseIfOpen(session);
        if (file.empty()) {
            // A server: the data source itself is the database.
            state.current.currentDatabase = std::move(state.engineObjects.odbcConnection);
        } else if (state.engineObjects.jetWorkspace) {
            state.current.currentDatabase =
                state.engineObjects.jetWorkspace->OpenDatabase(file, false, false, "");
        } else {
            state.current.currentDatabase = session.engine.OpenDatabase(file, false, false, "");
        }
        state.current.queryTimeout = state.current.currentDatabase->QueryTimeout();
        state.current.databaseOpen = true;
        ui.SetStatusText("User Data Source Name: " + state.odbc.dataSourceName + " connected.");
        RefreshDB(session);
        ui.SetPointer(Pointer::Default);
    } catch (const std::exception& caught) {
        const db::EngineError error = AsEngineError(caught);
        try {
            CloseDB(session);
        } catch (const std::exception&) {
            // Already failing: nothing is current either way.
        }
        state.current.currentDatabase.reset();
        state.current.databaseOpen = false;
        ui.SetPointer(Pointer::Default);
        ShowStandardError(ui, error);
    }
}

}  // namespace tessel

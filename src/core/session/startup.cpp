#include "core/session/startup.h"

#include <filesystem>
#include <system_error>

#include "core/session/connection_types.h"
#include "core/session/failures.h"

namespace tessel {

namespace {

// The workspace carries the program's name, as the engine's user list shows it.
constexpr const char* kExecutableBaseName = "tessel";
constexpr int kAccess30Row = 3;

}  // namespace

void InitializeSession(Session& session, const std::string& appPath) {
    SharedState& state = session.state;
    state.app.appPath = appPath;
    EnsureDirectory(appPath + "/export");
    EnsureDirectory(appPath + "/scripts");
    std::error_code code;
    std::filesystem::current_path(appPath, code);
    if (code)
        throw FileSystemError("change to the application directory", appPath, code);
    state.current.databaseOpen = false;
    state.engineObjects.jetWorkspace =
        session.engine.CreateWorkspace(kExecutableBaseName, "admin", "");
    state.engineObjects.loginTimeout = session.engine.LoginTimeout();
    FillTypeLists(state.types);
    state.odbc.odbcSilent = false;
    state.current.versionIndex = kAccess30Row;
    ConnectTypeText(session, kAccess30Row);
    state.ansiExport.exportMode = false;
    state.find.direction = 1;
}

}  // namespace tessel

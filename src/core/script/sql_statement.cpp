// SQL: one statement through the statement runner, the reopening of the current database, the
// capture of its rows and the binding of the recordset view.
#include <exception>

#include "core/base/text.h"
#include "core/db/names.h"
#include "core/script/odbc_data_sources.h"
#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"
#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"

namespace tessel {

namespace {

// Closes the current database and opens it again, so that the tree and the engine objects see
// what the statement changed. Failures of the opening are reported by the opening itself.
void ReopenCurrentDatabase(Session& session) {
    const std::string remembered = session.state.current.currentDatabaseFileName;
    CloseDB(session);
    if (!session.state.odbc.dataSourceName.empty()) {
        ConnectODBC(session, session.state.odbc.dataSourceName);
    } else {
        OpenDB(session, remembered, true);
    }
}

}  // namespace

bool IsRowReturning(const std::string& statement) {
    const std::string upper = base::UpperAscii(statement);
    return upper.find("SELECT") != std::string::npos ||
           upper.find("TRANSFORM") != std::string::npos;
}

std::string DBEngineErrorText(const db::EngineError& error) {
    std::string text = std::to_string(error.Number()) + ": " + error.Description() + " " +
                       error.Source() + "\r\n\r\n";
    for (const auto& detail : error.Details()) {
        text +=
            std::to_string(detail.number) + " " + detail.description + " " + detail.source + "\r\n";
    }
    return text;
}

bool SQL(Session& session, const std::string& SQLcmd) {
    Ui& ui = session.ui;
    SharedState& state = session.state;
    ui.SetPointer(Pointer::Busy);
    try {
        const std::string odbcConnect =
            state.odbc.dataSourceName.empty() ? std::string() : OdbcConnectText(state.odbc);
        const std::string connectionText = StatementConnectionText(state, odbcConnect);
        // The previous connection is released before its replacement is opened.
        state.engineObjects.adoConnection.reset();
        session.engine.SetLoginTimeout(state.engineObjects.loginTimeout);
        state.engineObjects.adoConnection = session.engine.OpenConnection(connectionText);
        state.engineObjects.adoConnection->SetQueryTimeout(state.current.queryTimeout);
        std::unique_ptr<db::Cursor> cursor = state.engineObjects.adoConnection->Execute(SQLcmd);

        {
            // A stop asked for now is for the statement, which has ended: a reopen cut short
            // would leave no database current.
            const db::Engine::UninterruptedScope whole(session.engine);
            ReopenCurrentDatabase(session);
        }

        std::string recordsetFile;
        if (IsRowReturning(SQLcmd)) {
            CaptureRecordset(session, SQLcmd, *cursor);
            recordsetFile = state.recordsets.recordsetFileName;
        }
        ui.BindRecordsetView(RecordsetName(state.recordsets.recordsetCount), recordsetFile);
        ui.SetPointer(Pointer::Default);
        return true;
    } catch (const std::exception& failure) {
        ui.SetPointer(Pointer::Default);
        ui.MessageBox(DBEngineErrorText(AsEngineError(failure)), msgbox::kCritical,
                      kDBEngineErrorCaption);
        return false;
    }
}

}  // namespace tessel

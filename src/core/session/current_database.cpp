// Making a database current: by name, or picked in the open dialog of the current connection
// type; with the password prompt and the repair offer when the engine refuses the file.
#include "core/session/current_database.h"

#include <exception>

#include "core/base/file_names.h"
#include "core/db/connection_text.h"
#include "core/db/connection_types.h"
#include "core/session/connection_types.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

constexpr int kMustExistHideReadOnly = 4100;  // file must exist (4096) + hide read-only (4)

// The dialog for the current type; any other type (ODBC included) switches to Access.
const db::OpenDialogText& DialogForType(SharedState& state) {
    const auto family = db::FamilyOfTypeText(state.current.connectionType);
    if (!family || *family == db::Family::Odbc) {
        state.current.connectionType = db::ConnectionTypeAt(db::kAccessDefaultRow).typeText;
        return db::OpenDialogFor(db::Family::Access);
    }
    return db::OpenDialogFor(*family);
}

std::unique_ptr<db::Database> OpenThroughWorkspace(Session& session) {
    const SharedState& state = session.state;
    if (state.engineObjects.jetWorkspace) {
        return state.engineObjects.jetWorkspace->OpenDatabase(
            state.current.currentDatabaseFileName, false, false, state.current.currentConnect);
    }
    return session.engine.OpenDatabase(state.current.currentDatabaseFileName, false, false,
                                       state.current.currentConnect);
}

// From the reopen point on: closes what is current, opens the named database and makes it
// current.
void OpenAtReopenPoint(Session& session) {
    SharedState& state = session.state;
    if (state.current.databaseOpen || state.current.currentDatabase)
        CloseDB(session);
    state.current.currentDatabase = OpenThroughWorkspace(session);
    DetectVersion(session);
    state.current.databaseOpen = true;
    RefreshDB(session);
    state.current.queryTimeout = state.current.currentDatabase->QueryTimeout();
    session.ui.SetStatusText("");
    session.ui.SetPointer(Pointer::Default);
}

// After a failed open nothing is current: flag, database and the connection parts agree.
void ForgetFailedOpen(Session& session) {
    SharedState& state = session.state;
    if (state.current.currentDatabase) {
        try {
            state.current.currentDatabase->Close();
        } catch (const std::exception&) {
            // The open already failed and is being reported; the database is dropped anyway.
        }
        state.current.currentDatabase.reset();
    }
    state.current.databaseOpen = false;
    state.odbc.database.clear();
    state.odbc.user.clear();
    state.odbc.password.clear();
    state.odbc.driver.clear();
    state.odbc.server.clear();
}

void ReportFailedOpen(Session& session, const db::EngineError& error) {
    ForgetFailedOpen(session);
    if (error.Number() == db::err::kDialogCancelled)
        return;
    ShowStandardError(session.ui, error);
    session.ui.ClearTree();
}

enum class Retry { Yes, No };

// The engine found the file damaged: offers a repair once. A second refusal after a repair is
// reported instead of offered again, so that a file the repair cannot mend ends the open.
Retry OfferRepair(Session& session, const db::EngineError& error, bool& repairTried) {
    if (repairTried) {
        ForgetFailedOpen(session);
        ShowStandardError(session.ui, error);
        session.ui.ClearTree();
        return Retry::No;
    }
    repairTried = true;
    const int answer = session.ui.MessageBox(error.Description() + "\n\nAttempt to Repair it?",
                                             msgbox::kExclamation | msgbox::kYesNo, kAppTitle);
    if (answer != msgbox::kYes) {
        ForgetFailedOpen(session);
        return Retry::No;
    }
    const std::string name = session.state.current.currentDatabaseFileName;
    session.ui.SetStatusText("");
    if (!RepairNamedDatabase(session, name)) {
        ForgetFailedOpen(session);
        session.ui.ClearTree();
        return Retry::No;
    }
    return Retry::Yes;
}

// The engine wants a password: asks for one and adds it to what the connect text carries.
Retry AskForPassword(Session& session, std::string& connectExtra) {
    SharedState& state = session.state;
    Ui& ui = session.ui;
    const std::string password = ui.AskPassword();
    if (password.empty()) {
        ui.SetStatusText("");
        ui.SetPointer(Pointer::Default);
        return Retry::No;
    }
    connectExtra += ";pwd=" + db::ConnectTextValue(password);
    ui.SetStatusText("Opening Database " + state.current.currentDatabaseFileName);
    ui.SetPointer(Pointer::Busy);
    return Retry::Yes;
}

}  // namespace

void OpenCurrentDatabase(Session& session, const std::string& name,
                         const std::string& connectExtra) {
    SharedState& state = session.state;
    CurrentDatabaseState& current = state.current;
    const auto family = db::FamilyOfTypeText(current.connectionType);
    // Kept from the root, so that a later change of the working directory (saving a script
    // elsewhere) never makes statements miss the file or reach another one. The name may be
    // the state's own file name, which closing the current database empties.
    const std::string openName = family == db::Family::Odbc ? name : base::AbsolutePath(name);
    current.currentDatabaseFileName = openName;
    // The single-file default is opened with an empty connect text.
    const bool singleFile = family == db::Family::Access;
    current.currentConnect = (singleFile ? "" : current.connectionType) + connectExtra;
    state.odbc.dataSourceName.clear();
    try {
        OpenAtReopenPoint(session);
    } catch (const std::exception& caught) {
        ForgetFailedOpen(session);
        throw AsEngineError(caught);
    }
}

void OpenDB(Session& session, const std::string& name, bool nameGiven) {
    SharedState& state = session.state;
    Ui& ui = session.ui;
    // The name may be the state's own file name; keep it before that is emptied.
    const std::string givenName = name;
    state.current.currentDatabaseFileName.clear();
    bool pickedTableOfDirectory = false;
    if (nameGiven) {
        state.current.currentDatabaseFileName = givenName;
    } else {
        const db::OpenDialogText& dialog = DialogForType(state);
        FileDialogRequest& request = state.editor.commonDialog;
        request.kind = FileDialogRequest::Kind::Open;
        request.title = dialog.title;
        request.filter = std::string(dialog.filter) + "|All Files (*.*)|*.*";
        request.filterIndex = 1;
        request.fileName.clear();
        request.flags = kMustExistHideReadOnly;
        request.initialDirectory = DocumentsDirectory();
        const std::optional<std::string> chosen = ui.ChooseFile(request);
        // A cancelled dialog leaves the previous database current.
        if (!chosen || chosen->empty())
            return;
        state.current.currentDatabaseFileName = *chosen;
        pickedTableOfDirectory = dialog.directoryDatabase;
    }

    ui.SetPointer(Pointer::Busy);
    ui.SetStatusText("");
    const std::string openName = pickedTableOfDirectory
                                     ? PathPart(state.current.currentDatabaseFileName)
                                     : state.current.currentDatabaseFileName;

    bool repairTried = false;
    std::string connectExtra;
    for (;;) {
        try {
            OpenCurrentDatabase(session, openName, connectExtra);
            return;
        } catch (const std::exception& caught) {
            ui.SetPointer(Pointer::Default);
            const db::EngineError error = AsEngineError(caught);
            Retry retry = Retry::No;
            if (error.Number() == db::err::kUnreadableDatabase) {
                retry = OfferRepair(session, error, repairTried);
            } else if (error.Number() == db::err::kBadPassword) {
                retry = AskForPassword(session, connectExtra);
            } else {
                ReportFailedOpen(session, error);
            }
            if (retry == Retry::No)
                return;
        }
    }
}

}  // namespace tessel

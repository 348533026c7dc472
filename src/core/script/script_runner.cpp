// Script > Execute, ExecuteSQL and RunScript: the statements of a script, in order, each to the
// script command path or the SQL statement path.
#include "core/script/script_runner.h"

#include <exception>

#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

void ScriptExecute(Session& session) {
    if (session.ui.EditorText().empty())
        return;
    session.state.recordsets.recordsetCount = 0;
    ExecuteSQL(session);
}

void ExecuteSQL(Session& session) {
    try {
        session.ui.HideRecordsetView();
        RunScript(session, session.ui.EditorText());
    } catch (const std::exception& error) {
        ShowStandardError(session.ui, AsEngineError(error));
    }
}

namespace {

// A transaction that the script began and never ended is not kept, and the person is told so
// before its changes go.
void EndOpenTransactions(Session& session) {
    const std::vector<std::string> databases = session.engine.OpenTransactions();
    if (databases.empty())
        return;
    std::string names;
    for (const auto& name : databases)
        names += (names.empty() ? "'" : ", '") + name + "'";
    session.ui.MessageBox("The script ended with a transaction still open in " + names +
                              ". Its changes are rolled back: end a transaction with COMMIT to "
                              "keep its changes.",
                          msgbox::kCritical, kAppTitle);
    session.engine.RollBackOpenTransactions();
}

}  // namespace

void RunScript(Session& session, const std::string& script,
               const std::function<bool()>& keepGoing) {
    try {
        ScriptSplitter splitter(script);
        while (auto statement = splitter.Next()) {
            if (keepGoing && !keepGoing())
                break;
            if (statement->isCommand) {
                SQLdb(session, statement->text);
            } else {
                SQL(session, statement->text);
            }
        }
    } catch (...) {
        EndOpenTransactions(session);
        throw;
    }
    EndOpenTransactions(session);
}

}  // namespace tessel

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

void RunScript(Session& session, const std::string& script) {
    ScriptSplitter splitter(script);
    while (auto statement = splitter.Next()) {
        if (statement->isCommand) {
            SQLdb(session, statement->text);
        } else {
            SQL(session, statement->text);
        }
    }
}

}  // namespace tessel

// Script > Execute and ExecuteSQL: the statements of the editor's text, in order, each to the
// script command path or the SQL statement path.
#include "core/script/script_runner.h"

#include <exception>

#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

void ScriptExecute(Session& session) {
    if (session.ui.EditorText().empty())
        return;
    session.state.recordsetCount = 0;
    ExecuteSQL(session);
}

void ExecuteSQL(Session& session) {
    try {
        session.ui.HideRecordsetView();
        const std::string script = session.ui.EditorText();
        ScriptSplitter splitter(script);
        while (auto statement = splitter.Next()) {
            if (statement->isCommand) {
                SQLdb(session, statement->text);
            } else {
                SQL(session, statement->text);
            }
        }
    } catch (const std::exception& error) {
        ShowStandardError(session.ui, AsEngineError(error));
    }
}

}  // namespace tessel

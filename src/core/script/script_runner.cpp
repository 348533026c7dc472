// Script > Execute, ExecuteSQL and RunScript: the statements of a script, in order, each to the
// script command path or the SQL statement path.
#include "core/script/script_runner.h"

#include <cstdio>
#include <exception>

#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

void ScriptExecute(Session& session) {
    ScriptRun run;
    ScriptExecute(session, run);
}

void ScriptExecute(Session& session, ScriptRun& run) {
    if (session.ui.EditorText().empty())
        return;
    session.state.recordsets.recordsetCount = 0;
    ExecuteSQL(session, run);
}

void ExecuteSQL(Session& session) {
    ScriptRun run;
    ExecuteSQL(session, run);
}

void ExecuteSQL(Session& session, ScriptRun& run) {
    try {
        session.ui.HideRecordsetView();
        RunScript(session, session.ui.EditorText(), run);
    } catch (const std::exception& error) {
        ShowStandardError(session.ui, AsEngineError(error));
    }
}

std::size_t CountStatements(std::string_view script) {
    std::size_t count = 0;
    ScriptSplitter splitter(script);
    try {
        while (splitter.Next())
            ++count;
    } catch (const db::EngineError&) {
        // The run ends at the fault, after the statements counted so far.
    }
    return count;
}

std::string RunSummaryText(const ScriptRun& run, double seconds) {
    std::string text = std::to_string(run.statementsRun);
    if (run.statementsRun < run.statementsTotal)
        text += " of " + std::to_string(run.statementsTotal);
    const bool one =
        (run.statementsRun < run.statementsTotal ? run.statementsTotal : run.statementsRun) == 1;
    text += one ? " statement run, " : " statements run, ";
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", seconds);
    return text + std::to_string(run.statementsFailed) + " failed, " + time;
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
    ScriptRun run;
    run.keepGoing = keepGoing;
    RunScript(session, script, run);
}

void RunScript(Session& session, const std::string& script, ScriptRun& run) {
    run.statementsRun = 0;
    run.statementsFailed = 0;
    run.statementsTotal = run.statementStarting ? CountStatements(script) : 0;
    try {
        ScriptSplitter splitter(script);
        while (auto statement = splitter.Next()) {
            if (run.keepGoing && !run.keepGoing())
                break;
            ++run.statementsRun;
            if (run.statementStarting)
                run.statementStarting(run.statementsRun, run.statementsTotal);
            if (!statement->isCommand) {
                if (!SQL(session, statement->text))
                    ++run.statementsFailed;
                continue;
            }
            try {
                SQLdb(session, statement->text);
            } catch (...) {
                ++run.statementsFailed;
                throw;
            }
        }
    } catch (...) {
        EndOpenTransactions(session);
        throw;
    }
    EndOpenTransactions(session);
}

}  // namespace tessel

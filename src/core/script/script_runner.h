// The script layer: running a script text. It offers the splitter, RunScript (the statements
// of a given text in order, each to a script command or an SQL statement), the script commands,
// SQL statements with their recordset capture, and the Script > Execute routines that read the
// editor and call RunScript. A failed SQL statement is shown in its "DBEngine error" box by SQL
// and the script goes on; the routines that script commands call (OpenDB, CreateMDB, ...) show
// their own boxes, as the program defines them. A failed script command itself, or a text that
// ends inside quotes, is thrown as db::EngineError and shown only by the routine that started
// the run. It builds on the session layer, never reaches up to files, generate or maintenance,
// and only the Script > Execute routines touch the editor.
//
// Script text: "//" starts a comment that runs to the end of its line; line breaks are removed
// and the lines joined with nothing between them; the whole text is trimmed of blanks; every
// ";" ends a statement. A statement that begins with lower-case "db" is a script command, any
// other is an SQL statement. Inside an SQL statement, text in '...' or "..." and names in
// [...] are taken as they stand: a ";" or "//" there neither ends the statement nor starts a
// comment, and a line break inside quotes is kept. Scripts of any length run.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/engine.h"
#include "core/db/errors.h"
#include "core/session/session.h"

namespace tessel {

// How a run is watched and what it counted. Every member is optional.
struct ScriptRun {
    // Asked before each statement; once it says no, the rest of the script is not run (a
    // person or a signal stopped it).
    std::function<bool()> keepGoing;
    // Told before statement `number` (from 1) of `total` starts. Only when it is given are the
    // statements counted before the run.
    std::function<void(std::size_t number, std::size_t total)> statementStarting;

    // Filled as the run goes: the statements counted before it, those started, and those of
    // them that failed (an SQL statement that showed its error box, or a script command that
    // ended the run).
    std::size_t statementsTotal = 0;
    std::size_t statementsRun = 0;
    std::size_t statementsFailed = 0;
};

// Script > Execute: with a non-empty editor, resets the recordset count and runs ExecuteSQL.
void ScriptExecute(Session& session);
void ScriptExecute(Session& session, ScriptRun& run);
// Runs the editor's text; a failed script command, or a text that ends inside quotes, is shown
// in the standard error box and ends the run.
void ExecuteSQL(Session& session);
void ExecuteSQL(Session& session, ScriptRun& run);
// Runs a script's statements in order, each to SQLdb or SQL. A failed SQL statement is shown
// in its own box by SQL and the script goes on; a failed script command, or a text that ends
// inside quotes, throws EngineError once the statements before it have run.
void RunScript(Session& session, const std::string& script, ScriptRun& run);
// The same with only a `keepGoing` question (see ScriptRun).
void RunScript(Session& session, const std::string& script,
               const std::function<bool()>& keepGoing = {});
// How many statements the splitter hands out before the script's end, or before the fault
// that would end the run there. One pass, nothing kept.
std::size_t CountStatements(std::string_view script);
// What a finished run did, in plain words: "12 statements run, 1 failed, 0.4 s"; a run stopped
// early says how many of how many ran ("3 of 12 statements run, ...").
std::string RunSummaryText(const ScriptRun& run, double seconds);
// Runs one script command ("db..." without its ";"). Failures propagate as EngineError.
void SQLdb(Session& session, const std::string& SQLcmd);
// Runs one SQL statement; reports its own failure in the "DBEngine error" box and then returns
// false.
bool SQL(Session& session, const std::string& SQLcmd);
// True when "SELECT" or "TRANSFORM" occurs anywhere, in any case.
bool IsRowReturning(const std::string& statement);

// One statement of a script, without its ";", and whether it is a script command.
struct SplitStatement {
    std::string text;
    bool isCommand = false;
};

// Cuts a script into statements one at a time, so that the statements before a faulty end
// run before the fault is reported. The text must outlive the splitter.
class ScriptSplitter {
  public:
    explicit ScriptSplitter(std::string_view script);
    // The next statement, or nothing when the script is used up. Throws EngineError (invalid
    // argument) when the text left has no closing ";" or ends inside quotes or brackets.
    std::optional<SplitStatement> Next();

  private:
    std::optional<SplitStatement> FinishAtEnd(std::string& pending, char openQuote,
                                              std::size_t quoteStart,
                                              std::size_t statementStart) const;
    std::size_t LineOf(std::size_t position) const;

    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t lastLineFeed_;  // npos when the script has no line break
    bool started_ = false;      // past the blanks that lead the whole text
};

// Every statement of a script; throws where ScriptSplitter::Next would.
std::vector<SplitStatement> SplitScript(std::string_view script);

// The text of the "DBEngine error" box for a failed statement: the error, a blank line, then
// one line for each error of the engine's list.
std::string DBEngineErrorText(const db::EngineError& error);
inline constexpr const char* kDBEngineErrorCaption = "DBEngine error";

// Saves the rows of a row-returning statement as the next recordset file and adds its row to
// the recordset list. The count grows before the file is written.
void CaptureRecordset(Session& session, const std::string& statement, db::Cursor& cursor);

}  // namespace tessel

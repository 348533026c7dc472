// Running a script: the splitter and dispatch, the script commands, SQL statements, and the
// Script > Execute command that starts them.
#pragma once

#include <string>

#include "core/engine/session.h"

namespace tessel {

// Script > Execute: with a non-empty editor, resets the recordset count and runs ExecuteSQL.
void ScriptExecute(Session& session);
// Runs the editor's text.
void ExecuteSQL(Session& session);
// Runs one script command ("db..." without its ";"). Failures propagate as EngineError.
void SQLdb(Session& session, const std::string& SQLcmd);
// Runs one SQL statement; reports its own failure in the "DBEngine error" box.
void SQL(Session& session, const std::string& SQLcmd);
// True when "SELECT" or "TRANSFORM" occurs anywhere, in any case.
bool IsRowReturning(const std::string& statement);

// The statements a script splits into, with whether each is a command; throws EngineError
// (invalid argument) where a last statement has no ";". Used by ExecuteSQL.
struct SplitStatement {
    std::string text;
    bool isCommand = false;
};

}  // namespace tessel

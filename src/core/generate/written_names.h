// Names and lines as a generated script writes them, each checked to read back as what the
// generator meant. Names come from the database file, and a file made by another tool can hold
// any name: written as it is, a name holding "]" or ";" would end its statement early and let
// the rest of the name run as statements of its own (open another file, empty a table).
#pragma once

#include <string>

namespace tessel {

// `name` as a statement writes it: as it is when it reads as one word, else in brackets.
// Throws EngineError (err::kInvalidName) naming `what` ("the table 'T'") and the cause when the
// written name would not read back as exactly `name`.
std::string ScriptName(const std::string& name, const std::string& what);

// The line of one statement: `statement` and its ";". Throws EngineError with `number`, naming
// `what` and the cause, when the script splitter would not read the line back as exactly that
// one statement (a script command when `isCommand`, else an SQL statement).
std::string StatementLine(const std::string& statement, bool isCommand, const std::string& what,
                          long number);

}  // namespace tessel

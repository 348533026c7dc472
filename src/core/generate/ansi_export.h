// The ANSI export: Script > Export turns the editor's script into plain SQL statements, one a
// line, rewritten from the Jet dialect towards ANSI SQL, and writes them to a file.
//
// Script commands and comments are dropped exactly where Script > Execute would treat them as
// such. The rewriting works on whole words outside quoted texts: type names are put in upper
// case, columns of types without an ANSI size are removed from their lists, and the mapped
// type names are replaced by their ANSI names. Index clauses stay as they are.
#pragma once

#include <string>

#include "core/generate/schema_script.h"
#include "core/session/session.h"

namespace tessel {

// The ANSI text of a script: its SQL statements one a line, CR LF between them, rewritten
// towards ANSI with the given type lists. Throws EngineError when the text ends inside quotes
// or brackets, or when a statement holds a line break there; shows nothing.
std::string AnsiScript(const std::string& script, const TypeLists& types,
                       const UnknownTypeNotice& notice = {});
// Rewrites statements that are already one a line; throws EngineError.
std::string AnsiStatements(const std::string& statements, const TypeLists& types,
                           const UnknownTypeNotice& notice = {});
// The ANSI name of a Jet type name; "" (after telling `notice`) for a name it does not know.
std::string JetANSITypeName(const std::string& name, const UnknownTypeNotice& notice = {});

// Script > Export.
void ScriptExport(Session& session);
// Converts the editor's text into state.ansiExport.exportText; false (after its error box) when the
// text could not be converted, leaving exportText as it was.
bool ConvertSQL(Session& session);
// Rewrites `S` in place and returns the result; a failure is shown in the standard error box
// and leaves `S` empty.
std::string ConvertSQLANSI(Session& session, std::string& S);
// JetANSITypeName, with the "Jet SQL syntax error" box for a name it does not know.
std::string JetANSIType(Session& session, const std::string& name);

}  // namespace tessel

// The ANSI export: Script > Export turns the editor's script into plain SQL statements, one a
// line, rewritten from the Jet dialect towards ANSI SQL, and writes them to a file.
//
// Script commands and comments are dropped exactly where Script > Execute would treat them as
// such. The rewriting works on whole words outside quoted texts: type names are put in upper
// case, columns of types without an ANSI size are removed from their lists, and the mapped
// type names are replaced by their ANSI names. Index clauses stay as they are.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel {

// Script > Export.
void ScriptExport(Session& session);
// Converts the editor's text into state.exportText; false (after its error box) when the
// text could not be converted, leaving exportText as it was.
bool ConvertSQL(Session& session);
// Rewrites `S` in place and returns the result.
std::string ConvertSQLANSI(Session& session, std::string& S);
// The ANSI name of a Jet type name; "" with a message for a name it does not know.
std::string JetANSIType(Session& session, const std::string& name);

}  // namespace tessel

// The schema script generator: Script > Generate reads a database's tables, fields and indexes
// and writes a script that, run again, makes an empty database of the same type and version
// with the same tables and indexes.
//
// The script is built without the person's interface; Script > Generate writes it into the
// editor in one assignment. Its dbMake line names the source
// database's own file, so the user edits that line to make the copy elsewhere. Field types are
// written by their Jet names (code 3 as INTEGER, code 4 as LONG); only text fields carry a
// size; a descending index column is written "-name".
#pragma once

#include <functional>
#include <string>

#include "core/db/engine.h"
#include "core/session/session.h"

namespace tessel {

// Told of each type name or code that the generator or the ANSI conversion does not know; the
// text goes on with a placeholder in its place.
using UnknownTypeNotice = std::function<void(const std::string& message)>;

// The script of a database: its Jet tables, fields and indexes, lines ended by CR LF. A
// database opened without a connect text is written with `connectionType`. Throws EngineError
// when the database cannot be read, or when a name, the file name or the version would not read
// back from the script as written (see written_names.h); shows nothing.
std::string SchemaScript(db::Database& database, const std::string& connectionType,
                         const UnknownTypeNotice& notice = {});
// The Jet SQL type name of a field type code; a placeholder (after telling `notice`) for a
// code it does not know.
std::string JetFieldTypeName(int intType, const UnknownTypeNotice& notice = {});

// Script > Generate: picks a database in a file dialog, opens it and generates its script.
void ScriptGenerate(Session& session);
// Generates the script of the current database into the editor; failures in the standard
// error box.
void GenerateSQL(Session& session);
// JetFieldTypeName, with the "Jet SQL syntax error" box for a code it does not know.
std::string FieldType(Session& session, int intType);
// The column list of an index from its "+A;-B" field text: "A,-B".
std::string idxFields(const std::string& sFields);

inline constexpr const char* kUnidentifiedFieldType = "** unidentified Jet field data type";

// Tells that a type name or code is not known: the box "Jet SQL syntax error" with the
// exclamation icon, shown with the default pointer; the hourglass comes back afterwards.
void ReportUnidentifiedType(Session& session, const std::string& message);
// A notice that shows ReportUnidentifiedType's box.
UnknownTypeNotice UnknownTypeBox(Session& session);

}  // namespace tessel

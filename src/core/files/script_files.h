// Script files: loading into the editor, writing the editor text (or the export text), asking
// for a file name, and the File menu commands that use them.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel {

// Bytes of a script file as text: UTF-8, with Windows-1252 for bytes that are not valid UTF-8.
std::string DecodeScriptBytes(const std::string& bytes);

// Reads a file into the editor; "Can't open file: " & path when it cannot be read. True when
// the file was read.
bool LoadScriptFile(Session& session, const std::string& path);
// Writes the editor text (the export text while exportMode is set) and CR LF, through a
// temporary file renamed into place. True when the file was written.
bool WriteScriptFile(Session& session, const std::string& path);
// Shows the save dialog with the common dialog's current title and flags; "" when cancelled.
std::string AskScriptFileName(Session& session, const std::string& suggested);

}  // namespace tessel

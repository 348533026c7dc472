// The File menu's script commands and the question asked before the program closes.
//
// Script files live in the scripts directory of the application directory; the commands make
// it the working directory before they show a dialog, so a relative name (the start script's
// "template.sqv") resolves there. The common dialog keeps its title and flags between commands,
// as the commands rely on. Every command reaches the person only through the session's Ui, so
// the window, the console program and the tests all drive the same routines.
#pragma once

#include <cstdint>
#include <string>

#include "core/session/session.h"

namespace tessel {

inline constexpr const char* kScriptFileFilter =
    "SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*";
inline constexpr const char* kScriptDefaultExtension = "SQV";
inline constexpr const char* kTemplateScriptName = "template.sqv";
// Larger files are refused by File > Open with "The file is too large to open.".
inline constexpr std::uintmax_t kMaxScriptFileBytes = 64ull * 1024 * 1024;

std::string ScriptsDirectory(const Session& session);
// A relative script name resolved in the scripts directory; an absolute one unchanged.
std::string ResolveScriptPath(const Session& session, const std::string& name);
bool ScriptFileTooLarge(std::uintmax_t sizeInBytes);

// File > New: asks the closing question about changed text first and stops when it says to
// stay; otherwise closes the database and starts again from the template.
void FileNew(Session& session);
// File > Open: saves changed text silently (asking for a name only when it has none), then
// asks for the file to open.
void FileOpen(Session& session);
// File > Save: writes to the current script file name, asking for one when there is none.
void FileSave(Session& session);
// File > Save As: writes to a chosen name once; the current script file name stays.
void FileSaveAs(Session& session);
// File > Delete: deletes the chosen file without a confirmation.
void FileDelete(Session& session);

// The body of File > Open after its preparation.
void OpenScriptFile(Session& session);
// The body of File > New after its preparation.
void NewScriptFromTemplate(Session& session);
// Writes the editor text to the current script file name, asking for a name when it is
// empty. True when the text was written.
bool SaveCurrentScript(Session& session);

// Asks whether to save a changed script before the program closes or File > New replaces it.
// True when the text may go; false when the person chose Cancel, or chose Yes and then
// cancelled the save dialog or the text could not be written.
bool ClosingQuestion(Session& session);

}  // namespace tessel

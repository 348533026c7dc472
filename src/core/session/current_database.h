// Making a database current and taking it away: opening by name or through a file dialog,
// closing, creating a single-file database or a directory database, reloading the tree, and
// the small path helpers that go with them.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel {

// Opens the named database with the current connection type (its connect text followed by
// `connectExtra`, such as ";pwd=..."), closing what was current, and makes it current. Throws
// EngineError when it cannot be opened; nothing is current then. Asks nothing, shows no box.
void OpenCurrentDatabase(Session& session, const std::string& name,
                         const std::string& connectExtra = "");
// File > Open and dbOpen: by name or through the open dialog, with the password prompt, the
// repair offer and the standard error box around OpenCurrentDatabase.
void OpenDB(Session& session, const std::string& name, bool nameGiven);
void CloseDB(Session& session);
// Appends ".MDB" to a name without "." (the caller's text changes).
void CreateMDB(Session& session, std::string& name);
void CreateDBDir(Session& session, const std::string& name);
void RefreshDB(Session& session);

// The engine's repair of one named file with the busy pointer and a status text, as OpenDB's
// repair offer and Tools > Repair make it; the status text says how many rows each table kept
// and what the repair left out. Shows
// the standard error box and returns false when the repair failed or is not available.
bool RepairNamedDatabase(Session& session, const std::string& name);

std::string PathPart(const std::string& path);
std::string FilePart(const std::string& path);
long NonNegative(long n);

// Start directory of the database dialogs: the user's documents directory, else home.
std::string DocumentsDirectory();

}  // namespace tessel

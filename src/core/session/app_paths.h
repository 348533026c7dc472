// The per-user application directory: $TESSEL_HOME if set, else the XDG data location
// (~/.local/share/Tessel). It holds recordset files, export/, scripts/, template.sqv and
// tipofday.txt, seeded from the installed data at start.
#pragma once

#include <string>

namespace tessel {

std::string ResolveAppPath();
// Creates the directory with export/ and scripts/ and copies the seed files that are missing.
// Throws EngineError naming the directory when it cannot be made.
void PrepareAppDirectory(const std::string& appPath);
// Where the installed data files live (template.sqv, tipofday.txt, icons):
// $TESSEL_DATA_DIR if set, else DataDirectoryFor this program's executable.
std::string DataDirectory();
// The data directory for a program at this path: the installed one at its place relative to
// the executable (<prefix>/share/tessel for <prefix>/bin/tessel, wherever the tree was
// unpacked), else the source tree's data/ (a program run from its build tree), else the
// configured install location.
std::string DataDirectoryFor(const std::string& executable);

// The user's home directory: $HOME, else the password database's entry, else "/".
std::string HomeDirectory();

}  // namespace tessel

// The parts of a file's path as the system sees them, without touching the disk (except that
// AbsolutePath reads the working directory).
#pragma once

#include <string>

namespace tessel::base {

// "." for a bare name, "/" for a file in the root.
std::string DirectoryOf(const std::string& path);
std::string FileNameOf(const std::string& path);

// `path` from the root, joined to the working directory when relative, otherwise unchanged:
// nothing is resolved, so the name still says what the person wrote. Empty stays empty.
std::string AbsolutePath(const std::string& path);

}  // namespace tessel::base

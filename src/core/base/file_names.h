// The parts of a file's path as the system sees them, without touching the disk.
#pragma once

#include <string>

namespace tessel::base {

// "." for a bare name, "/" for a file in the root.
std::string DirectoryOf(const std::string& path);
std::string FileNameOf(const std::string& path);

}  // namespace tessel::base

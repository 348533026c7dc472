// Keeping a file that is about to be replaced: it is moved aside under a backup name that no
// file has yet, so that an earlier backup is never overwritten.
#pragma once

#include <initializer_list>
#include <string>
#include <system_error>

namespace tessel::base {

struct MovedAside {
    std::string backup;  // empty when there was nothing to move
    unsigned mode = 0;   // the permission bits the file had
};

// Moves `path`, and each of `path + suffix` that exists, to the first of PATH.bak, PATH.bak1,
// PATH.bak2, ... for which none of those names exists (the companions keep their suffixes,
// so that a journal stays paired with its database). A name taken meanwhile by another
// program is passed over, never replaced. Links are moved as links. Sets `error` on failure.
MovedAside MoveAsideAsBackup(const std::string& path,
                             std::initializer_list<const char*> companionSuffixes,
                             std::error_code& error);

// The backup names in the order MoveAsideAsBackup tries them.
std::string BackupName(const std::string& path, unsigned number);

}  // namespace tessel::base

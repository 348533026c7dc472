// The console program's sub-commands. Each takes the arguments after its name and returns the
// exit status: 0 when no box with the critical icon was shown, 1 when one was, 2 for a usage
// error.
#pragma once

#include <string>
#include <vector>

namespace tessel::cli {

int RunCommand(const std::vector<std::string>& args);       // tessel-cli run SCRIPT.sqv
int GenerateCommand(const std::vector<std::string>& args);  // tessel-cli generate DATABASE
int ExportCommand(const std::vector<std::string>& args);    // tessel-cli export SCRIPT.sqv
// tessel-cli compact SRC DST, tessel-cli repair FILE
int CompactCommand(const std::vector<std::string>& args);
int RepairCommand(const std::vector<std::string>& args);
// tessel-cli replicate MASTER REPLICA [--keep-local TABLE]...
int ReplicateCommand(const std::vector<std::string>& args);
// tessel-cli sync FIRST SECOND [--direction send|receive|both]
int SyncCommand(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace tessel::cli

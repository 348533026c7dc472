// tessel-cli: runs scripts, generates and exports them through the same core as the program.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
    // The console Ui flushes each stream before writing to the other, so the two need not stay
    // in step with C's stdio; large recordsets print much faster without it.
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << tessel::cli::UsageText();
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << tessel::cli::UsageText();
        return 0;
    }
    if (args[0] == "--version" && args.size() == 1) {
        std::cout << "tessel-cli " << TESSEL_VERSION << "\n";
        return 0;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "run")
        return tessel::cli::RunCommand(args);
    if (command == "generate")
        return tessel::cli::GenerateCommand(args);
    if (command == "export")
        return tessel::cli::ExportCommand(args);
    if (command == "compact")
        return tessel::cli::CompactCommand(args);
    if (command == "repair")
        return tessel::cli::RepairCommand(args);
    if (command == "replicate")
        return tessel::cli::ReplicateCommand(args);
    if (command == "sync")
        return tessel::cli::SyncCommand(args);
    std::cerr << "tessel-cli: unknown command '" << command << "'\n\n" << tessel::cli::UsageText();
    return 2;
}

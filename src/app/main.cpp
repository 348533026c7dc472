// tessel: the SQL script editor.
#include <cstdio>
#include <cstring>

#include "app/startup/program.h"

int main(int argc, char** argv) {
    // Answered before any window exists, so that an installed copy can be checked from a shell.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tessel %s\n", TESSEL_VERSION);
        return 0;
    }
    return tessel::app::RunProgram(argc, argv);
}

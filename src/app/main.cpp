// tessel: the SQL script editor.
#include "app/startup/program.h"

int main(int argc, char** argv) {
    return tessel::app::RunProgram(argc, argv);
}

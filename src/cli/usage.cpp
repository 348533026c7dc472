#include "cli/commands.h"
#include "cli/console_ui.h"

namespace tessel::cli {

std::string UsageText() {
    return "Usage: tessel-cli COMMAND [OPTIONS] ARGUMENT\n"
           "\n"
           "Commands:\n"
           "  run SCRIPT.sqv      run a script: its commands and SQL statements in order\n"
           "  generate DATABASE   print a script that recreates the database's tables and indexes\n"
           "    --type TYPE       open it as this connection type (Access, Dbase, FoxPro, ...)\n"
           "    --connect TEXT    open it with this connection type text (\"Dbase IV;\", ...);\n"
           "                      with \"ODBC;\" DATABASE is an ODBC data source name\n"
           "  export SCRIPT.sqv   convert a script to ANSI SQL and print it\n"
           "    -o FILE           write it to FILE instead\n"
           "  compact SRC DST     compact the database SRC into the new file DST (DST may be\n"
           "                      SRC itself); a genuine Access file becomes a writable copy\n"
           "    --version V       the copy's file format: 2.0 or 3.0 (the default)\n"
           "    --encrypt         protect the copy with the password (see --password-file)\n"
           "    --decrypt         give the copy no password\n"
           "  repair FILE         repair a damaged database in place; the damaged original is\n"
           "                      kept beside it as FILE.bak\n"
           "  replicate MASTER REPLICA\n"
           "                      write a replica of a design master (making MASTER one first\n"
           "                      when it is not)\n"
           "    --keep-local TABLE  keep this table out of replicas (repeatable)\n"
           "  sync FIRST SECOND   exchange the row changes of two files of one replica set\n"
           "    --direction DIR   send (FIRST into SECOND), receive (SECOND into FIRST) or both\n"
           "                      (the default)\n"
           "  help, --help        show this text\n"
           "  --version           show the program's version\n"
           "\n"
           "Options:\n" +
           ConsoleOptionsHelp() +
           "  --keep-recordsets   (run) leave the recordset files in the application directory\n"
           "                      at exit; they are deleted otherwise\n"
           "\n"
           "Message boxes are written to standard error as \"caption: text\", status texts as\n"
           "\"status: text\"; each recordset that a statement captures is printed to standard\n"
           "output. Relative file names in a script are taken from the current directory.\n"
           "The application directory (recordset files, scripts/, export/) is $TESSEL_HOME,\n"
           "else $XDG_DATA_HOME/Tessel or ~/.local/share/Tessel.\n"
           "\n"
           "Exit status: 0 when no error box was shown, 1 when one was, 2 for a usage error.\n";
}

}  // namespace tessel::cli

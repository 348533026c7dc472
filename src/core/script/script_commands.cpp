// SQLdb: the five script commands that choose the connection type and version and create,
// open and close databases.
#include "core/base/text.h"
#include "core/db/connection_types.h"
#include "core/db/names.h"
#include "core/script/odbc_data_sources.h"
#include "core/script/script_runner.h"
#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/new_db.h"
#include "core/session/standard_error.h"

namespace tessel {

void SQLdb(Session& session, const std::string& SQLcmd) {
    const std::size_t blank = SQLcmd.find(' ');
    if (blank == std::string::npos) {
        throw ProgramError(db::err::kInvalidArgument,
                           "The script command \"" + SQLcmd +
                               "\" has no blank after its command word; write it as \"" + SQLcmd +
                               " ;\".");
    }
    std::string argument = SQLcmd.substr(blank + 1);
    const std::string word = base::UpperAscii(SQLcmd.substr(0, blank));
    const bool odbc =
        db::FamilyOfTypeText(session.state.current.connectionType) == db::Family::Odbc;

    if (word == "DBCONNECT") {
        DBConn(session, argument);
    } else if (word == "DBVERSION") {
        DBVer(session, argument);
    } else if (word == "DBMAKE") {
        if (odbc) {
            newODBC(session, argument);
        } else {
            NewDB(session, argument);
        }
    } else if (word == "DBOPEN") {
        if (odbc) {
            ConnectODBC(session, argument);
        } else {
            OpenDB(session, argument, true);
        }
    } else if (word == "DBCLOSE") {
        CloseDB(session);
    }
    // Any other word is not a command of ours: nothing happens and the script goes on.
}

}  // namespace tessel

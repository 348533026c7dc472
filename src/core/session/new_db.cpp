#include "core/session/new_db.h"

#include <exception>

#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

bool IsExcelType(const std::string& type) {
    return type == "Excel 3.0;HDR=YES;" || type == "Excel 4.0;HDR=YES;" ||
           type == "Excel 5.0;HDR=YES;" || type == "Excel 8.0;HDR=YES;";
}

}  // namespace

void NewDB(Session& session, std::string& sDBName) {
    try {
        const std::string& type = session.state.current.connectionType;
        if (IsExcelType(type)) {
            session.ui.MessageBox("Unable to make Excel files",
                                  msgbox::kInformation | msgbox::kOkOnly, "New file error");
        } else if (type == "Access") {
            CreateMDB(session, sDBName);
        } else {
            CreateDBDir(session, sDBName);
        }
    } catch (const std::exception& caught) {
        ShowStandardError(session.ui, AsEngineError(caught));
    }
}

}  // namespace tessel

#include "core/session/new_db.h"

#include <exception>

#include "core/db/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

void NewDB(Session& session, std::string& sDBName) {
    try {
        const auto family = db::FamilyOfTypeText(session.state.current.connectionType);
        if (family == db::Family::Excel) {
            session.ui.MessageBox("Unable to make Excel files",
                                  msgbox::kInformation | msgbox::kOkOnly, "New file error");
        } else if (family == db::Family::Access) {
            CreateMDB(session, sDBName);
        } else {
            CreateDBDir(session, sDBName);
        }
    } catch (const std::exception& caught) {
        ShowStandardError(session.ui, AsEngineError(caught));
    }
}

}  // namespace tessel

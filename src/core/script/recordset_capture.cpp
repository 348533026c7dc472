// Recordset capture and clean-up: numbering the files of a run, the recordset list rows, and
// deleting every file that the session wrote.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

void CaptureRecordset(Session& session, const std::string& statement, db::Cursor& cursor) {
    SharedState& state = session.state;
    ++state.recordsets.recordsetCount;
    state.recordsets.recordsetHighWater =
        std::max(state.recordsets.recordsetHighWater, state.recordsets.recordsetCount);
    state.recordsets.recordsetFileName =
        RecordsetFilePath(state.app.appPath, state.recordsets.recordsetCount);
    WriteRecordsetFile(state.recordsets.recordsetFileName, statement, cursor,
                       session.ui.RecordsetRows());
    session.ui.AddRecordsetRow(static_cast<int>(state.recordsets.recordsetCount), statement);
}

void CleanRecordsets(Session& session) {
    SharedState& state = session.state;
    // A shorter run after a longer one leaves files above the current count; they go as well.
    const long last =
        std::max(state.recordsets.recordsetCount, state.recordsets.recordsetHighWater);
    for (long number = 1; number <= last; ++number) {
        state.recordsets.recordsetFileName = RecordsetFilePath(state.app.appPath, number);
        std::error_code code;
        if (!std::filesystem::exists(state.recordsets.recordsetFileName, code))
            continue;
        std::filesystem::remove(state.recordsets.recordsetFileName, code);
        if (code) {
            ShowStandardError(session.ui,
                              FileSystemError("delete the recordset file",
                                              state.recordsets.recordsetFileName, code));
            return;
        }
    }
    state.recordsets.recordsetHighWater = 0;
}

}  // namespace tessel

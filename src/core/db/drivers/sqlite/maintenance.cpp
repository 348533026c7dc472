#include "core/db/drivers/sqlite/maintenance.h"

#include "core/base/atomic_file.h"

#include "core/db/drivers/sqlite/database.h"
#include "core/db/drivers/sqlite/database_password.h"
#include "core/db/drivers/sqlite/file_places.h"
#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/engine.h"
#include "core/db/jetsql/quote.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

void CreateDatabaseFile(const std::string& path, const std::string& version,
                        const std::string& password) {
    CheckNewFilePlace(path);
    WriteNewFile(path, [&](const std::string& temporary) {
        auto handle = Handle::Create(temporary);
        WriteVersion(*handle, version);
        SetDatabasePassword(*handle, password);
    });
}

void CompactDatabaseFile(const std::string& source, const std::string& destination, int options,
                         const std::optional<std::string>& password) {
    if (ProbeDatabaseFile(source) == FileKind::Jet)
        ThrowJetReaderMissing(source);
    CheckNewFilePlace(destination);
    const int format =
        options & (dbformat::kVersion10 | dbformat::kVersion20 | dbformat::kVersion30);
    const std::string version = format != 0 ? VersionForFormat(format) : std::string();
    WriteNewFile(destination, [&](const std::string& temporary) {
        {
            auto handle = Handle::Open(source, true);
            handle->Exec("VACUUM INTO " + jetsql::QuoteText(temporary));
        }
        if (!version.empty() || password) {
            auto handle = Handle::Open(temporary, false);
            if (!version.empty())
                WriteVersion(*handle, version);
            if (password)
                SetDatabasePassword(*handle, *password);
        }
    });
}

}  // namespace tessel::db::sqlite

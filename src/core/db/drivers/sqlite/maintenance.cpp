#include "core/db/drivers/sqlite/maintenance.h"

#include "core/base/atomic_file.h"

#include "core/db/drivers/sqlite/database.h"
#include "core/db/drivers/sqlite/database_password.h"
#include "core/db/drivers/sqlite/file_places.h"
#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/engine.h"
#include "core/db/jetsql/quote.h"
#include "core/db/sqlite/crypt_vfs.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {
namespace {

std::shared_ptr<const crypt::FileKey> NewKey(const std::string& password) {
    return std::make_shared<const crypt::FileKey>(
        crypt::FileKey::Derive(password, crypt::FileKey::NewSalt()));
}

[[noreturn]] void ThrowBadOption(const std::string& why) {
    throw EngineError(err::kInvalidArgument, "Invalid argument: " + why);
}

// The key of the copy (null for a plain copy), from the encryption option, the new password
// and the source's key.
std::shared_ptr<const crypt::FileKey> CopyKey(const std::string& destination, int options,
                                              const std::optional<std::string>& password,
                                              const std::shared_ptr<const crypt::FileKey>& source) {
    const bool encrypt = (options & dbformat::kEncrypt) != 0;
    const bool decrypt = (options & dbformat::kDecrypt) != 0;
    if (encrypt && decrypt)
        ThrowBadOption("a compacted database cannot be both encrypted and decrypted.");
    if (decrypt) {
        // A password that only guards the door of a readable file would promise what it
        // cannot keep.
        if (password && !password->empty()) {
            ThrowBadOption("a decrypted copy ('" + destination +
                           "') cannot have a password; compact with encryption to give it one.");
        }
        return nullptr;
    }
    if (password)
        return password->empty() ? nullptr : NewKey(*password);
    if (encrypt && !source) {
        throw EngineError(err::kBadPassword, "Not a valid password: encrypting '" + destination +
                                                 "' needs a password, given as ;pwd=.");
    }
    return source;
}

}  // namespace

void CreateDatabaseFile(const std::string& path, const std::string& version,
                        const std::string& password) {
    CheckNewFilePlace(path);
    const auto key = password.empty() ? nullptr : NewKey(password);
    WriteNewFile(path, [&](const std::string& temporary) {
        std::optional<crypt::NewFileKeyScope> scope;
        if (key)
            scope.emplace(key);
        auto handle = Handle::Create(temporary, key != nullptr);
        WriteVersion(*handle, version);
    });
}

void CompactDatabaseFile(const std::string& source, const std::string& destination, int options,
                         const std::optional<std::string>& password,
                         const std::shared_ptr<const crypt::FileKey>& sourceKey) {
    if (ProbeDatabaseFile(source) == FileKind::Jet)
        ThrowJetReaderMissing(source);
    CheckNewFilePlace(destination);
    const int format =
        options & (dbformat::kVersion10 | dbformat::kVersion20 | dbformat::kVersion30);
    const std::string version = format != 0 ? VersionForFormat(format) : std::string();
    const auto key = CopyKey(destination, options, password, sourceKey);
    if (key)
        crypt::OfferKey(key);
    // A plain source read through the encrypting layer makes VACUUM INTO write through it too.
    const bool layered = key != nullptr || sourceKey != nullptr;
    WriteNewFile(destination, [&](const std::string& temporary) {
        {
            auto handle = Handle::Open(source, true, layered);
            // VACUUM INTO gives the copy the reserved bytes the source asks for: room for
            // nonces and tags, or none for a plain copy of a plain file.
            int reserve = key ? crypt::kReserveBytes : 0;
            sqlite3_file_control(handle->Raw(), "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
            std::optional<crypt::NewFileKeyScope> scope;
            if (key)
                scope.emplace(key);
            handle->Exec("VACUUM INTO " + jetsql::QuoteText(temporary));
        }
        auto handle = Handle::Open(temporary, false, key != nullptr);
        if (!version.empty())
            WriteVersion(*handle, version);
        // An encrypted copy needs no stored digest: its key is the check. A plain copy keeps the
        // source's only when nothing asked to change the password.
        if (key || password || (options & dbformat::kDecrypt) != 0)
            SetDatabasePassword(*handle, "");
    });
}

}  // namespace tessel::db::sqlite

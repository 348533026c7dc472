#include "core/db/sqlite/crypt_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace tessel::db::sqlite::crypt {
namespace {

constexpr const char* kVfsName = "tessel-encrypted";

enum class Kind { Plain, Database, Journal };

// One open file of the layer; SQLite's own file for it follows in the same allocation.
struct CryptFile {
    sqlite3_file header;  // must come first: SQLite sees this struct as its sqlite3_file
    Kind kind = Kind::Plain;
    std::shared_ptr<const FileKey> key;
    int pageSize = 0;                 // 0 while a new database has no page yet
    const CryptFile* main = nullptr;  // a journal's database
    std::vector<unsigned char> buffer;
};

constexpr std::size_t kFileOffset = (sizeof(CryptFile) + 15) / 16 * 16;

sqlite3_file* Real(CryptFile* file) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kFileOffset);
}

CryptFile* Self(sqlite3_file* file) {
    return reinterpret_cast<CryptFile*>(file);
}

sqlite3_vfs* Base(sqlite3_vfs* vfs) {
    return static_cast<sqlite3_vfs*>(vfs->pAppData);
}

std::mutex ringMutex;
std::vector<std::weak_ptr<const FileKey>>& Ring() {
    static std::vector<std::weak_ptr<const FileKey>> ring;
    return ring;
}

thread_local std::shared_ptr<const FileKey> newFileKey;

std::shared_ptr<const FileKey> FindKey(const Salt& salt) {
    const std::lock_guard lock(ringMutex);
    auto& ring = Ring();
    std::erase_if(ring, [](const auto& held) { return held.expired(); });
    for (const auto& held : ring) {
        auto key = held.lock();
        if (key && key->SaltBytes() == salt)
            return key;
    }
    return nullptr;
}

// ---- file methods ----

int Close(sqlite3_file* file) {
    CryptFile* self = Self(file);
    sqlite3_file* real = Real(self);
    const int rc = real->pMethods != nullptr ? real->pMethods->xClose(real) : SQLITE_OK;
    self->~CryptFile();
    return rc;
}

int JournalPageNumber(CryptFile* self, sqlite3_int64 offset, std::uint32_t& page) {
    unsigned char bytes[4];
    sqlite3_file* real = Real(self);
    const int rc = real->pMethods->xRead(real, bytes, 4, offset - 4);
    page = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
    return rc;
}

// A rollback journal record is the page number (4 bytes), the page and a checksum (4 bytes);
// its page is the only write of a whole page at an offset 4 past a multiple of 8 (journal
// headers start on sector boundaries).
bool IsJournalPage(const CryptFile* self, int amount, sqlite3_int64 offset) {
    return self->kind == Kind::Journal && self->main->pageSize != 0 &&
           amount == self->main->pageSize && offset >= 4 && offset % 8 == 4;
}

int ReadDatabase(CryptFile* self, unsigned char* out, int amount, sqlite3_int64 offset) {
    sqlite3_file* real = Real(self);
    const int pageSize = self->pageSize;
    if (pageSize == 0)
        return real->pMethods->xRead(real, out, amount, offset);
    self->buffer.resize(2 * static_cast<std::size_t>(pageSize));
    unsigned char* sealed = self->buffer.data();
    unsigned char* plain = sealed + pageSize;
    int result = SQLITE_OK;
    sqlite3_int64 at = offset;
    const sqlite3_int64 end = offset + amount;
    while (at < end) {
        const sqlite3_int64 page = at / pageSize;
        const sqlite3_int64 pageStart = page * pageSize;
        const int rc = real->pMethods->xRead(real, sealed, pageSize, pageStart);
        const sqlite3_int64 take = std::min<sqlite3_int64>(end, pageStart + pageSize) - at;
        if (rc == SQLITE_IOERR_SHORT_READ) {
            // Past the end of the file: what is missing reads as zeros, as SQLite expects.
            std::memset(out + (at - offset), 0, static_cast<std::size_t>(end - at));
            return SQLITE_IOERR_SHORT_READ;
        }
        if (rc != SQLITE_OK)
            return rc;
        if (!OpenPage(*self->key, static_cast<std::uint32_t>(page + 1), sealed, plain, pageSize))
            result = SQLITE_IOERR_DATA;
        std::memcpy(out + (at - offset), plain + (at - pageStart), static_cast<std::size_t>(take));
        at += take;
    }
    return result;
}

int Read(sqlite3_file* file, void* out, int amount, sqlite3_int64 offset) {
    CryptFile* self = Self(file);
    sqlite3_file* real = Real(self);
    auto* bytes = static_cast<unsigned char*>(out);
    if (self->kind == Kind::Database)
        return ReadDatabase(self, bytes, amount, offset);
    if (!IsJournalPage(self, amount, offset))
        return real->pMethods->xRead(real, out, amount, offset);
    std::uint32_t page = 0;
    int rc = JournalPageNumber(self, offset, page);
    self->buffer.resize(static_cast<std::size_t>(amount));
    if (rc == SQLITE_OK)
        rc = real->pMethods->xRead(real, self->buffer.data(), amount, offset);
    if (rc != SQLITE_OK) {
        // A record cut short reads as zeros, which fail the record's checksum: playback stops
        // there, as it does for a plain journal.
        std::memset(out, 0, static_cast<std::size_t>(amount));
        return rc;
    }
    return OpenPage(*self->key, page, self->buffer.data(), bytes, amount) ? SQLITE_OK
                                                                          : SQLITE_IOERR_DATA;
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    CryptFile* self = Self(file);
    sqlite3_file* real = Real(self);
    const auto* plain = static_cast<const unsigned char*>(data);
    std::uint32_t page = 0;
    if (self->kind == Kind::Database) {
        if (self->pageSize == 0 && ValidPageSize(amount) && offset % amount == 0)
            self->pageSize = amount;
        // SQLite writes database files in whole pages only.
        if (amount != self->pageSize || offset % self->pageSize != 0)
            return SQLITE_IOERR_WRITE;
        page = static_cast<std::uint32_t>(offset / self->pageSize + 1);
    } else if (IsJournalPage(self, amount, offset)) {
        if (const int rc = JournalPageNumber(self, offset, page); rc != SQLITE_OK)
            return rc == SQLITE_IOERR_SHORT_READ ? SQLITE_IOERR_WRITE : rc;
    } else {
        return real->pMethods->xWrite(real, data, amount, offset);
    }
    self->buffer.resize(static_cast<std::size_t>(amount));
    if (!SealPage(*self->key, page, plain, self->buffer.data(), amount))
        return SQLITE_IOERR_WRITE;
    return real->pMethods->xWrite(real, self->buffer.data(), amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xTruncate(real, size);
}

int Sync(sqlite3_file* file, int flags) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xSync(real, flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xFileSize(real, size);
}

int Lock(sqlite3_file* file, int level) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xLock(real, level);
}

int Unlock(sqlite3_file* file, int level) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xUnlock(real, level);
}

int CheckReservedLock(sqlite3_file* file, int* reserved) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xCheckReservedLock(real, reserved);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xFileControl(real, op, arg);
}

int SectorSize(sqlite3_file* file) {
    sqlite3_file* real = Real(Self(file));
    return real->pMethods->xSectorSize(real);
}

int DeviceCharacteristics(sqlite3_file* file) {
    CryptFile* self = Self(file);
    sqlite3_file* real = Real(self);
    const int characteristics = real->pMethods->xDeviceCharacteristics(real);
    // Batch-atomic writes would let SQLite skip the journal that this layer relies on.
    return self->kind == Kind::Plain ? characteristics
                                     : characteristics & ~SQLITE_IOCAP_BATCH_ATOMIC;
}

// Version 1: no shared memory, no memory mapping, so every page passes through Read and Write.
sqlite3_io_methods MakeMethods() {
    sqlite3_io_methods methods{};
    methods.iVersion = 1;
    methods.xClose = Close;
    methods.xRead = Read;
    methods.xWrite = Write;
    methods.xTruncate = Truncate;
    methods.xSync = Sync;
    methods.xFileSize = FileSize;
    methods.xLock = Lock;
    methods.xUnlock = Unlock;
    methods.xCheckReservedLock = CheckReservedLock;
    methods.xFileControl = FileControl;
    methods.xSectorSize = SectorSize;
    methods.xDeviceCharacteristics = DeviceCharacteristics;
    return methods;
}

const sqlite3_io_methods kMethods = MakeMethods();

// ---- the layer ----

void ChooseKind(CryptFile* self, const char* name, int flags) {
    sqlite3_file* real = Real(self);
    if ((flags & SQLITE_OPEN_MAIN_DB) != 0) {
        unsigned char bytes[kHeaderSize] = {};
        const int rc = real->pMethods->xRead(real, bytes, sizeof bytes, 0);
        if (rc == SQLITE_OK) {
            if (auto own = ReadOwnHeader(bytes, sizeof bytes)) {
                self->kind = Kind::Database;
                self->pageSize = own->pageSize;
                self->key = FindKey(own->salt);
            }
            return;
        }
        sqlite3_int64 size = -1;
        if (newFileKey && real->pMethods->xFileSize(real, &size) == SQLITE_OK && size == 0) {
            self->kind = Kind::Database;
            self->key = newFileKey;
        }
        return;
    }
    if ((flags & SQLITE_OPEN_MAIN_JOURNAL) != 0 && name != nullptr) {
        sqlite3_file* database = sqlite3_database_file_object(name);
        if (database != nullptr && database->pMethods == &kMethods &&
            Self(database)->kind == Kind::Database) {
            self->kind = Kind::Journal;
            self->main = Self(database);
            self->key = self->main->key;
        }
    }
}

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* self = new (file) CryptFile();
    sqlite3_file* real = Real(self);
    real->pMethods = nullptr;
    const int rc = Base(vfs)->xOpen(Base(vfs), name, real, flags, outFlags);
    if (rc != SQLITE_OK) {
        self->~CryptFile();
        file->pMethods = nullptr;
        return rc;
    }
    ChooseKind(self, name, flags);
    if (self->kind != Kind::Plain && !self->key) {
        // An encrypted file whose key nobody offered: nothing of it can be read.
        real->pMethods->xClose(real);
        self->~CryptFile();
        file->pMethods = nullptr;
        return SQLITE_AUTH;
    }
    file->pMethods = &kMethods;
    return SQLITE_OK;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncDirectory) {
    return Base(vfs)->xDelete(Base(vfs), name, syncDirectory);
}
int Access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
    return Base(vfs)->xAccess(Base(vfs), name, flags, result);
}
int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
    return Base(vfs)->xFullPathname(Base(vfs), name, size, out);
}
void* DlOpen(sqlite3_vfs* vfs, const char* name) {
    return Base(vfs)->xDlOpen(Base(vfs), name);
}
void DlError(sqlite3_vfs* vfs, int size, char* out) {
    Base(vfs)->xDlError(Base(vfs), size, out);
}
void (*DlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void) {
    return Base(vfs)->xDlSym(Base(vfs), library, symbol);
}
void DlClose(sqlite3_vfs* vfs, void* library) {
    Base(vfs)->xDlClose(Base(vfs), library);
}
int Randomness(sqlite3_vfs* vfs, int size, char* out) {
    return Base(vfs)->xRandomness(Base(vfs), size, out);
}
int Sleep(sqlite3_vfs* vfs, int microseconds) {
    return Base(vfs)->xSleep(Base(vfs), microseconds);
}
int CurrentTime(sqlite3_vfs* vfs, double* now) {
    return Base(vfs)->xCurrentTime(Base(vfs), now);
}
int GetLastError(sqlite3_vfs* vfs, int size, char* out) {
    return Base(vfs)->xGetLastError(Base(vfs), size, out);
}
int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now) {
    return Base(vfs)->xCurrentTimeInt64(Base(vfs), now);
}

sqlite3_vfs* Register() {
    sqlite3_initialize();
    sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
    static sqlite3_vfs vfs{};
    vfs.iVersion = 2;
    vfs.szOsFile = static_cast<int>(kFileOffset) + base->szOsFile;
    vfs.mxPathname = base->mxPathname;
    vfs.zName = kVfsName;
    vfs.pAppData = base;
    vfs.xOpen = Open;
    vfs.xDelete = Delete;
    vfs.xAccess = Access;
    vfs.xFullPathname = FullPathname;
    vfs.xDlOpen = DlOpen;
    vfs.xDlError = DlError;
    vfs.xDlSym = DlSym;
    vfs.xDlClose = DlClose;
    vfs.xRandomness = Randomness;
    vfs.xSleep = Sleep;
    vfs.xCurrentTime = CurrentTime;
    vfs.xGetLastError = GetLastError;
    vfs.xCurrentTimeInt64 = base->iVersion >= 2 ? CurrentTimeInt64 : nullptr;
    sqlite3_vfs_register(&vfs, 0);
    return &vfs;
}

}  // namespace

const char* VfsName() {
    static sqlite3_vfs* registered = Register();
    return registered->zName;
}

void OfferKey(const std::shared_ptr<const FileKey>& key) {
    const std::lock_guard lock(ringMutex);
    Ring().push_back(key);
}

NewFileKeyScope::NewFileKeyScope(std::shared_ptr<const FileKey> key)
    : previous_(std::exchange(newFileKey, std::move(key))) {}

NewFileKeyScope::~NewFileKeyScope() {
    newFileKey = std::move(previous_);
}

}  // namespace tessel::db::sqlite::crypt

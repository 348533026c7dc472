#include "core/db/drivers/jet/jet_file.h"

#include <sys/stat.h>

#include <atomic>
#include <functional>

#include "core/db/errors.h"

namespace tessel::db::jet {

namespace {

std::string StampOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        // Unknown, so never the same as another: nothing remembered of it is used again.
        static std::atomic<unsigned long> unknown{0};
        return path + "\n?" + std::to_string(++unknown);
    }
    return path + '\n' + std::to_string(status.st_dev) + ':' + std::to_string(status.st_ino) + ':' +
           std::to_string(status.st_size) + ':' + std::to_string(status.st_mtim.tv_sec) + '.' +
           std::to_string(status.st_mtim.tv_nsec) + ':' + std::to_string(status.st_ctim.tv_sec) +
           '.' + std::to_string(status.st_ctim.tv_nsec);
}

}  // namespace

JetFile::JetFile(std::string path, MdbHandle* handle, JetHeader header)
    : path_(std::move(path)), stamp_(StampOf(path_)), handle_(handle), header_(std::move(header)) {}

JetFile::~JetFile() {
    mdb_close(handle_);
}

std::shared_ptr<JetFile> JetFile::Open(const std::string& path) {
    JetHeader header = ReadJetHeader(path);
    if (header.officeEncrypted) {
        throw EngineError(err::kNotSupported,
                          "The database file '" + path +
                              "' is encrypted with a password (office document encryption), "
                              "which this program cannot read. Open it in the program that "
                              "made it, remove the password (or save it without encryption), "
                              "and open the saved copy here.");
    }
    MdbHandle* handle = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (handle == nullptr) {
        throw EngineError(err::kUnreadableDatabase,
                          "The database file '" + path +
                              "' cannot be read: its catalogue is damaged or it is not a "
                              "Jet/ACE database.");
    }
    std::shared_ptr<JetFile> file(new JetFile(path, handle, std::move(header)));
    // A file rewritten within one tick of the clock keeps its time: the header and the
    // catalogue's definition page tell such a copy apart.
    std::string page;
    for (unsigned long number : {0UL, 2UL}) {
        if (file->ReadPage(number, page))
            file->stamp_ += ':' + std::to_string(std::hash<std::string>{}(page));
    }
    return file;
}

bool JetFile::ReadPage(unsigned long page, std::string& out) const {
    if (static_cast<long long>(page) >= header_.pageCount)
        return false;
    if (mdb_read_alt_pg(handle_, page) != header_.pageSize)
        return false;
    out.assign(reinterpret_cast<const char*>(handle_->alt_pg_buf),
               static_cast<std::size_t>(header_.pageSize));
    return true;
}

void JetFile::ThrowDamaged(const std::string& what) const {
    throw EngineError(err::kUnreadableDatabase,
                      "The database file '" + path_ + "' is damaged: " + what + ".");
}

}  // namespace tessel::db::jet

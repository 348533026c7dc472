#include "core/db/drivers/jet/jet_file.h"

#include "core/db/errors.h"

namespace tessel::db::jet {

JetFile::JetFile(std::string path, MdbHandle* handle, JetHeader header)
    : path_(std::move(path)), handle_(handle), header_(std::move(header)) {}

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
    return std::shared_ptr<JetFile>(new JetFile(path, handle, std::move(header)));
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

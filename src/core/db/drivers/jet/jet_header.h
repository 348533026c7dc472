// The first page of a Jet/ACE file, read without libmdb: its format, page size, whether its
// pages are encrypted, and the database password it carries. Nothing here trusts the file: a
// short or odd header gives EngineError 3049.
#pragma once

#include <string>

namespace tessel::db::jet {

enum class JetFormat { Jet3, Jet4, Ace12, Ace14, Ace15, Ace16, Ace17 };

// "3.0", "4.0", "12.0", "14.0", "15.0", "16.0", "17.0": the Version the engine reports.
std::string VersionText(JetFormat format);

struct JetHeader {
    JetFormat format = JetFormat::Jet4;
    long pageSize = 4096;
    long long pageCount = 0;
    // An ACE file whose pages are encrypted with the office document encryption (libmdb has no
    // codec for it).
    bool officeEncrypted = false;
    // The database password in UTF-8, "" for none (Jet 3 and Jet 4 keep it in the header).
    std::string password;
};

// Reads the header of `path`; throws EngineError for a file that is not a Jet/ACE database.
JetHeader ReadJetHeader(const std::string& path);

// The header of a file already in memory (at least its first two pages are looked at when
// present); `path` names it in errors.
JetHeader ParseJetHeader(const std::string& path, const std::string& firstPages,
                         long long fileSize);

}  // namespace tessel::db::jet

// Compacting a genuine Jet/ACE file converts it into a writable database of the single-file
// default: each local table with its field types and sizes, its rows, its indexes, the
// relationships that enforce integrity as foreign keys, and the select queries that translate
// as stored queries. What does not carry over (queries that do not translate, attached tables,
// relationships and indexes the data breaks) is listed with its definition and the reason in
// the table kConversionNotesTable of the new file, which the tree shows like any other table,
// so that nothing of the file is dropped without a word.
//
// The new file is written under a temporary name and takes its name only when it is complete.
#pragma once

#include <memory>
#include <string>

namespace tessel::db::jet {

class JetFile;

inline constexpr char kConversionNotesTable[] = "Conversion notes";

// `version` is the Version text of the new file ("3.0"), `password` its password ("" none).
// Throws EngineError when the new file cannot be made or a table's rows cannot be read.
void ConvertJetFile(const std::shared_ptr<JetFile>& file, const std::string& destination,
                    const std::string& version, const std::string& password);

}  // namespace tessel::db::jet

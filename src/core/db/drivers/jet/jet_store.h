// The local tables of a Jet/ACE file as a TableStore, so that the adapter in vtab/ runs the
// whole SQL dialect over them (joins included). The file is only read: every change is refused
// with the read-only error.
#pragma once

#include <memory>
#include <string>

#include "core/db/drivers/jet/jet_file.h"
#include "core/db/table_store.h"

namespace tessel::db::jet {

std::shared_ptr<TableStore> MakeJetStore(std::shared_ptr<JetFile> file);

// The error for any change to a Jet/ACE file (3027, naming the file).
[[noreturn]] void ThrowReadOnly(const std::string& path);

}  // namespace tessel::db::jet

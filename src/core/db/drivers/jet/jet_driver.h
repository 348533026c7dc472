// The reader of genuine Jet/ACE databases (Jet 3, Jet 4, ACE 12 and later) on libmdb. It
// recognises its files by the signature of their first page, whatever their name, and stands in
// front of the embedded default for the Access family. It reads only: statements run over its
// tables through the store adapter, and every change fails with the read-only error. Compacting
// such a file converts it into a writable database of the single-file default
// (jet_conversion.h).
#pragma once

#include <memory>

#include "core/db/driver.h"

namespace tessel::db::jet {

std::unique_ptr<Driver> MakeJetDriver();

}  // namespace tessel::db::jet

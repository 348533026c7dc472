// Runs one Jet SQL statement on a SQLite file: DDL goes through the Jet DDL translation (with
// its metadata), other statements through the DML rewrites and then to SQLite.
#pragma once

#include <memory>
#include <string>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"
#include "core/db/vtab/external_attachments.h"

namespace tessel::db::sqlite {

// `externals` attaches the other databases whose tables the statement names.
std::unique_ptr<Cursor> ExecuteJetStatement(Handle& handle, const std::string& statement,
                                            vtab::ExternalAttachments& externals);

}  // namespace tessel::db::sqlite

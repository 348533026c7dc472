// One exchange of row changes between the main database of a connection and an attached one,
// both members of one replica set (see replica_store.h for the bookkeeping it reads). The
// caller holds the transaction that makes the exchange all or nothing.
#pragma once

#include <string>

#include "core/db/replication.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

struct ExchangeSide {
    std::string schema;  // "main" or the attached name
    std::string title;   // the file's name as messages and conflict rows show it
    std::string replicaId;
    bool receives = false;  // this exchange writes row changes into it
};

// Settles both sides, then makes each receiving side's rows agree with the other's where the
// other's are newer, and resolves rows changed on both sides.
SyncResult ExchangeChanges(Handle& handle, const ExchangeSide& first, const ExchangeSide& second);

}  // namespace tessel::db::sqlite

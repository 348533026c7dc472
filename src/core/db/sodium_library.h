// libsodium, started once for the password digests and the encrypted files.
#pragma once

namespace tessel::db {

// Throws EngineError (err::kReserved) when the library cannot be started.
void StartSodium();

}  // namespace tessel::db

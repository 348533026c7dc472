#include "core/db/sodium_library.h"

#include <sodium.h>

#include "core/db/errors.h"

namespace tessel::db {

void StartSodium() {
    static const bool started = sodium_init() >= 0;
    if (!started) {
        throw EngineError(err::kReserved,
                          "The password library (libsodium) could not be started, so database "
                          "passwords cannot be set or checked.");
    }
}

}  // namespace tessel::db

// The standard error box: "number: description", critical icon, OK, the source as caption.
#pragma once

#include "core/db/errors.h"
#include "core/ui.h"

namespace tessel {

void ShowStandardError(Ui& ui, long number, const std::string& description,
                       const std::string& source);
void ShowStandardError(Ui& ui, const db::EngineError& error);

// Failures of the program itself (invalid argument, overflow, ...) carry the program as source.
db::EngineError ProgramError(long number, std::string description);

}  // namespace tessel

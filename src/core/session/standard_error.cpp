#include "core/session/standard_error.h"

#include "core/session/shared_state.h"

namespace tessel {

void ShowStandardError(Ui& ui, long number, const std::string& description,
                       const std::string& source) {
    ui.MessageBox(std::to_string(number) + ": " + description, msgbox::kCritical, source);
}

void ShowStandardError(Ui& ui, const db::EngineError& error) {
    ShowStandardError(ui, error.Number(), error.Description(), error.Source());
}

db::EngineError ProgramError(long number, std::string description) {
    return db::EngineError(number, std::move(description), kErrorSource);
}

}  // namespace tessel

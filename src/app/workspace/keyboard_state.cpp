#include "app/workspace/keyboard_state.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace tessel::app {

namespace fs = std::filesystem;

std::optional<bool> SystemCapsLockIndicator() {
    std::error_code code;
    fs::directory_iterator leds("/sys/class/leds", code);
    if (code)
        return std::nullopt;
    std::optional<bool> on;
    for (const fs::directory_entry& entry : leds) {
        const std::string name = entry.path().filename().string();
        if (name.find("capslock") == std::string::npos)
            continue;
        std::ifstream brightness(entry.path() / "brightness");
        int value = 0;
        if (!(brightness >> value))
            continue;
        on = on.value_or(false) || value != 0;
    }
    return on;
}

KeyboardState::KeyboardState(bool readSystemIndicator) : readSystemIndicator_(readSystemIndicator) {
    if (readSystemIndicator_)
        capsTracked_ = SystemCapsLockIndicator().value_or(false);
}

bool KeyboardState::CapsLockOn() const {
    if (readSystemIndicator_) {
        if (std::optional<bool> light = SystemCapsLockIndicator())
            return *light;
    }
    return capsTracked_;
}

void KeyboardState::CapsLockPressed() {
    capsTracked_ = !capsTracked_;
}

}  // namespace tessel::app

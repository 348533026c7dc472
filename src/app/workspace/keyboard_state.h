// The toggle states behind the status bar's "CAPS" and "INS" indicators.
//
// Caps Lock is read from the keyboard's indicator light where the system shows it
// (/sys/class/leds/*::capslock); elsewhere, and when asked to, it is tracked from the key
// presses that the program sees. Insert is always tracked: the editor keeps it as a toggle.
#pragma once

#include <optional>

namespace tessel::app {

class KeyboardState {
  public:
    explicit KeyboardState(bool readSystemIndicator = true);

    bool CapsLockOn() const;
    bool InsertOn() const { return insertOn_; }

    // The program saw a press of Caps Lock or Insert.
    void CapsLockPressed();
    void InsertPressed() { insertOn_ = !insertOn_; }

  private:
    bool readSystemIndicator_;
    bool capsTracked_ = false;
    bool insertOn_ = false;
};

// The Caps Lock light of any keyboard, or nothing when the system shows none.
std::optional<bool> SystemCapsLockIndicator();

}  // namespace tessel::app

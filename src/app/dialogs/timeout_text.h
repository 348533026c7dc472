// What the text of a time-out box stands for: whether it is a number at all, the number it
// starts with (an empty text, or one that starts with no number, stands for 0), and that number
// as the whole seconds the engine takes (a half goes to the even neighbour; 16 bits).
#pragma once

#include <QString>

namespace tessel::app {

// The whole text is one number: blanks around it, a sign, a point, an exponent, "&H" digits.
bool IsNumberText(const QString& text);
// The number the text starts with, 0 when it starts with none.
double LeadingNumber(const QString& text);
// LeadingNumber rounded to a whole number, a half to the even neighbour.
double WholeValue(const QString& text);
// WholeValue as the engine's 16-bit property; throws the overflow error (6) naming `what`
// when it does not fit.
int Whole16(const QString& text, const char* what);

}  // namespace tessel::app

// Twips, the unit of the pane rules: 1440 to the logical inch, so 15 to the pixel at 96 dpi.
// Twips are finer than pixels, so pixels -> twips -> pixels gives back the same pixels.
#pragma once

namespace tessel::app {

inline constexpr double kTwipsPerInch = 1440.0;

long PixelsToTwips(int pixels, double logicalDpi);
int TwipsToPixels(long twips, double logicalDpi);

}  // namespace tessel::app

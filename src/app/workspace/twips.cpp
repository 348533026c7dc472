#include "app/workspace/twips.h"

#include <cmath>

namespace tessel::app {

namespace {

double UsableDpi(double logicalDpi) {
    return logicalDpi > 0 ? logicalDpi : 96.0;
}

}  // namespace

long PixelsToTwips(int pixels, double logicalDpi) {
    return std::lround(pixels * kTwipsPerInch / UsableDpi(logicalDpi));
}

int TwipsToPixels(long twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * UsableDpi(logicalDpi) / kTwipsPerInch));
}

}  // namespace tessel::app

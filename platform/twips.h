#pragma once

#include <cmath>

namespace veranth::platform {

// Window geometry is given in twips: 1440 to the logical inch.
inline constexpr double kTwipsPerInch = 1440.0;

inline int TwipsToPixels(double twips, double logicalDpi) { return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch)); }
inline double PixelsToTwips(int pixels, double logicalDpi) { return pixels * kTwipsPerInch / logicalDpi; }

}  // namespace veranth::platform

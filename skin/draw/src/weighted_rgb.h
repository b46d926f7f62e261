// The weighted RGB space of the colour corrections: a colour is the point
// (R * 195/255, G * 390/255, B * 65/255), so green weighs twice red and red three times
// blue. Distances are Euclidean, in single precision.
#pragma once

#include <win/types.h>

namespace ornatex::weighted {

// Contrast threshold of a base colour for a nominal distance: dark bases demand up to
// twice the distance.
float Threshold(COLORREF base, int distance);
// The squared distance of a and b exceeds the squared threshold of (a, distance).
bool FartherThan(COLORREF a, COLORREF b, int distance);
// b moved towards a until it lies the threshold away from a.
COLORREF PullCloser(COLORREF a, COLORREF b, int distance);
// b moved along the ray from black (or from white) through it to the nearer point at the
// threshold's distance from a.
COLORREF PushAway(COLORREF a, COLORREF b, int distance);

}  // namespace ornatex::weighted

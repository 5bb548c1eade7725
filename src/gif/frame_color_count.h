#pragma once
// Exact number of distinct colours of a composed frame.

#include <QImage>

namespace morlo {

// Distinct 24-bit colours among all pixels; alpha is ignored (the frame is taken as a 24-bit bitmap).
// Exact for any size: one bit per possible colour.
int CountColors(const QImage& image);

} // namespace morlo

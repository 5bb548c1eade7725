#pragma once
// Resampling of premultiplied ARGB bitmaps with the Hermite filter.

#include <QImage>
#include <QSize>

namespace morlo {

// Scales `source` to `size` with a separable Hermite filter (f(t) = 2|t|^3 - 3|t|^2 + 1 for |t| < 1,
// support 1, widened by the scale factor when shrinking). Taps outside the bitmap are left out and the
// remaining weights renormalised, so a solid bitmap stays solid up to its edges. Works on
// Format_ARGB32_Premultiplied (other formats are converted first) and returns that format; returns the
// source itself when the size is unchanged and a null image for an empty size or a failed allocation.
QImage hermiteScale(const QImage& source, QSize size);

} // namespace morlo

#pragma once
// Limits that no real banner reaches. Anything read from a file is checked against them before memory is
// reserved for it, so a hostile project or picture cannot exhaust memory or disk.

#include <cstdint>

namespace morlo::limits {

inline constexpr std::int64_t kMaxProjectFileBytes = 256LL * 1024 * 1024;
inline constexpr int kMaxLineBytes = 1024 * 1024;
inline constexpr int kMaxFrames = 10000;
inline constexpr int kMaxFrameSide = 4096; // frame width and height, in pixels
inline constexpr int kMaxPicturesPerProject = 4096;
inline constexpr int kMaxLinesPerFrame = 10000; // the background, the objects and the border of one frame
inline constexpr std::int64_t kMaxPictureBytes = 64LL * 1024 * 1024;     // one decoded picture file
inline constexpr std::int64_t kMaxAllPictureBytes = 256LL * 1024 * 1024; // all pictures of one project
inline constexpr std::int64_t kMaxImagePixels = 4096LL * 4096;           // one decoded image
inline constexpr int kMaxImageSide = 16384;                              // either side of a decoded image
// The bitmaps of all layers of one stack together: a few lines may each ask for a layer at the frame size
// limit, and thousands of them must not exhaust memory. Real banners stay far below.
inline constexpr std::int64_t kMaxStackBitmapBytes = 512LL * 1024 * 1024;

} // namespace morlo::limits

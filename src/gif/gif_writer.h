#pragma once
// Writes a TGIFImage as a GIF byte stream ("GIF87a" or "GIF89a").

#include "gif/byte_sink.h"
#include "gif/gif_image.h"

#include <cstdint>
#include <vector>

namespace morlo::gif {

// Writes the whole stream to `sink`. Throws GIFError: "Unsupported GIF version" for an image without
// frames, "Color not in color table" for an index outside its frame's table, "Could not write GIF data"
// when the sink fails. The version is "89a" when any frame has an extension or a sorted local table.
void WriteGIF(const TGIFImage& image, ByteSink& sink);

// The same stream as a new byte vector.
std::vector<std::uint8_t> WriteGIF(const TGIFImage& image);

} // namespace morlo::gif

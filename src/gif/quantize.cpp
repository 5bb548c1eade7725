#include "gif/quantize.h"

#include "gif/color_lookup.h"
#include "gif/dither.h"
#include "gif/octree.h"

#include <algorithm>
#include <memory>

namespace morlo::gif {

namespace {

template <class Mapper, class Lookup>
void mapPixels(const RgbBitmap& source, Lookup& lookup, IndexedBitmap& result) {
    Mapper mapper(source.width);
    for (int y = 0; y < source.height; ++y) {
        const RgbColor* in = &source.at(0, y);
        std::uint8_t* out = &result.at(0, y);
        if (y % 2 == 0) {
            for (int x = 0; x < source.width; ++x)
                out[x] = static_cast<std::uint8_t>(mapper.map(in[x], lookup));
        } else {
            for (int x = source.width - 1; x >= 0; --x)
                out[x] = static_cast<std::uint8_t>(mapper.map(in[x], lookup));
        }
        mapper.endRow();
    }
}

template <class Lookup>
void mapWith(const RgbBitmap& source, DitherMode dither, Lookup& lookup, IndexedBitmap& result) {
    if (dither == DitherMode::DitherFloydSteinberg)
        mapPixels<TFloydSteinbergDitherer>(source, lookup, result);
    else
        mapPixels<TDitherEngine>(source, lookup, result);
}

} // namespace

IndexedBitmap QuantizeBitmap(const RgbBitmap& source, ReduceMode reduction, DitherMode dither, int bits,
                             const Palette& palette) {
    if (source.width <= 0 || source.height <= 0 ||
        source.pixels.size() !=
            static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height))
        throw GIFError("Invalid image dimensions");

    Palette colors;
    switch (reduction) {
    case ReduceMode::ReduceOctree: {
        TColorQuantizer quantizer(std::clamp(bits, 0, 8));
        quantizer.addPixels(source);
        colors = quantizer.palette();
        break;
    }
    case ReduceMode::ReduceToPalette:
        if (palette.size() > 256)
            throw GIFError("Color table overflow");
        colors = palette;
        break;
    case ReduceMode::ReduceWebSafe:
        colors = TNetscapeColorLookup::palette();
        break;
    }
    if (colors.empty())
        return {};

    IndexedBitmap result;
    result.width = source.width;
    result.height = source.height;
    result.indices.assign(source.pixels.size(), 0);
    switch (reduction) {
    case ReduceMode::ReduceOctree: {
        auto lookup = std::make_unique<TFastColorLookup>(colors);
        mapWith(source, dither, *lookup, result);
        break;
    }
    case ReduceMode::ReduceToPalette: {
        TSlowColorLookup lookup(colors);
        mapWith(source, dither, lookup, result);
        break;
    }
    case ReduceMode::ReduceWebSafe: {
        TNetscapeColorLookup lookup;
        mapWith(source, dither, lookup, result);
        break;
    }
    }
    result.palette = std::move(colors);
    return result;
}

} // namespace morlo::gif

#include "render/hermite_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace morlo {
namespace {

// Weights are fixed point with this many fraction bits; every tap list sums to exactly 1 << kWeightBits,
// so a constant input gives back exactly the same constant.
constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;

double hermite(double t) {
    t = std::fabs(t);
    return t < 1.0 ? (2.0 * t - 3.0) * t * t + 1.0 : 0.0;
}

// The source pixels that contribute to one destination pixel along one axis, and their weights.
struct Taps {
    int first = 0;
    std::vector<int32_t> weights;
};

// For each destination index, the taps of the Hermite kernel centred on the destination pixel's centre
// mapped into source coordinates. Pixel centres sit at i + 0.5 on both axes.
std::vector<Taps> computeTaps(int sourceSize, int destinationSize) {
    const double scale = static_cast<double>(sourceSize) / destinationSize;
    const double widen = std::max(scale, 1.0); // a shrinking filter spans every source pixel it covers
    const double radius = widen;
    std::vector<Taps> result(static_cast<size_t>(destinationSize));
    std::vector<double> raw;
    for (int i = 0; i < destinationSize; ++i) {
        const double centre = (i + 0.5) * scale;
        const int from = std::max(0, static_cast<int>(std::floor(centre - radius - 0.5)));
        const int to = std::min(sourceSize - 1, static_cast<int>(std::ceil(centre + radius - 0.5)));
        raw.clear();
        double total = 0;
        for (int j = from; j <= to; ++j) {
            const double weight = hermite((j + 0.5 - centre) / widen);
            raw.push_back(weight);
            total += weight;
        }
        Taps& taps = result[static_cast<size_t>(i)];
        // Trim zero weights at both ends so that the inner loops do no idle work.
        size_t begin = 0;
        size_t end = raw.size();
        while (begin < end && raw[begin] <= 0)
            ++begin;
        while (end > begin && raw[end - 1] <= 0)
            --end;
        if (begin == end || total <= 0) {
            // Unreachable for sizes >= 1 (the nearest source centre is always within the support), but a
            // nearest-pixel tap keeps the result defined.
            taps.first = std::clamp(static_cast<int>(centre), 0, sourceSize - 1);
            taps.weights = {kWeightOne};
            continue;
        }
        taps.first = from + static_cast<int>(begin);
        int32_t sum = 0;
        size_t largest = begin;
        for (size_t k = begin; k < end; ++k) {
            const auto fixed = static_cast<int32_t>(std::lround(raw[k] / total * kWeightOne));
            taps.weights.push_back(fixed);
            sum += fixed;
            if (raw[k] > raw[largest])
                largest = k;
        }
        taps.weights[largest - begin] += kWeightOne - sum;
    }
    return result;
}

// Rounds a weighted channel sum back to 8 bits. Weights are non-negative and sum to one, so the result
// stays within 0..255 and a colour channel never exceeds its alpha.
inline uint32_t channel(int32_t sum) {
    return static_cast<uint32_t>((sum + (kWeightOne >> 1)) >> kWeightBits);
}

inline uint32_t pack(const int32_t* sum) {
    return channel(sum[0]) << 24 | channel(sum[1]) << 16 | channel(sum[2]) << 8 | channel(sum[3]);
}

inline void accumulate(int32_t* sum, uint32_t pixel, int32_t weight) {
    sum[0] += static_cast<int32_t>(pixel >> 24) * weight;
    sum[1] += static_cast<int32_t>((pixel >> 16) & 0xff) * weight;
    sum[2] += static_cast<int32_t>((pixel >> 8) & 0xff) * weight;
    sum[3] += static_cast<int32_t>(pixel & 0xff) * weight;
}

QImage scaleHorizontally(const QImage& source, int width) {
    QImage result(width, source.height(), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;
    const std::vector<Taps> taps = computeTaps(source.width(), width);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
        auto* out = reinterpret_cast<uint32_t*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const Taps& t = taps[static_cast<size_t>(x)];
            int32_t sum[4] = {0, 0, 0, 0};
            const uint32_t* pixel = in + t.first;
            for (int32_t weight : t.weights)
                accumulate(sum, *pixel++, weight);
            out[x] = pack(sum);
        }
    }
    return result;
}

QImage scaleVertically(const QImage& source, int height) {
    QImage result(source.width(), height, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;
    const std::vector<Taps> taps = computeTaps(source.height(), height);
    const int width = source.width();
    std::vector<int32_t> sums(static_cast<size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const Taps& t = taps[static_cast<size_t>(y)];
        // Row by row, so that every source row is read in memory order.
        for (size_t k = 0; k < t.weights.size(); ++k) {
            const auto* in =
                reinterpret_cast<const uint32_t*>(source.constScanLine(t.first + static_cast<int>(k)));
            const int32_t weight = t.weights[k];
            int32_t* sum = sums.data();
            for (int x = 0; x < width; ++x, sum += 4)
                accumulate(sum, in[x], weight);
        }
        auto* out = reinterpret_cast<uint32_t*>(result.scanLine(y));
        const int32_t* sum = sums.data();
        for (int x = 0; x < width; ++x, sum += 4)
            out[x] = pack(sum);
    }
    return result;
}

} // namespace

QImage hermiteScale(const QImage& source, QSize size) {
    if (size.isEmpty() || source.isNull())
        return QImage();
    QImage input = source.format() == QImage::Format_ARGB32_Premultiplied
                       ? source
                       : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (input.size() == size || input.isNull())
        return input;
    // Shrink first along the axis that shrinks most, so the second pass works on fewer pixels.
    const bool widthFirst = static_cast<double>(size.width()) / input.width() <=
                            static_cast<double>(size.height()) / input.height();
    if (widthFirst) {
        if (input.width() != size.width())
            input = scaleHorizontally(input, size.width());
        if (!input.isNull() && input.height() != size.height())
            input = scaleVertically(input, size.height());
    } else {
        if (input.height() != size.height())
            input = scaleVertically(input, size.height());
        if (!input.isNull() && input.width() != size.width())
            input = scaleHorizontally(input, size.width());
    }
    return input;
}

} // namespace morlo

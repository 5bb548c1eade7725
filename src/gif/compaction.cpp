#include "gif/compaction.h"

#include "gif/quick_sort.h"

#include <algorithm>
#include <numeric>

namespace morlo::gif {

namespace {

bool usesTable(const TGIFSubImage& frame, const TGIFColorMap& table) {
    return &frame.activeColorMap() == &table;
}

// Frames whose pixel data does not match their size (changed by hand) are left alone.
bool hasAllPixels(const TGIFSubImage& frame) {
    return !frame.isEmpty() && frame.pixels.size() >= static_cast<std::size_t>(frame.width) *
                                                          static_cast<std::size_t>(frame.height);
}

int disposalOf(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* control = frame.controlExtension();
    return control ? control->disposal : 0;
}

bool hasPixel(const TGIFSubImage& frame, int index) {
    return std::find(frame.pixels.begin(), frame.pixels.end(), static_cast<std::uint8_t>(index)) !=
           frame.pixels.end();
}

void dropUnusedTransparency(TGIFImage& image) {
    for (int i = 0; i < image.frameCount(); ++i) {
        TGIFSubImage& frame = image.frame(i);
        if (frame.transparent() && !hasPixel(frame, frame.transparentIndex())) {
            frame.controlExtension()->setTransparent(false);
            frame.controlExtension()->setTransparentIndex(0);
        }
    }
}

// Makes the pixels of `frame` that look the same as those of `previous` transparent.
void mergeWithPrevious(TGIFImage& image, int frameIndex, TGIFSubImage& frame, const TGIFSubImage& previous) {
    if (!hasAllPixels(frame) || !hasAllPixels(previous))
        return;
    const int previousDisposal = disposalOf(previous);
    if (previousDisposal == 2 || previousDisposal == 3)
        return;
    const int left = std::max(frame.left, previous.left);
    const int top = std::max(frame.top, previous.top);
    const int right = std::min(frame.left + frame.width, previous.left + previous.width);
    const int bottom = std::min(frame.top + frame.height, previous.top + previous.height);
    if (left >= right || top >= bottom)
        return;

    const bool wasTransparent = frame.transparent();
    int transparentIndex = wasTransparent ? frame.transparentIndex() : -1;
    TGIFColorMap& table = frame.activeColorMap();
    if (!wasTransparent && (table.count() >= TGIFColorMap::kMaxEntries || table.isEmpty()))
        return;
    const TGIFColorMap& previousTable = previous.activeColorMap();
    const bool sameTable = &table == &previousTable;
    const bool previousTransparent = previous.transparent();
    const int previousTransparentIndex = previous.transparentIndex();

    auto chooseTransparentIndex = [&] {
        if (&table == &image.globalColorMap()) {
            // Share the transparent entry of another frame on the global table, but only when this
            // frame does not already draw with that entry (it would turn those pixels into holes).
            for (int i = 0; i < image.frameCount(); ++i) {
                const TGIFSubImage& other = image.frame(i);
                if (i != frameIndex && other.transparent() && usesTable(other, table) &&
                    !hasPixel(frame, other.transparentIndex()))
                    return other.transparentIndex();
            }
        }
        return table.add({0, 0, 0});
    };

    for (int y = top; y < bottom; ++y) {
        std::uint8_t* row = &frame.pixels[static_cast<std::size_t>(y - frame.top) * frame.width];
        const std::uint8_t* previousRow =
            &previous.pixels[static_cast<std::size_t>(y - previous.top) * previous.width];
        for (int x = left; x < right; ++x) {
            std::uint8_t& pixel = row[x - frame.left];
            const std::uint8_t previousPixel = previousRow[x - previous.left];
            if (pixel == transparentIndex ||
                (previousTransparent && previousPixel == previousTransparentIndex))
                continue;
            const bool equal = (sameTable && pixel == previousPixel) ||
                               table.entry(pixel) == previousTable.entry(previousPixel);
            if (!equal)
                continue;
            if (transparentIndex < 0)
                transparentIndex = chooseTransparentIndex();
            pixel = static_cast<std::uint8_t>(transparentIndex);
        }
    }

    if (!wasTransparent && transparentIndex >= 0) {
        TGIFGraphicControlExtension* control = frame.controlExtension();
        if (!control)
            control = &frame.addControlExtension();
        control->setTransparent(true);
        control->setTransparentIndex(transparentIndex);
    }
}

// Removes transparent border columns and rows; returns false when no opaque pixel is left.
bool cropTransparentBorders(TGIFSubImage& frame) {
    const std::uint8_t transparent = static_cast<std::uint8_t>(frame.transparentIndex());
    int minX = frame.width, maxX = -1, minY = frame.height, maxY = -1;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* row = &frame.pixels[static_cast<std::size_t>(y) * frame.width];
        for (int x = 0; x < frame.width; ++x) {
            if (row[x] != transparent) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    }
    if (maxX < 0)
        return false;
    const int width = maxX - minX + 1;
    const int height = maxY - minY + 1;
    if (width == frame.width && height == frame.height)
        return true;
    std::vector<std::uint8_t> cropped(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        std::copy_n(&frame.pixels[static_cast<std::size_t>(minY + y) * frame.width + minX], width,
                    &cropped[static_cast<std::size_t>(y) * width]);
    frame.pixels = std::move(cropped);
    frame.left += minX;
    frame.top += minY;
    frame.width = width;
    frame.height = height;
    return true;
}

void cropFrames(TGIFImage& image) {
    for (int i = image.frameCount() - 1; i >= 0; --i) {
        TGIFSubImage& frame = image.frame(i);
        if (!hasAllPixels(frame) || !frame.transparent())
            continue;
        const int delay = frame.controlExtension()->delay;
        if (cropTransparentBorders(frame))
            continue;
        if (i > 0 && delay > 0) {
            // The frame before shows on for the time of the frame that goes, transparent or not, so the
            // animation keeps its length. A longer pause than the field holds keeps the largest it can hold.
            TGIFSubImage& before = image.frame(i - 1);
            TGIFGraphicControlExtension* previous = before.controlExtension();
            if (!previous)
                previous = &before.addControlExtension();
            previous->delay = static_cast<std::uint16_t>(std::min(65535, previous->delay + delay));
        }
        image.deleteFrame(i);
    }
}

void cleanupExtensionsAndFrames(TGIFImage& image) {
    for (int i = image.frameCount() - 1; i >= 0; --i) {
        TGIFSubImage& frame = image.frame(i);
        const bool single = image.frameCount() == 1;
        for (int e = static_cast<int>(frame.extensions().size()) - 1; e >= 0; --e) {
            const TGIFExtension& extension = *frame.extensions()[static_cast<std::size_t>(e)];
            const bool keep = extension.kind() == ExtensionKind::GraphicControl ||
                              (extension.kind() == ExtensionKind::Loop && i == 0 && !single);
            if (!keep)
                frame.deleteExtension(e);
        }
        if (const TGIFGraphicControlExtension* control = frame.controlExtension()) {
            const bool needless = (control->delay == 0 || single) && !control->transparent() &&
                                  !control->userInput &&
                                  (control->disposal == 0 || control->disposal == 1 || single);
            if (needless) {
                for (int e = 0; e < static_cast<int>(frame.extensions().size()); ++e)
                    if (frame.extensions()[static_cast<std::size_t>(e)].get() == control) {
                        frame.deleteExtension(e);
                        break;
                    }
            }
        }
        if (frame.isEmpty() && frame.extensions().empty())
            image.deleteFrame(i);
    }
}

} // namespace

bool SortTableByUse(TGIFImage& image, TGIFColorMap& table) {
    const bool isGlobal = &table == &image.globalColorMap();
    if (table.count() <= 1 || (isGlobal && image.frameCount() == 0))
        return false;
    table.setSorted(true);

    std::vector<TGIFSubImage*> frames;
    for (int i = 0; i < image.frameCount(); ++i) {
        TGIFSubImage& frame = image.frame(i);
        if (isGlobal ? usesTable(frame, table) : &frame.localColorMap() == &table)
            frames.push_back(&frame);
    }
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(table.count()), 0);
    for (const TGIFSubImage* frame : frames)
        for (std::uint8_t pixel : frame->pixels)
            if (pixel < counts.size())
                ++counts[pixel];

    // order[k] = old index of the entry that goes to position k.
    std::vector<int> order(counts.size());
    std::iota(order.begin(), order.end(), 0);
    quickSortDescending(order, [&](int index) { return counts[static_cast<std::size_t>(index)]; });
    bool unchanged = true;
    for (std::size_t k = 0; k < order.size(); ++k)
        unchanged = unchanged && order[k] == static_cast<int>(k);
    if (unchanged)
        return true;

    std::size_t usedEntries = 0;
    while (usedEntries < order.size() && counts[static_cast<std::size_t>(order[usedEntries])] > 0)
        ++usedEntries;
    std::vector<std::uint8_t> newIndexOf(256, 0);
    std::vector<RgbColor> entries;
    for (std::size_t k = 0; k < usedEntries; ++k) {
        newIndexOf[static_cast<std::size_t>(order[k])] = static_cast<std::uint8_t>(k);
        entries.push_back(table.entries()[static_cast<std::size_t>(order[k])]);
    }
    for (TGIFSubImage* frame : frames) {
        for (std::uint8_t& pixel : frame->pixels)
            pixel = newIndexOf[pixel];
        if (frame->transparent()) {
            const int oldIndex = frame->transparentIndex();
            TGIFGraphicControlExtension* control = frame->controlExtension();
            if (oldIndex < static_cast<int>(counts.size()) &&
                counts[static_cast<std::size_t>(oldIndex)] > 0) {
                control->setTransparentIndex(newIndexOf[static_cast<std::size_t>(oldIndex)]);
            } else {
                // No pixel uses the transparent entry and it is cut away: index 0 would make the most
                // used colour transparent, so the frame simply stops being transparent.
                control->setTransparent(false);
                control->setTransparentIndex(0);
            }
        }
    }
    table.assign(std::move(entries), true);
    return true;
}

void CompactAnimation(TGIFImage& image, const CompactOptions& options) {
    if (options.reduce && !options.cleanup && options.reduction == ReduceMode::ReduceToPalette)
        throw GIFError("Invalid reduction method");
    if (image.frameCount() == 0)
        return;

    if (options.sortColors) {
        if (!image.globalColorMap().isEmpty())
            SortTableByUse(image, image.globalColorMap());
        for (int i = 0; i < image.frameCount(); ++i)
            if (!image.frame(i).localColorMap().isEmpty())
                SortTableByUse(image, image.frame(i).localColorMap());
    }
    if (options.cleanup)
        dropUnusedTransparency(image);
    if (options.merge) {
        for (int i = image.frameCount() - 1; i >= 1; --i) {
            int previous = i - 1;
            while (previous > 0 && disposalOf(image.frame(previous)) == 3)
                --previous;
            mergeWithPrevious(image, i, image.frame(i), image.frame(previous));
        }
    }
    if (options.crop)
        cropFrames(image);
    if (options.cleanup)
        cleanupExtensionsAndFrames(image);
}

} // namespace morlo::gif

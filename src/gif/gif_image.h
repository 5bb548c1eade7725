#pragma once
// The animated GIF held in memory: colour tables, frames, their extensions and the image that owns them.
// Written to bytes by gif_writer.h; given one shared table by color_table_merge.h; shrunk by compaction.h.

#include "gif/gif_types.h"
#include "gif/quantize.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace morlo::gif {

class TGIFImage;
class TGIFSubImage;

// A colour table of 0 to 256 entries: the global table of an image or the local table of a frame.
class TGIFColorMap {
public:
    static constexpr int kMaxEntries = 256;

    // `warnings` (may be null) receives the warnings of entry(); it must outlive the table.
    explicit TGIFColorMap(const WarningHandler* warnings = nullptr) : warnings_(warnings) {}

    int count() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }
    const std::vector<RgbColor>& entries() const { return entries_; }

    // Entry `index`; an index outside the table reads entry 0 with the warning "Invalid color index".
    // Throws GIFError "Color table is empty" on an empty table.
    RgbColor entry(int index) const;
    // Throws "Invalid color index" outside the table.
    void setEntry(int index, RgbColor color);
    // Appends an entry and returns its index; throws "Color table overflow" when 256 entries are there.
    int add(RgbColor color);
    // Removes entry `index`, later entries move down; throws "Invalid color index" outside the table.
    void remove(int index);
    void clear();
    // Replaces all entries (at most 256, else "Color table overflow"); duplicates are kept.
    void importPalette(const Palette& palette);
    Palette exportPalette() const { return entries_; }
    // Replaces all entries and sets the sort flag; used by the passes that reorder tables.
    void assign(std::vector<RgbColor> entries, bool sorted);

    // Index of a platform colour value (red in the low byte), or -1. A sorted table is searched from the
    // first entry up, an unsorted one from the last entry down.
    int IndexOfColor(std::uint32_t colorRef) const;

    // The entries are ordered by use (written as the table's sort flag). Cleared by clear(), add(),
    // remove() and importPalette(); set by the passes that sort the table.
    bool sorted() const { return sorted_; }
    void setSorted(bool sorted) { sorted_ = sorted; }

    // 0 for an empty table, else the smallest b >= 1 with 2^b >= count().
    int bitsPerPixel() const;

private:
    std::vector<RgbColor> entries_;
    bool sorted_ = false;
    const WarningHandler* warnings_ = nullptr;
};

enum class ExtensionKind { GraphicControl, Loop, Comment };

// A block written before a frame's image data.
class TGIFExtension {
public:
    virtual ~TGIFExtension() = default;
    virtual ExtensionKind kind() const = 0;
};

// Delay, disposal and transparency of one frame.
class TGIFGraphicControlExtension : public TGIFExtension {
public:
    explicit TGIFGraphicControlExtension(TGIFSubImage& frame) : frame_(&frame) {}
    ExtensionKind kind() const override { return ExtensionKind::GraphicControl; }

    // 0 none given, 1 keep, 2 restore to background, 3 restore to previous.
    int disposal = 0;
    bool userInput = false;
    // Hundredths of a second.
    std::uint16_t delay = 0;

    bool transparent() const { return transparent_; }
    void setTransparent(bool transparent) { transparent_ = transparent; }
    int transparentIndex() const { return transparentIndex_; }
    // An index not below the size of the frame's active table (when that has entries) stores 0, with the
    // warning "Invalid color index".
    void setTransparentIndex(int index);

    // Bit 0 transparent colour flag, bit 1 user input, bits 2 to 4 disposal.
    std::uint8_t packedFields() const;

private:
    TGIFSubImage* frame_;
    bool transparent_ = false;
    std::uint8_t transparentIndex_ = 0;
};

// The looping application extension ("NETSCAPE2.0").
class TGIFAppExtNSLoop : public TGIFExtension {
public:
    ExtensionKind kind() const override { return ExtensionKind::Loop; }
    std::uint16_t loopCount = 0;  // 0: repeat for ever
    std::uint32_t bufferSize = 0; // 0: not written
};

// A comment block; the editor never creates one, but compaction removes them.
class TGIFCommentExtension : public TGIFExtension {
public:
    ExtensionKind kind() const override { return ExtensionKind::Comment; }
    std::string text;
};

// One frame: an image descriptor, indices, an optional local table and its extensions.
class TGIFSubImage {
public:
    explicit TGIFSubImage(TGIFImage& image);
    TGIFSubImage(const TGIFSubImage&) = delete;
    TGIFSubImage& operator=(const TGIFSubImage&) = delete;

    TGIFImage& image() const { return *image_; }

    // Position and size on the logical screen, 0 to 65535 each.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::uint8_t descriptorFlags = 0; // interlace and reserved bits; 0 here
    // width x height indices, rows from the top; empty for an empty frame.
    std::vector<std::uint8_t> pixels;

    bool isEmpty() const { return pixels.empty() || width == 0 || height == 0; }

    TGIFColorMap& localColorMap() { return localColorMap_; }
    const TGIFColorMap& localColorMap() const { return localColorMap_; }
    // The local table when it has entries, else the global table when that has entries, else the local one.
    const TGIFColorMap& activeColorMap() const;
    TGIFColorMap& activeColorMap();

    const std::vector<std::unique_ptr<TGIFExtension>>& extensions() const { return extensions_; }
    // Appends an extension and returns it.
    TGIFExtension& appendExtension(std::unique_ptr<TGIFExtension> extension);
    TGIFGraphicControlExtension& addControlExtension();
    TGIFAppExtNSLoop& addLoopExtension(std::uint16_t loopCount = 0);
    void deleteExtension(int index);

    // The first graphic control extension of the list, or null.
    TGIFGraphicControlExtension* controlExtension() const;
    // The control extension's transparent flag (false without one).
    bool transparent() const;
    // The control extension's transparent index (0 without one).
    int transparentIndex() const;

private:
    TGIFImage* image_;
    TGIFColorMap localColorMap_;
    std::vector<std::unique_ptr<TGIFExtension>> extensions_;
};

// The animation. Frames refer back to their image, so an image is neither copied nor moved.
class TGIFImage {
public:
    // `warnings` receives the module's warnings ("Invalid color index", "Color not in color table").
    explicit TGIFImage(WarningHandler warnings = {});
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Logical screen size; grows with the frames that are appended.
    int width() const { return width_; }
    int height() const { return height_; }
    void growScreenToFit(const TGIFSubImage& frame);

    TGIFColorMap& globalColorMap() { return globalColorMap_; }
    const TGIFColorMap& globalColorMap() const { return globalColorMap_; }

    int frameCount() const { return static_cast<int>(frames_.size()); }
    TGIFSubImage& frame(int index) { return *frames_.at(static_cast<std::size_t>(index)); }
    const TGIFSubImage& frame(int index) const { return *frames_.at(static_cast<std::size_t>(index)); }
    void deleteFrame(int index);

    // No frames, empty global table, 0 by 0 screen.
    void ClearImage();
    // Appends a frame at (0, 0) whose local table is the bitmap's palette (duplicates kept) and whose
    // indices are the bitmap's. Throws "Invalid image dimensions" for a size outside 1..65535 or indices
    // that do not match the size, and "Color table overflow" for more than 256 palette entries.
    TGIFSubImage& AppendBitmap(const IndexedBitmap& bitmap);
    // A true-colour bitmap is first reduced with the default reduction (web-safe palette, nearest colour).
    TGIFSubImage& AppendBitmap(const RgbBitmap& bitmap);
    // When the global table is empty and there is exactly one frame, its local table becomes the global one.
    void FoldSingleTable();

    const WarningHandler& warningHandler() const { return warnings_; }

    // Reduction used by AppendBitmap for true-colour bitmaps.
    ReduceMode defaultReduction = ReduceMode::ReduceWebSafe;
    DitherMode defaultDither = DitherMode::DitherNearest;
    int defaultBits = 8;

private:
    WarningHandler warnings_;
    int width_ = 0;
    int height_ = 0;
    TGIFColorMap globalColorMap_;
    std::vector<std::unique_ptr<TGIFSubImage>> frames_;
};

} // namespace morlo::gif

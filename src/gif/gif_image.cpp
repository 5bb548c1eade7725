#include "gif/gif_image.h"

#include <algorithm>

namespace morlo::gif {

namespace {
constexpr int kMaxDimension = 65535;
} // namespace

// ---- TGIFColorMap ----

RgbColor TGIFColorMap::entry(int index) const {
    if (entries_.empty())
        throw GIFError("Color table is empty");
    if (index < 0 || index >= count()) {
        if (warnings_)
            warn(*warnings_, "Invalid color index");
        index = 0;
    }
    return entries_[static_cast<std::size_t>(index)];
}

void TGIFColorMap::setEntry(int index, RgbColor color) {
    if (index < 0 || index >= count())
        throw GIFError("Invalid color index");
    entries_[static_cast<std::size_t>(index)] = color;
}

int TGIFColorMap::add(RgbColor color) {
    if (count() >= kMaxEntries)
        throw GIFError("Color table overflow");
    entries_.push_back(color);
    sorted_ = false;
    return count() - 1;
}

void TGIFColorMap::remove(int index) {
    if (index < 0 || index >= count())
        throw GIFError("Invalid color index");
    entries_.erase(entries_.begin() + index);
    sorted_ = false;
}

void TGIFColorMap::clear() {
    entries_.clear();
    sorted_ = false;
}

void TGIFColorMap::importPalette(const Palette& palette) {
    if (palette.size() > static_cast<std::size_t>(kMaxEntries))
        throw GIFError("Color table overflow");
    entries_ = palette;
    sorted_ = false;
}

void TGIFColorMap::assign(std::vector<RgbColor> entries, bool sorted) {
    if (entries.size() > static_cast<std::size_t>(kMaxEntries))
        throw GIFError("Color table overflow");
    entries_ = std::move(entries);
    sorted_ = sorted && !entries_.empty(); // an empty table is never written, so it cannot claim an order
}

int TGIFColorMap::IndexOfColor(std::uint32_t colorRef) const {
    const RgbColor color = RgbColor::fromColorRef(colorRef);
    if (sorted_) {
        for (int i = 0; i < count(); ++i)
            if (entries_[static_cast<std::size_t>(i)] == color)
                return i;
    } else {
        for (int i = count() - 1; i >= 0; --i)
            if (entries_[static_cast<std::size_t>(i)] == color)
                return i;
    }
    return -1;
}

int TGIFColorMap::bitsPerPixel() const {
    if (entries_.empty())
        return 0;
    int bits = 1;
    while ((1 << bits) < count())
        ++bits;
    return bits;
}

// ---- extensions ----

void TGIFGraphicControlExtension::setTransparentIndex(int index) {
    const TGIFColorMap& table = frame_->activeColorMap();
    if (!table.isEmpty() && (index < 0 || index >= table.count())) {
        warn(frame_->image().warningHandler(), "Invalid color index");
        index = 0;
    }
    transparentIndex_ = static_cast<std::uint8_t>(index & 0xFF);
}

std::uint8_t TGIFGraphicControlExtension::packedFields() const {
    return static_cast<std::uint8_t>((transparent_ ? 0x01 : 0) | (userInput ? 0x02 : 0) |
                                     ((disposal & 7) << 2));
}

// ---- TGIFSubImage ----

TGIFSubImage::TGIFSubImage(TGIFImage& image) : image_(&image), localColorMap_(&image.warningHandler()) {}

const TGIFColorMap& TGIFSubImage::activeColorMap() const {
    if (!localColorMap_.isEmpty())
        return localColorMap_;
    if (!image_->globalColorMap().isEmpty())
        return image_->globalColorMap();
    return localColorMap_;
}

TGIFColorMap& TGIFSubImage::activeColorMap() {
    return const_cast<TGIFColorMap&>(static_cast<const TGIFSubImage*>(this)->activeColorMap());
}

TGIFExtension& TGIFSubImage::appendExtension(std::unique_ptr<TGIFExtension> extension) {
    extensions_.push_back(std::move(extension));
    return *extensions_.back();
}

TGIFGraphicControlExtension& TGIFSubImage::addControlExtension() {
    return static_cast<TGIFGraphicControlExtension&>(
        appendExtension(std::make_unique<TGIFGraphicControlExtension>(*this)));
}

TGIFAppExtNSLoop& TGIFSubImage::addLoopExtension(std::uint16_t loopCount) {
    auto& loop = static_cast<TGIFAppExtNSLoop&>(appendExtension(std::make_unique<TGIFAppExtNSLoop>()));
    loop.loopCount = loopCount;
    return loop;
}

void TGIFSubImage::deleteExtension(int index) {
    if (index >= 0 && index < static_cast<int>(extensions_.size()))
        extensions_.erase(extensions_.begin() + index);
}

TGIFGraphicControlExtension* TGIFSubImage::controlExtension() const {
    for (const auto& extension : extensions_)
        if (extension->kind() == ExtensionKind::GraphicControl)
            return static_cast<TGIFGraphicControlExtension*>(extension.get());
    return nullptr;
}

bool TGIFSubImage::transparent() const {
    const TGIFGraphicControlExtension* control = controlExtension();
    return control && control->transparent();
}

int TGIFSubImage::transparentIndex() const {
    const TGIFGraphicControlExtension* control = controlExtension();
    return control ? control->transparentIndex() : 0;
}

// ---- TGIFImage ----

TGIFImage::TGIFImage(WarningHandler warnings) : warnings_(std::move(warnings)), globalColorMap_(&warnings_) {}

void TGIFImage::growScreenToFit(const TGIFSubImage& frame) {
    width_ = std::max(width_, std::min(kMaxDimension, frame.left + frame.width));
    height_ = std::max(height_, std::min(kMaxDimension, frame.top + frame.height));
}

void TGIFImage::deleteFrame(int index) {
    if (index >= 0 && index < frameCount())
        frames_.erase(frames_.begin() + index);
}

void TGIFImage::ClearImage() {
    frames_.clear();
    globalColorMap_.clear();
    width_ = 0;
    height_ = 0;
}

TGIFSubImage& TGIFImage::AppendBitmap(const IndexedBitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.width > kMaxDimension ||
        bitmap.height > kMaxDimension ||
        bitmap.indices.size() !=
            static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
        throw GIFError("Invalid image dimensions");
    auto frame = std::make_unique<TGIFSubImage>(*this);
    frame->localColorMap().importPalette(bitmap.palette);
    frame->width = bitmap.width;
    frame->height = bitmap.height;
    frame->pixels = bitmap.indices;
    growScreenToFit(*frame);
    frames_.push_back(std::move(frame));
    return *frames_.back();
}

TGIFSubImage& TGIFImage::AppendBitmap(const RgbBitmap& bitmap) {
    return AppendBitmap(QuantizeBitmap(bitmap, defaultReduction, defaultDither, defaultBits));
}

void TGIFImage::FoldSingleTable() {
    if (!globalColorMap_.isEmpty() || frames_.size() != 1)
        return;
    TGIFColorMap& local = frames_.front()->localColorMap();
    globalColorMap_.assign(local.entries(), local.sorted());
    local.clear();
}

} // namespace morlo::gif

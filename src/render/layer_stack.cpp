#include "render/layer_stack.h"

#include "render/hermite_scale.h"
#include "render/layer_transform.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace morlo {
namespace {

// Largest bitmap a snapshot may hold; no frame or picture is larger.
constexpr int kMaxBitmapSide = 4096;
// Largest merged layer: merging never makes a bitmap larger than a frame can be.
constexpr int kMaxMergedSide = 4096;
// Layers whose scaled or rotated bitmap would exceed this many pixels (64 MiB) are not composed; no real
// banner comes near it, and it keeps a wild display size in a line from exhausting memory.
constexpr qint64 kMaxTransformedPixels = qint64(1) << 24;

// Snapshot format (QDataStream, big-endian):
//   quint32 magic, quint16 version, quint32 layer count (1..65536), qint32 current layer;
//   per layer: quint32 name length and the name in UTF-8; qint32 x, y, display width, display height,
//   transparency; double rotation; quint8 flags (1 locked, 2 visible); quint32 width, height (0 x 0 for
//   no bitmap, at most 4096 each) and width x height premultiplied ARGB pixels as little-endian quint32.
// Everything is checked on load, and nothing is allocated for more bytes than the data still holds.
constexpr quint32 kSnapshotMagic = 0x4d4c5953; // "MLYS"
constexpr quint16 kSnapshotVersion = 1;
constexpr quint32 kMaxSnapshotLayers = 65536;
constexpr quint32 kMaxNameBytes = 4u << 20;
constexpr qint32 kMaxSnapshotCoordinate = 1 << 28;
constexpr quint8 kFlagLocked = 1;
constexpr quint8 kFlagVisible = 2;

int clampToInt(qint64 value) {
    return static_cast<int>(
        std::clamp<qint64>(value, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

// Every channel of a premultiplied pixel times weight / 255, rounded.
inline uint32_t byteMul(uint32_t pixel, uint32_t weight) {
    uint32_t redBlue = (pixel & 0xff00ff) * weight;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint32_t alphaGreen = ((pixel >> 8) & 0xff00ff) * weight;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return alphaGreen | redBlue;
}

// Source-over of premultiplied `source`, its weight scaled by weight / 255, onto premultiplied `target`.
void blendRow(uint32_t* target, const uint32_t* source, int count, uint32_t weight) {
    for (int i = 0; i < count; ++i) {
        uint32_t pixel = source[i];
        if (weight != 255)
            pixel = byteMul(pixel, weight);
        const uint32_t alpha = pixel >> 24;
        if (alpha == 255)
            target[i] = pixel;
        else if (alpha != 0)
            target[i] = pixel + byteMul(target[i], 255 - alpha);
    }
}

bool premultipliedIsValid(uint32_t pixel) {
    const uint32_t alpha = pixel >> 24;
    return ((pixel >> 16) & 0xff) <= alpha && ((pixel >> 8) & 0xff) <= alpha && (pixel & 0xff) <= alpha;
}

void writeBitmap(QDataStream& out, const QImage& bitmap) {
    const QImage image = bitmap.isNull() || bitmap.format() == QImage::Format_ARGB32_Premultiplied
                             ? bitmap
                             : bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out << quint32(image.width()) << quint32(image.height());
    std::vector<quint32> row(static_cast<size_t>(image.width()));
    for (int y = 0; y < image.height(); ++y) {
        qToLittleEndian<quint32>(image.constScanLine(y), image.width(), row.data());
        out.writeRawData(reinterpret_cast<const char*>(row.data()), image.width() * 4);
    }
}

// Reads a bitmap written by writeBitmap; checks the size against the limit and against the bytes that
// are really left before allocating anything.
bool readBitmap(QDataStream& in, qint64 bytesLeft, QImage& bitmap) {
    quint32 width = 0;
    quint32 height = 0;
    in >> width >> height;
    if (in.status() != QDataStream::Ok || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return false;
    if ((width == 0) != (height == 0))
        return false;
    if (width == 0) {
        bitmap = QImage();
        return true;
    }
    if (qint64(width) * height * 4 > bytesLeft - 8)
        return false;
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return false;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        if (in.readRawData(reinterpret_cast<char*>(line), image.width() * 4) != image.width() * 4)
            return false;
        qFromLittleEndian<quint32>(line, image.width(), line);
        if (!std::all_of(line, line + image.width(), premultipliedIsValid))
            return false;
    }
    bitmap = image;
    return true;
}

bool readLayer(QDataStream& in, const QIODevice& device, Layer& layer) {
    quint32 nameBytes = 0;
    in >> nameBytes;
    if (in.status() != QDataStream::Ok || nameBytes > kMaxNameBytes ||
        qint64(nameBytes) > device.size() - device.pos())
        return false;
    QByteArray name(static_cast<qsizetype>(nameBytes), Qt::Uninitialized);
    if (in.readRawData(name.data(), static_cast<int>(nameBytes)) != static_cast<int>(nameBytes))
        return false;
    qint32 x = 0, y = 0, displayWidth = 0, displayHeight = 0, transparency = 0;
    double rotation = 0;
    quint8 flags = 0;
    in >> x >> y >> displayWidth >> displayHeight >> transparency >> rotation >> flags;
    if (in.status() != QDataStream::Ok)
        return false;
    const auto inRange = [](qint32 value, qint32 low, qint32 high) { return value >= low && value <= high; };
    if (!inRange(x, -kMaxSnapshotCoordinate, kMaxSnapshotCoordinate) ||
        !inRange(y, -kMaxSnapshotCoordinate, kMaxSnapshotCoordinate) ||
        !inRange(displayWidth, 0, kMaxSnapshotCoordinate) ||
        !inRange(displayHeight, 0, kMaxSnapshotCoordinate) || !inRange(transparency, 0, 255) ||
        !std::isfinite(rotation) || (flags & ~(kFlagLocked | kFlagVisible)))
        return false;
    if (!readBitmap(in, device.size() - device.pos(), layer.bitmap))
        return false;
    layer.name = QString::fromUtf8(name);
    layer.position = QPoint(x, y);
    layer.displayWidth = displayWidth;
    layer.displayHeight = displayHeight;
    layer.transparency = transparency;
    layer.rotation = rotation;
    layer.locked = flags & kFlagLocked;
    layer.visible = flags & kFlagVisible;
    return true;
}

} // namespace

QRect Layer::boundingRect() const {
    const QRect local = rotatedRect(QSize(effectiveWidth(), effectiveHeight()), normaliseRotation(rotation));
    return QRect(clampToInt(qint64(local.left()) + position.x()),
                 clampToInt(qint64(local.top()) + position.y()), local.width(), local.height());
}

// The scaled and rotated bitmap of one layer, kept until the bitmap, display size or angle changes.
struct LayerStack::TransformCache {
    qint64 bitmapKey = 0;
    QSize display;
    double rotation = 0;
    bool valid = false;
    QImage image;
};

LayerStack::LayerStack() {
    layers_.push_back(std::make_unique<Layer>());
    layers_.front()->locked = true;
    caches_.push_back(std::make_unique<TransformCache>());
}

LayerStack::~LayerStack() = default;

void LayerStack::setCurrentLayer(int index) {
    if (index >= 0 && index < count())
        current_ = index;
}

int LayerStack::addLayer() {
    layers_.push_back(std::make_unique<Layer>());
    caches_.push_back(std::make_unique<TransformCache>());
    current_ = count() - 1;
    return current_;
}

void LayerStack::removeLayer(int index) {
    if (count() < 2 || index < 0 || index >= count())
        return;
    layers_.erase(layers_.begin() + index);
    caches_.erase(caches_.begin() + index);
    if (current_ > index)
        --current_;
    current_ = std::min(current_, count() - 1);
}

void LayerStack::moveLayer(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    auto moveEntry = [from, to](auto& list) {
        auto entry = std::move(list[static_cast<size_t>(from)]);
        list.erase(list.begin() + from);
        list.insert(list.begin() + to, std::move(entry));
    };
    moveEntry(layers_);
    moveEntry(caches_);
    if (current_ == from)
        current_ = to;
    else if (from < current_ && current_ <= to)
        --current_;
    else if (to <= current_ && current_ < from)
        ++current_;
}

void LayerStack::clearLayers() {
    layers_.resize(1);
    caches_.resize(1);
    current_ = 0;
}

int LayerStack::hitTest(QPoint point) const {
    for (int i = count() - 1; i >= 0; --i) {
        const Layer& layer = *layers_[static_cast<size_t>(i)];
        const QSize display(layer.effectiveWidth(), layer.effectiveHeight());
        if (!layer.visible || layer.bitmap.isNull() || display.isEmpty() ||
            !layer.boundingRect().contains(point))
            continue;
        const QPointF local(qint64(point.x()) - layer.position.x() + 0.5,
                            qint64(point.y()) - layer.position.y() + 0.5);
        const QPointF inDisplay = toDisplayCoordinates(local, display, normaliseRotation(layer.rotation));
        if (inDisplay.x() < 0 || inDisplay.y() < 0 || inDisplay.x() >= display.width() ||
            inDisplay.y() >= display.height())
            continue;
        const int x = std::min(static_cast<int>(inDisplay.x() * layer.bitmap.width() / display.width()),
                               layer.bitmap.width() - 1);
        const int y = std::min(static_cast<int>(inDisplay.y() * layer.bitmap.height() / display.height()),
                               layer.bitmap.height() - 1);
        if (qAlpha(layer.bitmap.pixel(x, y)) > 0)
            return i;
    }
    return -1;
}

// The layer's bitmap scaled to its display size and rotated, covering exactly layer.boundingRect().
// A layer shown at its bitmap's size without rotation needs no copy at all.
const QImage& LayerStack::transformedBitmap(int index) const {
    static const QImage none;
    const Layer& layer = *layers_[static_cast<size_t>(index)];
    TransformCache& cache = *caches_[static_cast<size_t>(index)];
    const QSize display(layer.effectiveWidth(), layer.effectiveHeight());
    const Rotation rotation = normaliseRotation(layer.rotation);
    if (layer.bitmap.isNull() || display.isEmpty())
        return none;
    if (display == layer.bitmap.size() && rotation.quarterTurns == 0 &&
        layer.bitmap.format() == QImage::Format_ARGB32_Premultiplied) {
        cache.valid = false;
        cache.image = QImage();
        return layer.bitmap;
    }
    if (cache.valid && cache.bitmapKey == layer.bitmap.cacheKey() && cache.display == display &&
        cache.rotation == layer.rotation)
        return cache.image;
    const QRect covered = rotatedRect(display, rotation);
    cache.image = QImage();
    if (qint64(display.width()) * display.height() <= kMaxTransformedPixels &&
        qint64(covered.width()) * covered.height() <= kMaxTransformedPixels)
        cache.image = rotateScaledBitmap(hermiteScale(layer.bitmap, display), rotation);
    cache.bitmapKey = layer.bitmap.cacheKey();
    cache.display = display;
    cache.rotation = layer.rotation;
    cache.valid = true;
    return cache.image;
}

QImage LayerStack::compose(const QRect& area) const {
    if (area.isEmpty())
        return QImage();
    QImage result(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;
    result.fill(Qt::transparent);
    for (int i = 0; i < count(); ++i) {
        const Layer& layer = *layers_[static_cast<size_t>(i)];
        if (!layer.visible || layer.transparency <= 0)
            continue;
        const QRect covered = layer.boundingRect();
        const QRect target = covered & area;
        if (target.isEmpty())
            continue;
        const QImage& image = transformedBitmap(i);
        if (image.size() != covered.size())
            continue; // nothing to draw, or too large to draw
        const auto weight = static_cast<uint32_t>(std::min(layer.transparency, 255));
        for (int y = target.top(); y <= target.bottom(); ++y) {
            const auto* source = reinterpret_cast<const uint32_t*>(image.constScanLine(y - covered.top())) +
                                 (target.left() - covered.left());
            auto* destination =
                reinterpret_cast<uint32_t*>(result.scanLine(y - area.top())) + (target.left() - area.left());
            blendRow(destination, source, target.width(), weight);
        }
    }
    return result;
}

void LayerStack::mergeAll() {
    Layer& base = *layers_.front();
    const QPoint origin = base.position;
    const QRect baseRect = base.boundingRect();
    qint64 right = std::max<qint64>(origin.x(), qint64(baseRect.left()) + baseRect.width());
    qint64 bottom = std::max<qint64>(origin.y(), qint64(baseRect.top()) + baseRect.height());
    for (const auto& layer : layers_) {
        if (!layer->visible)
            continue;
        const QRect rect = layer->boundingRect();
        if (rect.isEmpty())
            continue;
        right = std::max<qint64>(right, qint64(rect.left()) + rect.width());
        bottom = std::max<qint64>(bottom, qint64(rect.top()) + rect.height());
    }
    const int width = static_cast<int>(std::min<qint64>(right - origin.x(), kMaxMergedSide));
    const int height = static_cast<int>(std::min<qint64>(bottom - origin.y(), kMaxMergedSide));
    QImage merged;
    if (width > 0 && height > 0) {
        merged = compose(QRect(origin, QSize(width, height)));
        if (merged.isNull())
            return; // out of memory: leave every layer as it was
    }
    layers_.resize(1);
    caches_.resize(1);
    base.bitmap = merged;
    base.displayWidth = 0;
    base.displayHeight = 0;
    base.transparency = 255;
    base.rotation = 0;
    base.visible = true;
    current_ = 0;
}

QByteArray LayerStack::saveAllLayers() const {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kSnapshotMagic << kSnapshotVersion << quint32(count()) << qint32(current_);
    for (const auto& layer : layers_) {
        const QByteArray name = layer->name.toUtf8();
        out << quint32(name.size());
        out.writeRawData(name.constData(), static_cast<int>(name.size()));
        out << qint32(layer->position.x()) << qint32(layer->position.y()) << qint32(layer->displayWidth)
            << qint32(layer->displayHeight) << qint32(layer->transparency) << layer->rotation
            << quint8((layer->locked ? kFlagLocked : 0) | (layer->visible ? kFlagVisible : 0));
        writeBitmap(out, layer->bitmap);
    }
    return data;
}

bool LayerStack::loadAllLayers(const QByteArray& data) {
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    quint32 layerCount = 0;
    qint32 current = 0;
    in >> magic >> version >> layerCount >> current;
    if (in.status() != QDataStream::Ok || magic != kSnapshotMagic || version != kSnapshotVersion ||
        layerCount == 0 || layerCount > kMaxSnapshotLayers || current < 0 || quint32(current) >= layerCount)
        return false;
    std::vector<std::unique_ptr<Layer>> loaded;
    for (quint32 i = 0; i < layerCount; ++i) {
        auto layer = std::make_unique<Layer>();
        if (!readLayer(in, *in.device(), *layer))
            return false;
        loaded.push_back(std::move(layer));
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return false;
    layers_ = std::move(loaded);
    caches_.clear();
    for (size_t i = 0; i < layers_.size(); ++i)
        caches_.push_back(std::make_unique<TransformCache>());
    current_ = current;
    return true;
}

} // namespace morlo

#pragma once
// The layered image view without its widget: a stack of layers, each an ARGB bitmap with a position,
// display size, transparency, rotation, lock and visibility, and the one composition routine that the
// canvas and GIF output both use.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

namespace morlo {

// One layer. Plain data: callers change fields directly and the stack notices changes of the bitmap
// (through QImage::cacheKey), the display size and the rotation when it composes.
struct Layer {
    QString name;           // the object line drawn on this layer
    QPoint position;        // top-left corner of the display rectangle before rotation; may be negative
    int displayWidth = 0;   // 0: the bitmap's width
    int displayHeight = 0;  // 0: the bitmap's height
    int transparency = 255; // 0 invisible .. 255 opaque
    double rotation = 0;    // degrees, positive counter-clockwise, about the display rectangle's centre
    bool locked = false;    // locked layers stay put under the mouse
    bool visible = true;    // invisible layers are neither composed nor hit
    QImage bitmap;          // Format_ARGB32_Premultiplied; per-pixel alpha
    // Set by the renderer: the line the bitmap was drawn from and the bitmap's cache key at that moment, so
    // that a redraw for a change of placement alone (position, opacity, rotation) can keep the picture.
    // Any other change of the bitmap changes its cache key. Not part of snapshots.
    QString drawnFrom;
    qint64 drawnBitmapKey = 0;

    // Display size with 0 resolved to the bitmap's size.
    int effectiveWidth() const { return displayWidth > 0 ? displayWidth : bitmap.width(); }
    int effectiveHeight() const { return displayHeight > 0 ? displayHeight : bitmap.height(); }
    // Rectangle covered by the layer after scaling and rotation, in stack coordinates.
    QRect boundingRect() const;
};

class LayerStack {
public:
    // A new stack holds layer 0, locked, with an empty bitmap.
    LayerStack();
    ~LayerStack();
    LayerStack(const LayerStack&) = delete;
    LayerStack& operator=(const LayerStack&) = delete;

    int count() const { return static_cast<int>(layers_.size()); }
    Layer& layer(int index) { return *layers_.at(static_cast<size_t>(index)); }
    const Layer& layer(int index) const { return *layers_.at(static_cast<size_t>(index)); }

    // Current layer; setting a bad or unchanged index does nothing.
    int currentLayer() const { return current_; }
    void setCurrentLayer(int index);
    Layer& current() { return layer(current_); }

    // A new unlocked, opaque, unrotated, visible layer at (0, 0) on top, made current; returns its index.
    int addLayer();
    // Nothing with fewer than two layers or a bad index. The current layer stays the same layer or, when it
    // is the one removed, becomes the one now at its index (the new top if it was the top).
    void removeLayer(int index);
    // Restacks one layer; the current layer stays the same layer. Bad indexes do nothing.
    void moveLayer(int from, int to);
    // Removes every layer but layer 0, which becomes current.
    void clearLayers();

    // Topmost visible layer whose display rectangle (scaled and rotated) holds the point and whose pixel
    // there has alpha above 0; -1 if none.
    int hitTest(QPoint point) const;

    // Draws all layers into layer 0, which keeps its origin and grows right and down to hold every layer,
    // and removes the others. Layer 0 ends visible, with display size 0, transparency 255 and no rotation.
    // Invisible layers are left out. The merged bitmap is at most 4096 x 4096; what lies beyond is cut.
    void mergeAll();

    // Composes the visible layers from 0 up into an image covering `area` (stack coordinates), starting from
    // transparent pixels: each bitmap scaled to its display size with a Hermite filter, rotated about its
    // centre and blended with weight alpha x transparency / 255. Returns Format_ARGB32_Premultiplied (null
    // for an empty area). Each layer's scaled and rotated bitmap is cached until its bitmap (cacheKey),
    // display size or rotation changes, so moving a layer only re-blends; layers outside `area` are not
    // touched. A layer whose scaled or rotated bitmap would exceed 2^24 pixels is not drawn.
    QImage compose(const QRect& area) const;

    // Snapshot of all layers (properties and bitmaps) and its reverse; load replaces every layer of this
    // stack and returns false, leaving the stack unchanged, when the data is not a valid snapshot (bitmaps
    // above 4096 x 4096 are refused before any memory is reserved). The current layer is restored too.
    QByteArray saveAllLayers() const;
    bool loadAllLayers(const QByteArray& data);

    // Colour around the picture in a view; not part of composition.
    QColor backgroundColor = QColor(170, 170, 170);
    // 0: the editing view of a project; non-zero: composition or preview stacks.
    int tag = 0;

private:
    struct TransformCache;
    const QImage& transformedBitmap(int index) const;

    std::vector<std::unique_ptr<Layer>> layers_;
    int current_ = 0;
    mutable std::vector<std::unique_ptr<TransformCache>> caches_; // parallel to layers_, rebuilt on demand
    friend struct LayerStackAccess;
};

} // namespace morlo

#pragma once
// The eight kinds of object lines and how a line's kind is recognised. A line is of a kind when it begins
// with the kind's name; the renderer and the inspector test the names in different orders, and in both the
// last match wins.

#include <QString>

namespace morlo {

enum class ObjectKind {
    None, // the line begins with no kind name
    MainBackground,
    Border,
    Rectangle,
    RoundedRectangle,
    Ellipse,
    Polygon,
    Text,
    Picture,
};

// The kind word that begins a line of this kind ("Main Background", "Rounded Rectangle", ...); empty for
// None.
QString KindName(ObjectKind kind);

// True for Rectangle, Rounded Rectangle, Ellipse and Polygon, which share one key set.
bool IsShapeKind(ObjectKind kind);

// The kind as the layer renderer decides it for layer `layerIndex`: tests "Ellipse", "Rounded Rectangle",
// "Text", "Rectangle", "Picture", "Main Background" (only at index 0), "Border", "Polygon" in that order.
ObjectKind KindForRenderer(const QString& line, int layerIndex);

// The kind as the object inspector decides it: tests "Ellipse", "Rounded Rectangle", "Polygon", "Text",
// "Rectangle", "Picture", "Border", "Main Background" in that order, at any index.
ObjectKind KindForInspector(const QString& line);

} // namespace morlo

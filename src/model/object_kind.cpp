#include "model/object_kind.h"

#include <initializer_list>

namespace morlo {
namespace {

// The last kind of `order` whose name begins the line.
ObjectKind LastMatch(const QString& line, std::initializer_list<ObjectKind> order) {
    ObjectKind found = ObjectKind::None;
    for (ObjectKind kind : order) {
        if (line.startsWith(KindName(kind))) {
            found = kind;
        }
    }
    return found;
}

} // namespace

QString KindName(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::MainBackground:
        return QStringLiteral("Main Background");
    case ObjectKind::Border:
        return QStringLiteral("Border");
    case ObjectKind::Rectangle:
        return QStringLiteral("Rectangle");
    case ObjectKind::RoundedRectangle:
        return QStringLiteral("Rounded Rectangle");
    case ObjectKind::Ellipse:
        return QStringLiteral("Ellipse");
    case ObjectKind::Polygon:
        return QStringLiteral("Polygon");
    case ObjectKind::Text:
        return QStringLiteral("Text");
    case ObjectKind::Picture:
        return QStringLiteral("Picture");
    case ObjectKind::None:
        break;
    }
    return QString();
}

bool IsShapeKind(ObjectKind kind) {
    return kind == ObjectKind::Rectangle || kind == ObjectKind::RoundedRectangle ||
           kind == ObjectKind::Ellipse || kind == ObjectKind::Polygon;
}

ObjectKind KindForRenderer(const QString& line, int layerIndex) {
    ObjectKind found = LastMatch(line, {ObjectKind::Ellipse, ObjectKind::RoundedRectangle, ObjectKind::Text,
                                        ObjectKind::Rectangle, ObjectKind::Picture});
    if (layerIndex == 0 && line.startsWith(KindName(ObjectKind::MainBackground))) {
        found = ObjectKind::MainBackground;
    }
    const ObjectKind later = LastMatch(line, {ObjectKind::Border, ObjectKind::Polygon});
    return later == ObjectKind::None ? found : later;
}

ObjectKind KindForInspector(const QString& line) {
    return LastMatch(line, {ObjectKind::Ellipse, ObjectKind::RoundedRectangle, ObjectKind::Polygon,
                            ObjectKind::Text, ObjectKind::Rectangle, ObjectKind::Picture, ObjectKind::Border,
                            ObjectKind::MainBackground});
}

} // namespace morlo

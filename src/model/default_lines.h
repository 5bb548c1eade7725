#pragma once
// The one place that spells default object lines: the lines of a new project, of a newly added object and
// of a newly added or reloaded picture.

#include "model/line_builder.h"
#include "model/object_kind.h"

#include <QSize>
#include <QString>

namespace morlo {

ShapeValues DefaultShapeValues(ObjectKind shapeKind); // Radius 25 for a Rounded Rectangle, 4 for a Polygon
TextValues DefaultTextValues();
BackgroundValues DefaultBackgroundValues();
BorderValues DefaultBorderValues();

QString DefaultBackgroundLine();
QString DefaultBorderLine();

// The line a new object of `kind` gets from the object toolbar: the defaults of a shape kind or of Text.
// Empty for the other kinds (pictures need a file: use NewPictureLine).
QString NewObjectLine(ObjectKind kind);

// The line of a new object of `kind` added directly above the line `lineBelow` (the topmost object, or the
// background when there is none): a copy of `lineBelow` with X and Y set to 0 when that line begins with the
// kind's name, else NewObjectLine(kind).
QString NewObjectLineAbove(ObjectKind kind, const QString& lineBelow);

// A picture wider and also taller than the frame (both strictly) starts at 100 x 100 without auto size.
bool IsLargePicture(QSize naturalSize, QSize frameSize);

// Points `values` at a picture file: W0/H0 the natural size, the file name, and W, H and AutoSize by
// IsLargePicture. Position, angle, transparency and visibility are kept.
void SetPictureSource(PictureValues& values, QSize naturalSize, QSize frameSize, const QString& fileName);

// The line of a new picture: the small-picture line (natural size, AutoSize 1) or the large-picture line
// (100 x 100, AutoSize 0).
QString NewPictureLine(QSize naturalSize, QSize frameSize, const QString& fileName);

} // namespace morlo

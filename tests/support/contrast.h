#pragma once
// Contrast of text against what lies behind it, by the rule the platforms'
// accessibility guidelines share (WCAG 2.x): the ratio of the relative
// luminances of the two colours, each plus 0.05. Text needs 4.5 : 1, large
// text (18 points, or bold from 14 points) 3 : 1, as does a non-text mark
// such as a focus ring. Colours are composited as the scene graph blends
// them: source over, in the sRGB values themselves.

#include <QColor>

// The relative luminance of an opaque colour, 0 for black to 1 for white.
double relativeLuminance(const QColor &colour);
// The ratio of two opaque colours, 1 to 21, whichever is the lighter.
double contrastRatio(const QColor &first, const QColor &second);
// `over` drawn at its alpha onto the opaque `under`.
QColor composited(const QColor &over, const QColor &under);
// 3 for large text, 4.5 for any other; pixelSize in points, weight a QFont::Weight.
double requiredTextContrast(double pixelSize, int weight);
// What a focus ring or other non-text mark needs against its surroundings.
double requiredMarkContrast();

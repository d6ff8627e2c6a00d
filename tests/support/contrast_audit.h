#pragma once
// The contrast of everything a shown window draws as text, measured on the
// items themselves: each visible text item, and each focus ring whether
// shown or not, against the fills painted behind it in paint order, every
// opacity on the way applied. A fill is a Rectangle's colour or gradient, or
// a Shape's fill colour or gradient, taken where the text stands; a text is
// sampled at its top and its bottom edge and the lower ratio counts, since a
// gradient changes along it. Disabled controls count too, though the
// guidelines leave them out: a disabled "Saved" still tells what happened.

#include <QList>
#include <QString>

class QQuickWindow;

struct ContrastSample {
    QString what;  // the text, or "focus ring"
    QString where; // the object names of the item and its named ancestors
    double ratio = 0;
    double required = 0;
};

QList<ContrastSample> windowContrast(QQuickWindow &window);

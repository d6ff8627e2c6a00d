#pragma once
// macOS only: the window style of a main window. The title text and the
// title-bar backing are not drawn and the content reaches the top edge; the
// standard window buttons stay.

#include <QtGlobal>

class QWindow;

// Returns how far the standard window buttons reach from the window's
// leading edge, in points, so the content can start beside them; 0 when the
// window has none.
qreal hideTitleBar(QWindow &window);

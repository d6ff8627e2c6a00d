#pragma once
// macOS only: the window style of a main window. The title text and the
// title-bar backing are not drawn and the content reaches the top edge; the
// standard window buttons stay.

class QWindow;

void hideTitleBar(QWindow &window);

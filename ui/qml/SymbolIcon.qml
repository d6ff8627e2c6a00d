import QtQuick
import Veristamp

// A symbol of the platform's library by name (see symbols.cpp for the table),
// drawn in a square of `size` points in one colour, crisp at any pixel ratio.
Image {
    property string name
    property real size: 17
    property color color: Theme.white(1)

    width: size
    height: size
    sourceSize.width: size
    sourceSize.height: size
    fillMode: Image.PreserveAspectFit
    source: Symbols.source(name, color)
}

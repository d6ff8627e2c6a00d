#include "ui/window/macos_window.h"

#include <QWindow>

#import <AppKit/AppKit.h>

qreal hideTitleBar(QWindow &window)
{
    // winId() creates the native window if it does not exist yet; for a
    // top-level QWindow it is the content NSView of its NSWindow.
    NSView *view = reinterpret_cast<NSView *>(window.winId());
    NSWindow *nativeWindow = view.window;
    if (nativeWindow == nil)
        return 0;
    nativeWindow.titlebarAppearsTransparent = YES;
    nativeWindow.titleVisibility = NSWindowTitleHidden;
    nativeWindow.styleMask |= NSWindowStyleMaskFullSizeContentView;

    // The zoom button is the last of the three; its frame is final once the
    // title bar is laid out.
    [nativeWindow layoutIfNeeded];
    NSButton *zoom = [nativeWindow standardWindowButton:NSWindowZoomButton];
    if (zoom == nil)
        return 0;
    return NSMaxX([zoom convertRect:zoom.bounds toView:nil]);
}

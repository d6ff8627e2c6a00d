#include "ui/macos_window.h"

#include <QWindow>

#import <AppKit/AppKit.h>

void hideTitleBar(QWindow &window)
{
    // winId() creates the native window if it does not exist yet; for a
    // top-level QWindow it is the content NSView of its NSWindow.
    NSView *view = reinterpret_cast<NSView *>(window.winId());
    NSWindow *nativeWindow = view.window;
    if (nativeWindow == nil)
        return;
    nativeWindow.titlebarAppearsTransparent = YES;
    nativeWindow.titleVisibility = NSWindowTitleHidden;
    nativeWindow.styleMask |= NSWindowStyleMaskFullSizeContentView;
}

#include "ui/access/accessibility_announcer.h"

#import <AppKit/AppKit.h>

void requestSpokenAnnouncement(const QString &text)
{
    NSDictionary *info = @{
        NSAccessibilityAnnouncementKey : text.toNSString(),
        NSAccessibilityPriorityKey : @(NSAccessibilityPriorityHigh),
    };
    NSAccessibilityPostNotificationWithUserInfo(NSApp, NSAccessibilityAnnouncementRequestedNotification, info);
}

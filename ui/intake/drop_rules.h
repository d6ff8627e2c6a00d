#pragma once
// Which drags the landing screen's drop zone takes, and what a drop hands to
// the intake. A drag is welcome when its first URL names a local file: that
// is the one item a drop uses, the rest are ignored. Whether the file is a
// package Veristamp inspects is the intake's decision, after the drop.

#include <QList>
#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

class ContentViewState;
// The generated meta-object code needs the whole type of ContentViewState *.
Q_MOC_INCLUDE("ui/views/content_view_state.h")

bool acceptsDraggedUrls(const QList<QUrl> &urls);

// The URL a drop hands to the intake: the first one, when the drag is welcome.
std::optional<QUrl> droppedPackageUrl(const QList<QUrl> &urls);

// The rules for DropZone.qml.
class DropRules : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE bool accepts(const QList<QUrl> &urls) const;
    // Hands the dropped package to the state's intake, which goes on
    // asynchronously; true when the drop is accepted.
    Q_INVOKABLE bool deliver(const QList<QUrl> &urls, ContentViewState *state) const;
};

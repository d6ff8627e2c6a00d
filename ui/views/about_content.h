#pragma once
// What the About sheet presents besides its fixed headings: the program's
// version and build, the six check areas in their order, and the support
// address.

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// One cell of the check-areas grid, read by QML as a value (area.title, ...).
struct CheckArea {
    Q_GADGET
    QML_ANONYMOUS
    Q_PROPERTY(QString symbol MEMBER symbol)
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString subtitle MEMBER subtitle)

public:
    QString symbol;
    QString title;
    QString subtitle;
};

class AboutContent : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(QString build READ build CONSTANT)
    // CheckAreas, filled into the grid row by row.
    Q_PROPERTY(QVariantList checkAreas READ checkAreas CONSTANT)
    Q_PROPERTY(QString supportAddress READ supportAddress CONSTANT)

public:
    using QObject::QObject;

    QString version() const;
    QString build() const;
    QVariantList checkAreas() const;
    QString supportAddress() const;
};

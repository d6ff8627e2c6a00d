#pragma once
// What the About sheet presents besides its fixed headings: the program's
// version and build, the six check areas in their order, and the support
// address.

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class AboutContent : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(QString build READ build CONSTANT)
    // {symbol, title, subtitle}, filled into the grid row by row.
    Q_PROPERTY(QVariantList checkAreas READ checkAreas CONSTANT)
    Q_PROPERTY(QString supportAddress READ supportAddress CONSTANT)

public:
    using QObject::QObject;

    QString version() const;
    QString build() const;
    QVariantList checkAreas() const;
    QString supportAddress() const;
};

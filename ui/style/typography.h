#pragma once
// The fonts of the screens: the platform's system font everywhere, its
// monospaced companion where a text is set in the monospaced design.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class Typography : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QString monospacedFamily READ monospacedFamily CONSTANT)

public:
    using QObject::QObject;
    QString monospacedFamily() const;
};

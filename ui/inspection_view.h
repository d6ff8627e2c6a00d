#pragma once
// The held inspection result in the form the results screen binds to. Every
// word, count and colour shown there is computed here (through the report
// code), never in QML.

#include "engine/inspection_records.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

class InspectionView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Each ContentViewState owns its inspection view.")

public:
    explicit InspectionView(QObject *parent = nullptr);

    const std::optional<InspectionResult> &result() const;
    void setResult(const std::optional<InspectionResult> &result);

signals:
    void changed();

private:
    std::optional<InspectionResult> m_result;
};

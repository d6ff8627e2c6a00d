#include "ui/inspection_view.h"

InspectionView::InspectionView(QObject *parent) : QObject(parent) {}

const std::optional<InspectionResult> &InspectionView::result() const
{
    return m_result;
}

void InspectionView::setResult(const std::optional<InspectionResult> &result)
{
    m_result = result;
    emit changed();
}

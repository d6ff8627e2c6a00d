#include "engine/check_catalog.h"

InspectionCheck makeCheck(const CheckDefinition &check, CheckStatus status, const QString &detail)
{
    return InspectionCheck{check.id, check.title, detail, status};
}

int stageIndex(const QList<CheckDefinition> &stages, QAnyStringView checkId)
{
    for (qsizetype index = 0; index < stages.size(); ++index) {
        if (QAnyStringView::equal(stages.at(index).id, checkId))
            return int(index);
    }
    return -1;
}

#include "ui/views/live_stage_model.h"

#include "ui/views/stage_status.h"

namespace {
bool sameRows(const QList<LiveInspectionStage> &a, const QList<LiveInspectionStage> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype row = 0; row < a.size(); ++row) {
        if (a[row].id != b[row].id)
            return false;
    }
    return true;
}
} // namespace

LiveStageModel::LiveStageModel(QObject *parent) : QAbstractListModel(parent) {}

int LiveStageModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_stages.size());
}

QVariant LiveStageModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const LiveInspectionStage &stage = m_stages[index.row()];
    switch (role) {
    case TitleRole: return stage.title;
    case StatusRole: return QVariant::fromValue(StageStatus::fromLive(stage.status));
    default: return {};
    }
}

QHash<int, QByteArray> LiveStageModel::roleNames() const
{
    return {{TitleRole, "title"}, {StatusRole, "status"}};
}

const QList<LiveInspectionStage> &LiveStageModel::stages() const
{
    return m_stages;
}

// The same stages with new statuses change only the rows whose status
// changed, in row order, so each row can animate its own change; any other
// list replaces the rows.
void LiveStageModel::setStages(const QList<LiveInspectionStage> &stages)
{
    if (!sameRows(m_stages, stages)) {
        beginResetModel();
        m_stages = stages;
        endResetModel();
        return;
    }
    for (qsizetype row = 0; row < stages.size(); ++row)
        setStatus(int(row), stages[row].status);
}

void LiveStageModel::setStatus(int row, LiveStageStatus status)
{
    if (row < 0 || row >= m_stages.size() || m_stages[row].status == status)
        return;
    m_stages[row].status = status;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {StatusRole});
}

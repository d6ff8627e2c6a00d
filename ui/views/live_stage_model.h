#pragma once
// The live stage list of one window as a list model. Rows are the stages in
// order, identified by the stage's id; a change of one stage's status emits
// dataChanged for that row only.

#include "engine/inspection_records.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

class LiveStageModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Each ContentViewState owns its stage list.")

public:
    enum Role {
        TitleRole = Qt::UserRole + 1, // "title"
        StatusRole,                   // "status": a StageStatus::Value
    };

    explicit LiveStageModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<LiveInspectionStage> &stages() const;
    void setStages(const QList<LiveInspectionStage> &stages);
    void setStatus(int index, LiveStageStatus status);

private:
    QList<LiveInspectionStage> m_stages;
};

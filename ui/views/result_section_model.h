#pragma once
// The sections of the shown result as a list model, one row per section in
// screen order. A section's rows are handed over whole (they never change
// while the result is shown); a new result resets the model.

#include "ui/views/result_sections.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

// A fact row read by QML as a value (fact.label, fact.value).
struct FactRowView {
    Q_GADGET
    QML_ANONYMOUS
    Q_PROPERTY(QString label MEMBER label)
    Q_PROPERTY(QString value MEMBER value)

public:
    QString label;
    QString value;
};

class ResultSectionModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Each InspectionView owns its section model.")

public:
    enum Role {
        TitleRole = Qt::UserRole + 1, // upper case, as shown
        FactsRole,                    // list of FactRowViews
        ChecksRole,                   // list of CheckRowViews
        ShowsEntitlementsRole,
        EntitlementsRole,             // the text as it is
        EntitlementsMarkupRole,       // the same as rich text, for display
        IssuesRole,                   // list of ForecastIssueRowViews
        CodeRole,                     // list of NestedCodeRowViews
    };

    explicit ResultSectionModel(QObject *parent = nullptr);

    void setSections(const QList<ResultSectionView> &sections);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<ResultSectionView> m_sections;
};

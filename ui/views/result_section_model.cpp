#include "ui/views/result_section_model.h"

namespace {

QVariantList factList(const QList<FactRow> &facts)
{
    QVariantList list;
    for (const FactRow &fact : facts)
        list.append(QVariant::fromValue(FactRowView{fact.label, fact.value}));
    return list;
}

template <typename Row>
QVariantList valueList(const QList<Row> &rows)
{
    QVariantList list;
    for (const Row &row : rows)
        list.append(QVariant::fromValue(row));
    return list;
}

} // namespace

ResultSectionModel::ResultSectionModel(QObject *parent) : QAbstractListModel(parent) {}

void ResultSectionModel::setSections(const QList<ResultSectionView> &sections)
{
    beginResetModel();
    m_sections = sections;
    endResetModel();
}

int ResultSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_sections.size());
}

QVariant ResultSectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ResultSectionView &section = m_sections.at(index.row());
    switch (role) {
    case TitleRole: return section.title.toUpper();
    case FactsRole: return factList(section.facts);
    case ChecksRole: return valueList(section.checks);
    case ShowsEntitlementsRole: return section.content == SectionContent::entitlements;
    case EntitlementsRole: return section.entitlements;
    case EntitlementsMarkupRole: return entitlementsMarkup(section.entitlements);
    case IssuesRole: return valueList(section.issues);
    case CodeRole: return valueList(section.code);
    default: return {};
    }
}

QHash<int, QByteArray> ResultSectionModel::roleNames() const
{
    return {
        {TitleRole, "title"},
        {FactsRole, "facts"},
        {ChecksRole, "checks"},
        {ShowsEntitlementsRole, "showsEntitlements"},
        {EntitlementsRole, "entitlements"},
        {EntitlementsMarkupRole, "entitlementsMarkup"},
        {IssuesRole, "issues"},
        {CodeRole, "code"},
    };
}

#include "dialogs/MergeRowsModel.h"

#include "base/Messages.h"
#include "merge/MergeList.h"

MergeRowsModel::MergeRowsModel(QObject *parent, std::vector<bool> &ticks) : QAbstractTableModel(parent), m_ticks(ticks) {}

void MergeRowsModel::setList(const MergeList *list)
{
    beginResetModel();
    m_list = list;
    endResetModel();
}

void MergeRowsModel::tickAll(bool ticked)
{
    std::fill(m_ticks.begin(), m_ticks.end(), ticked);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    Q_EMIT ticksChanged();
}

int MergeRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_list ? 0 : m_list->rowCount();
}

int MergeRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_list ? 0 : int(m_list->columns().size()) + 1;
}

QVariant MergeRowsModel::data(const QModelIndex &index, int role) const
{
    if (!m_list || !index.isValid())
        return {};
    if (index.column() == 0)
        return role == Qt::CheckStateRole ? QVariant(m_ticks[size_t(index.row())] ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return m_list->value(index.row(), index.column() - 1);
}

bool MergeRowsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_list || !index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    m_ticks[size_t(index.row())] = value.toInt() == Qt::Checked;
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    Q_EMIT ticksChanged();
    return true;
}

Qt::ItemFlags MergeRowsModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant MergeRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_list)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section == 0 ? Msg::mergePrintColumn() : m_list->columns().value(section - 1);
}

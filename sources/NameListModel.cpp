#include "NameListModel.h"

int NameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
}

QVariant NameListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    return m_names.at(index.row());
}

void NameListModel::Append(const QStringList &names)
{
    if (names.isEmpty())
        return;
    const int first = static_cast<int>(m_names.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(names.size()) - 1);
    m_names.append(names);
    endInsertRows();
}

bool NameListModel::Remove(int row)
{
    if (row < 0 || row >= m_names.size())
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_names.removeAt(row);
    endRemoveRows();
    return true;
}

void NameListModel::Reset(QStringList names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

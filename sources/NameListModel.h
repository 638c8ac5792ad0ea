#pragma once

#include <QAbstractListModel>
#include <QStringList>

// A list of names for a view, to which many names are appended at once cheaply.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const QStringList &names() const { return m_names; }
    void Append(const QStringList &names);
    void Append(const QString &name) { Append(QStringList{name}); }
    // Removes one row; false when there is no such row.
    bool Remove(int row);
    void Reset(QStringList names);

private:
    QStringList m_names;
};

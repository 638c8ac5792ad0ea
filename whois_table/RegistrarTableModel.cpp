#include "RegistrarTableModel.h"

#include <QFile>

#include <algorithm>

RegistrarTableModel::RegistrarTableModel(RegistrarFile file, QObject *parent)
    : QAbstractTableModel(parent), m_file(std::move(file))
{
    Reload();
}

int RegistrarTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RegistrarTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant RegistrarTableModel::data(const QModelIndex &index, int role) const
{
    // The tooltip shows the whole field where the column is too narrow (an RDAP address).
    if (!index.isValid() || index.row() >= m_rows.size() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    return m_rows.at(index.row()).value(index.column());
}

QVariant RegistrarTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const QStringList headers = {QStringLiteral("Extension"), QStringLiteral("Server"),
                                        QStringLiteral("Port"), QStringLiteral("Status")};
    return headers.value(section);
}

void RegistrarTableModel::Reload()
{
    beginResetModel();
    m_fileLines = m_file.ReadRowLines().value_or(QList<RegistrarFile::Line>());
    m_rows.clear();
    for (const RegistrarFile::Line &line : m_fileLines) {
        if (!line.fields.isEmpty())
            m_rows.append(line.fields);
    }
    if (m_sorted)
        Sort();
    endResetModel();
}

void RegistrarTableModel::Sort()
{
    const int column = m_sortColumn;
    // Stable, so rows with the same text keep their file order in either direction.
    if (m_sortOrder == Qt::AscendingOrder) {
        std::stable_sort(m_rows.begin(), m_rows.end(), [column](const QStringList &a, const QStringList &b) {
            return a.at(column) < b.at(column);
        });
    } else {
        std::stable_sort(m_rows.begin(), m_rows.end(), [column](const QStringList &a, const QStringList &b) {
            return b.at(column) < a.at(column);
        });
    }
}

bool RegistrarTableModel::SortByColumn(int column)
{
    if (m_rows.isEmpty() || column < 0 || column >= 4)
        return false;
    if (!m_sorted) {
        m_sorted = true;
        m_sortOrder = Qt::AscendingOrder;
    }
    m_sortColumn = column;
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    beginResetModel();
    Sort();
    endResetModel();
    return true;
}

std::optional<int> RegistrarTableModel::IndexOfExtension(const QString &extension) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).at(Extension) == extension)
            return i;
    }
    return std::nullopt;
}

std::optional<int> RegistrarTableModel::Save(const QString &extension, const QString &server,
                                             const QString &port, bool enabled)
{
    const bool saved = m_file.SaveRegistrarRow(extension, server, port, enabled);
    Reload();
    if (!saved)
        return std::nullopt;
    return IndexOfExtension(extension.toLower());
}

std::optional<int> RegistrarTableModel::Toggle(int index)
{
    if (index < 0 || index >= m_rows.size())
        return std::nullopt;
    const QStringList fields = m_rows.at(index);
    const bool enable = fields.at(Status) != QLatin1String("Enabled");
    if (!m_file.SaveRegistrarRow(fields.at(Extension), fields.at(Server), fields.at(Port), enable)) {
        Reload();
        return std::nullopt;
    }
    Reload();
    // The toggled row is the one with its extension, server and port at the old place, or
    // failing that the first row of its extension.
    if (index < m_rows.size() && m_rows.at(index).at(Extension) == fields.at(Extension).toLower())
        return index;
    return IndexOfExtension(fields.at(Extension).toLower());
}

bool RegistrarTableModel::Delete(int index)
{
    if (index < 0 || index >= m_rows.size())
        return false;
    beginRemoveRows(QModelIndex(), index, index);
    m_rows.removeAt(index);
    endRemoveRows();
    if (m_rows.isEmpty()) {
        // Without rows the file would leave every later start without a whois table.
        return !QFile::exists(m_file.path()) || QFile::remove(m_file.path());
    }
    if (!m_file.RewriteRegistrars(m_fileLines, m_rows))
        return false;
    m_fileLines = m_file.ReadRowLines().value_or(m_fileLines);
    return true;
}

bool RegistrarTableModel::RestoreDefaults()
{
    const bool written = m_file.WriteDefaultRegistrars(true);
    Reload();
    return written;
}

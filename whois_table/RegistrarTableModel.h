#pragma once

#include "RegistrarFile.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>

// The rows of "registrars.txt" as the settings dialog shows and edits them: four columns
// (Extension, Server, Port, Status) with the text as it stands in the file.
//
// Every change goes to the file first; the rows shown are then read back from it. Deleting is
// the exception: the file is rewritten from the rows in the order shown (sorted, when the user
// sorted them), and lines of the file that are no row keep their places. Deleting the last row
// removes the file, so the next start writes the built-in rows.
class RegistrarTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        Extension,
        Server,
        Port,
        Status
    };

    explicit RegistrarTableModel(RegistrarFile file, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QStringList row(int index) const { return m_rows.value(index); }
    bool isSorted() const { return m_sorted; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Reads the rows from the file again, in file order (then sorted, when sorted).
    void Reload();
    // Sorts by a column's text. The first sort is descending; each further one flips the
    // order. False when there is nothing to sort.
    bool SortByColumn(int column);

    // Writes a row: every row of its extension is replaced, or it is appended. Returns where
    // the (first) saved row is shown now; nothing when the row was refused or not written.
    std::optional<int> Save(const QString &extension, const QString &server, const QString &port,
                            bool enabled);
    // Flips a row between "Enabled" and "Disabled" (every row of its extension). Returns where
    // the row is shown now.
    std::optional<int> Toggle(int index);
    // Removes a row and rewrites the file. False when there is no such row or the file could
    // not be written.
    bool Delete(int index);
    // Replaces the file with the built-in rows.
    bool RestoreDefaults();

private:
    void Sort();
    std::optional<int> IndexOfExtension(const QString &extension) const;

    RegistrarFile m_file;
    QList<RegistrarFile::Line> m_fileLines;
    QList<QStringList> m_rows;
    bool m_sorted = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

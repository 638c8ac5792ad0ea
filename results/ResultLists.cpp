#include "ResultLists.h"

#include "platform/FileUtilities.h"
#include "platform/TextFile.h"

#include <algorithm>

std::optional<ResultList> ResultListAt(int controlIndex)
{
    if (controlIndex < ControlIndex(ResultList::Low) || controlIndex > ControlIndex(ResultList::Saved))
        return std::nullopt;
    return static_cast<ResultList>(controlIndex);
}

ResultLists::ResultLists(QObject *parent) : QObject(parent)
{
    for (const ResultList list : kAll) {
        m_headings.at(Slot(list)) = BareHeading(list);
        WatchEdits(list);
    }
}

QString ResultLists::BareHeading(ResultList list)
{
    switch (list) {
    case Low:
        return QStringLiteral("Low Profile");
    case Registered:
        return QStringLiteral("Registered");
    case High:
        return QStringLiteral("High Profile");
    case Mid:
        return QStringLiteral("Mid Profile");
    case Saved:
        return QStringLiteral("Saved Domains");
    }
    return QString();
}

QString ResultLists::CountedHeading(ResultList list, int count)
{
    return BareHeading(list) + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')');
}

void ResultLists::WatchEdits(ResultList list)
{
    QStringListModel *listModel = model(list);
    const auto bump = [this, list] {
        ++m_editSerials.at(Slot(list));
    };
    connect(listModel, &QAbstractItemModel::rowsRemoved, this, bump);
    connect(listModel, &QAbstractItemModel::rowsMoved, this, bump);
    connect(listModel, &QAbstractItemModel::modelReset, this, bump);
    connect(listModel, &QAbstractItemModel::dataChanged, this, [this, list] {
        if (!m_appending)
            ++m_editSerials.at(Slot(list));
    });
    connect(listModel, &QAbstractItemModel::rowsInserted, this,
            [this, list, listModel](const QModelIndex &, int, int last) {
                if (last != listModel->rowCount() - 1)
                    ++m_editSerials.at(Slot(list));
            });
    if (list == Saved)
        return;
    // A heading counts what its list holds, however the list changed.
    const auto count = [this] { m_headingsSoon.Ask(); };
    connect(listModel, &QAbstractItemModel::rowsInserted, this, count);
    connect(listModel, &QAbstractItemModel::rowsRemoved, this, count);
    connect(listModel, &QAbstractItemModel::modelReset, this, count);
}

QString ResultLists::heading(ResultList list) const
{
    const int count = itemCount(list);
    return list == Saved || count == 0 ? BareHeading(list) : CountedHeading(list, count);
}

void ResultLists::UpdateHeadings()
{
    for (const ResultList list : kAll) {
        QString text = heading(list);
        if (text != m_headings.at(Slot(list))) {
            m_headings.at(Slot(list)) = text;
            emit headingChanged(list, text);
        }
    }
}

void ResultLists::Append(ResultList list, const QString &name)
{
    QStringListModel *listModel = model(list);
    const int row = listModel->rowCount();
    // Filling in the new last row is part of the append, not an edit of earlier content.
    m_appending = true;
    listModel->insertRows(row, 1);
    listModel->setData(listModel->index(row), name);
    m_appending = false;
}

QVariant ResultListModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QStringListModel::data(index, role);
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || m_premium.isEmpty())
        return value;
    const QString name = QStringListModel::data(index, Qt::DisplayRole).toString();
    if (!m_premium.contains(name))
        return value;
    if (role == Qt::DisplayRole)
        return name + kPremiumMark;
    return QStringLiteral("%1 is free at a premium price: the registry asks more than its usual fee.").arg(name);
}

void ResultLists::MarkPremium(const QString &name)
{
    // Marks are few; a list of names that never ends is kept from growing without bound.
    constexpr qsizetype kMostMarks = 100000;
    if (m_premium.size() >= kMostMarks)
        m_premium.clear();
    m_premium.insert(name);
}

void ResultLists::Empty(ResultList list)
{
    model(list)->setStringList({});
}

QString ResultLists::CopyText(ResultList list) const
{
    return CopyText(items(list));
}

QString ResultLists::CopyText(const QStringList &names)
{
    QString text;
    for (const QString &name : names)
        text += name + QStringLiteral("\r\n");
    return text;
}

bool ResultLists::RemoveRow(QStringListModel &listModel, int row)
{
    if (row < 0 || row >= listModel.rowCount())
        return false;
    listModel.removeRows(row, 1);
    return true;
}

bool ResultLists::Del(ResultList list, int currentRow)
{
    if (!RemoveRow(*model(list), currentRow))
        return false;
    if (list == Saved)
        SaveRemembered();
    return true;
}

void ResultLists::Clear(ResultList list)
{
    Empty(list);
    if (list == Saved)
        SaveRemembered();
}

QString ResultLists::DragPayload(QList<int> selectedRows)
{
    std::sort(selectedRows.begin(), selectedRows.end());
    QStringList pieces;
    for (const int row : selectedRows)
        pieces.append(QString::number(row));
    return pieces.join(QLatin1Char('|'));
}

int ResultLists::Drop(const QString &payload, std::optional<ResultList> lastClickedList)
{
    int added = 0;
    if (lastClickedList && *lastClickedList != Saved) {
        const QStringList source = items(*lastClickedList);
        QStringList saved = items(Saved);
        for (const QString &piece : payload.split(QLatin1Char('|'))) {
            bool isNumber = false;
            const int row = piece.trimmed().toInt(&isNumber);
            if (!isNumber || row < 0 || row >= source.size())
                continue;
            saved.append(source.at(row));
            ++added;
        }
        if (added > 0)
            model(Saved)->setStringList(saved);
    }
    SaveRemembered();
    return added;
}

bool ResultLists::SaveRemembered() const
{
    if (m_rememberedPath.isEmpty())
        return false;
    return TextFile::WriteAll(m_rememberedPath, CopyText(Saved));
}

void ResultLists::LoadRemembered()
{
    if (m_rememberedPath.isEmpty() || !FileExists(m_rememberedPath))
        return;
    const std::optional<QStringList> lines = TextFile::ReadLines(m_rememberedPath);
    if (!lines)
        return;
    QStringList saved = items(Saved);
    for (const QString &line : *lines) {
        if (line.isEmpty() || line == QLatin1String(" "))
            continue;
        saved.append(line);
    }
    model(Saved)->setStringList(saved);
}

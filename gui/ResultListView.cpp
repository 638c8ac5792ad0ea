#include "ResultListView.h"

#include "results/ResultLists.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>

ResultListView::ResultListView(Role role, QWidget *parent) : QListView(parent), m_role(role)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    if (role == Role::DragSource) {
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setDragEnabled(true);
        setDragDropMode(QAbstractItemView::DragOnly);
    } else if (role == Role::DropTarget) {
        setSelectionMode(QAbstractItemView::SingleSelection);
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DropOnly);
    } else {
        setSelectionMode(QAbstractItemView::SingleSelection);
        setDragDropMode(QAbstractItemView::NoDragDrop);
    }
}

QString ResultListView::SelectedIndexesPayload() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.append(index.row());
    return ResultLists::DragPayload(rows);
}

void ResultListView::startDrag(Qt::DropActions supportedActions)
{
    auto *data = new QMimeData;
    data->setText(SelectedIndexesPayload());
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(supportedActions, Qt::CopyAction);
}

void ResultListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_role == Role::DropTarget && event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ResultListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_role == Role::DropTarget && event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ResultListView::dropEvent(QDropEvent *event)
{
    if (m_role != Role::DropTarget || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit payloadDropped(event->mimeData()->text());
}

void ResultListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Delete) {
        QListView::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    emit deletePressed(modifiers == Qt::ShiftModifier);
}

#pragma once

#include <QListView>

// A list of names: on the main window one that starts drags of its selected items' indexes
// ("0|3|5") or takes such drops; on the browse window a plain one. Each reports the Delete key.
class ResultListView : public QListView
{
    Q_OBJECT
public:
    enum class Role
    {
        DragSource,
        DropTarget,
        Plain // no drag, no drop
    };

    ResultListView(Role role, QWidget *parent = nullptr);

    // The drag payload of the current selection.
    QString SelectedIndexesPayload() const;

signals:
    // Delete pressed: with Shift alone the list is to be cleared, otherwise its current item
    // removed.
    void deletePressed(bool clearAll);
    void payloadDropped(const QString &payload);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Role m_role;
};

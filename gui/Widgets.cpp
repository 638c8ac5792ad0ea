#include "Widgets.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QVariant>

#include <algorithm>

namespace Widgets {

int ToPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

void PlaceInTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
}

QToolButton *PictureButton(QWidget *parent, const char *name, const QString &caption, Picture picture,
                           const QString &toolTip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setIcon(PictureIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(false);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    return button;
}

QToolButton *IconButton(QWidget *parent, const char *name, Picture picture, const QString &toolTip)
{
    QToolButton *button = PictureButton(parent, name, QString(), picture, toolTip);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

QLabel *NamedLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

void SetElidedText(QLabel *label, const QString &text)
{
    label->setProperty("fullText", text);
    const int room = label->width() - 2 * label->frameWidth() - 4;
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, std::max(room, 0));
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

QString FullText(const QLabel *label)
{
    const QVariant full = label->property("fullText");
    return full.isValid() ? full.toString() : label->text();
}

QLineEdit *NamedLineEdit(QWidget *parent, const char *name, const QString &text, const QString &toolTip)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(QLatin1String(name));
    if (!toolTip.isEmpty())
        box->setToolTip(toolTip);
    return box;
}

void ShowModeless(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void ShowCentredOver(QWidget *window, const QWidget *over)
{
    if (!window->isVisible() && over && over->isVisible()) {
        // A window given a size keeps it; others take the size their layout asks for.
        const QSize size =
            window->testAttribute(Qt::WA_Resized)
                ? window->size()
                : window->sizeHint().expandedTo(window->minimumSize()).boundedTo(window->maximumSize());
        const QPoint centre = over->frameGeometry().center();
        QPoint topLeft(centre.x() - size.width() / 2, centre.y() - size.height() / 2);
        if (const QScreen *screen = over->screen()) {
            // Wholly on the screen, title bar included (its frame is taken to be the one of the
            // window it is centred over).
            const QRect area = screen->availableGeometry();
            const QSize frame = over->frameGeometry().size() - over->size();
            const QSize outer = size + frame;
            topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
            topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
        }
        window->move(topLeft);
    }
    ShowModeless(window);
}

QMenu *PopUpNameMenu(QWidget *parent, const QPoint &globalPos, const NameMenuActions &actions)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("NameMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [menu](const char *name, const QString &caption, const std::function<void()> &action) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setEnabled(static_cast<bool>(action));
        if (action)
            QObject::connect(item, &QAction::triggered, menu, action);
    };
    add("mnuNameWhois", QStringLiteral("Whois Details\u2026"), actions.whois);
    add("mnuNamePurchase", QStringLiteral("Open Purchase Page"), actions.purchase);
    add("mnuNameCopy", QStringLiteral("Copy"), actions.copy);
    add("mnuNameDelete", QStringLiteral("Delete"), actions.remove);
    menu->popup(globalPos);
    return menu;
}

void ConnectNameMenu(QAbstractItemView *view, std::function<NameMenuActions(const QString &name)> actionsFor)
{
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, view,
                     [view, actionsFor = std::move(actionsFor)](const QPoint &pos) {
                         const QModelIndex index = view->indexAt(pos);
                         if (!index.isValid())
                             return;
                         view->setCurrentIndex(index);
                         view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
                         PopUpNameMenu(view, view->viewport()->mapToGlobal(pos),
                                       actionsFor(index.data().toString()));
                     });
}

} // namespace Widgets

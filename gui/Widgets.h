#pragma once

#include "Pictures.h"

#include <QPoint>
#include <QString>

#include <functional>

class QAbstractItemView;
class QLabel;
class QMenu;
class QLineEdit;
class QToolButton;
class QWidget;

// Helpers the windows share: geometry in twips, the named controls of the program's windows,
// and how a modeless window is brought before the user.
namespace Widgets {

constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel.
int ToPixels(int twips);
void PlaceInTwips(QWidget *widget, int left, int top, int width, int height);

// A button with a small picture above its caption.
QToolButton *PictureButton(QWidget *parent, const char *name, const QString &caption, Picture picture,
                           const QString &toolTip = QString());
// A button showing only its picture (navigation buttons).
QToolButton *IconButton(QWidget *parent, const char *name, Picture picture, const QString &toolTip);
QLabel *NamedLabel(QWidget *parent, const char *name, const QString &text);
// Shows text in a label of fixed width, cut with "…" when it does not fit; the whole text is the
// tooltip then. Call again with the label's fullText() after its width changed.
void SetElidedText(QLabel *label, const QString &text);
QString FullText(const QLabel *label);
QLineEdit *NamedLineEdit(QWidget *parent, const char *name, const QString &text,
                         const QString &toolTip = QString());

// Shows a modeless window and brings it to the front, restoring it when it was minimised.
void ShowModeless(QWidget *window);

// The context menu of a name in a result list: "Whois Details…", "Open Purchase Page", "Copy",
// "Delete", each doing what it is given. It pops up at globalPos and deletes itself when closed.
struct NameMenuActions
{
    std::function<void()> whois;
    std::function<void()> purchase;
    std::function<void()> copy;
    std::function<void()> remove;
};
QMenu *PopUpNameMenu(QWidget *parent, const QPoint &globalPos, const NameMenuActions &actions);
// Shows that menu for the name under pos in a list view (made current and selected first);
// names its actions by that name. Nothing under pos: no menu.
void ConnectNameMenu(QAbstractItemView *view, std::function<NameMenuActions(const QString &name)> actionsFor);
// The same for a window opened for the first time: centred over `over` (when given and
// visible) instead of wherever the desktop puts it.
void ShowCentredOver(QWidget *window, const QWidget *over);

} // namespace Widgets

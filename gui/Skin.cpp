#include "Skin.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStringList>
#include <QTextEdit>
#include <QTreeView>

SkinColours SkinColoursFor(const QString &typeName, const QColor &a, const QColor &b, const QColor &c)
{
    static const QStringList kTextAndLists = {QStringLiteral("TextBox"),      QStringLiteral("ComboBox"),
                                              QStringLiteral("FileListBox"),  QStringLiteral("DirListBox"),
                                              QStringLiteral("DriveListBox"), QStringLiteral("ListBox"),
                                              QStringLiteral("ListView")};
    if (typeName == QLatin1String("CommandButton"))
        return {a, std::nullopt};
    if (kTextAndLists.contains(typeName))
        return {a, b};
    if (typeName == QLatin1String("PictureBox"))
        return {c, std::nullopt};
    return {};
}

QString SkinTypeName(const QWidget *widget)
{
    if (qobject_cast<const QAbstractButton *>(widget))
        return QStringLiteral("CommandButton");
    if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget))
        return QStringLiteral("TextBox");
    if (qobject_cast<const QComboBox *>(widget))
        return QStringLiteral("ComboBox");
    if (qobject_cast<const QTreeView *>(widget))
        return QStringLiteral("ListView");
    if (qobject_cast<const QListView *>(widget))
        return QStringLiteral("ListBox");
    if (const auto *label = qobject_cast<const QLabel *>(widget); label && !label->pixmap().isNull())
        return QStringLiteral("PictureBox");
    return QString();
}

void ApplySkin(QWidget *window, const QColor &a, const QColor &b, const QColor &c)
{
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const SkinColours colours = SkinColoursFor(SkinTypeName(widget), a, b, c);
        QPalette palette = widget->palette();
        if (colours.background) {
            palette.setColor(QPalette::Button, *colours.background);
            palette.setColor(QPalette::Base, *colours.background);
            palette.setColor(QPalette::Window, *colours.background);
        }
        if (colours.foreground) {
            palette.setColor(QPalette::Text, *colours.foreground);
            palette.setColor(QPalette::WindowText, *colours.foreground);
        }
        if (colours.background || colours.foreground) {
            widget->setAutoFillBackground(true);
            widget->setPalette(palette);
        }
    }
}

#include "Skin.h"

#include <QStringList>

SkinColours SkinColoursFor(const QString &typeName, const QColor &a, const QColor &b, const QColor &c)
{
    static const QStringList kTextAndLists = {
        QStringLiteral("TextBox"),      QStringLiteral("ComboBox"), QStringLiteral("FileListBox"),
        QStringLiteral("DirListBox"),   QStringLiteral("DriveListBox"), QStringLiteral("ListBox"),
        QStringLiteral("ListView")};
    if (typeName == QLatin1String("CommandButton"))
        return {a, std::nullopt};
    if (kTextAndLists.contains(typeName))
        return {a, b};
    if (typeName == QLatin1String("PictureBox"))
        return {c, std::nullopt};
    return {};
}

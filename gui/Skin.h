#pragma once

#include <QColor>
#include <QString>

#include <optional>

// The colours a skin gives a control, by the control's type name. The skin is never enabled in
// this build; the rule is kept so that a skin can be switched on without touching the windows.
struct SkinColours
{
    std::optional<QColor> background;
    std::optional<QColor> foreground;
};

// Colour A goes to the background of buttons, and with colour B as foreground to the text and
// list controls; colour C to the background of picture boxes. Other types keep their colours.
SkinColours SkinColoursFor(const QString &typeName, const QColor &a, const QColor &b, const QColor &c);

class QWidget;

// The control type a widget plays ("CommandButton", "TextBox", "ListBox"...), empty for others.
QString SkinTypeName(const QWidget *widget);

// Colours every control of the window by the rule above.
void ApplySkin(QWidget *window, const QColor &a, const QColor &b, const QColor &c);

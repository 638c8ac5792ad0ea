#include "StatusPanels.h"

StatusPanels::StatusPanels(QObject *parent) : QObject(parent)
{
    for (int panel = 1; panel <= kCount; ++panel)
        m_texts.at(static_cast<size_t>(panel - 1)) = IdleText(panel);
}

QString StatusPanels::IdleText(int panel)
{
    switch (panel) {
    case 1:
        return QStringLiteral("Entry Status");
    case 2:
        return QStringLiteral("Open Connections");
    default:
        return QStringLiteral("Connection Status");
    }
}

void StatusPanels::SetText(int panel, const QString &text)
{
    QString &current = m_texts.at(static_cast<size_t>(panel - 1));
    if (current == text)
        return;
    current = text;
    emit textChanged(panel, text);
}

void StatusPanels::SetIdle()
{
    for (int panel = 1; panel <= kCount; ++panel)
        SetText(panel, IdleText(panel));
}

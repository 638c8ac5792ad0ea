#pragma once

#include <QObject>
#include <QString>

#include <array>

// The three text panels of a window's status bar without the window: what they say, and a
// signal when that changes. The main window's run (RunController) and the browse window
// (BrowseState) keep theirs here; the windows show them.
//
//     StatusPanels panels;
//     panels.SetText(1, "12 of 5000");      // textChanged(1, "12 of 5000")
//     panels.text(2);                       // "Open Connections" at rest
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCount = 3;

    // A bar at rest: "Entry Status", "Open Connections", "Connection Status".
    explicit StatusPanels(QObject *parent = nullptr);
    static QString IdleText(int panel);

    QString text(int panel) const { return m_texts.at(static_cast<size_t>(panel - 1)); }
    void SetText(int panel, const QString &text);
    void SetIdle();

signals:
    void textChanged(int panel, const QString &text);

private:
    std::array<QString, kCount> m_texts;
};

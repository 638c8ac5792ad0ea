#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringListModel>

#include <array>

// The five result lists of the main window, their counters and their headings.
//
// Lists are numbered as the window's button arrays number them:
//   1 "Low Profile", 2 "Registered", 3 "High Profile", 4 "Mid Profile", 5 "Saved Domains".
// Counters (lists 1 to 4) count names filed since the last Clear, Start or overflow, less
// those removed with Del; they are not recomputed from the lists. A heading shows its bare
// text, or the text with the counter, "Low Profile (12)", once its counter has changed.
//
// The window shows the models; the engine files into them; both see the same state.
class ResultLists : public QObject
{
    Q_OBJECT
public:
    enum List
    {
        Low = 1,
        Registered = 2,
        High = 3,
        Mid = 4,
        Saved = 5
    };
    static constexpr int kFirst = 1;
    static constexpr int kLast = 5;

    explicit ResultLists(QObject *parent = nullptr);

    static bool IsValidList(int list) { return list >= kFirst && list <= kLast; }
    static QString BareHeading(int list);
    static QString CountedHeading(int list, int count);

    QStringListModel *model(int list) { return &m_models.at(list - 1); }
    const QStringListModel *model(int list) const { return &m_models.at(list - 1); }
    QStringList items(int list) const { return model(list)->stringList(); }
    int itemCount(int list) const { return model(list)->rowCount(); }

    QString heading(int list) const { return m_headings.at(list - 1); }
    int counter(int list) const { return m_counters.at(list - 1); }

    // Sets all four counters to 0 without touching the headings (Start, overflow reset).
    void ResetCounters();
    // Adds one to the list's counter, shows it in the heading, then appends the name.
    void AppendCounted(int list, const QString &name);
    // Empties a list without touching counter or heading.
    void Empty(int list);

    // The whole list as text, every item followed by CR LF.
    QString CopyText(int list) const;
    // Removes the item at currentRow. Lists 1 to 4 count it off and show the counted heading;
    // the saved list is written to its file. False when there is no such item.
    bool Del(int list, int currentRow);
    // Empties the list. Lists 1 to 4 reset counter and heading; the saved list is written.
    void Clear(int list);

    // The drag payload of the selected rows: their indexes in ascending order joined by "|".
    static QString DragPayload(QList<int> selectedRows);
    // Appends to "Saved Domains" the items of lastClickedList (1 to 4) named by the payload's
    // indexes, skipping pieces that are not a valid index, then saves the kept list. Returns
    // how many names were added.
    int Drop(const QString &payload, int lastClickedList);

    // "Remembered.txt": the saved list, one name per line.
    void setRememberedPath(const QString &path) { m_rememberedPath = path; }
    bool SaveRemembered() const;
    void LoadRemembered();

    // Grows whenever a list changes other than by appending at its end, so a writer that keeps
    // a file in step with the list by appending knows when it must rewrite instead.
    quint64 editSerial(int list) const { return m_editSerials.at(list - 1); }

signals:
    void headingChanged(int list, const QString &text);

private:
    void SetHeading(int list, const QString &text);
    void WatchEdits(int list);

    std::array<QStringListModel, 5> m_models;
    std::array<int, 5> m_counters{};
    std::array<QString, 5> m_headings;
    std::array<quint64, 5> m_editSerials{};
    QString m_rememberedPath;
    bool m_appending = false;
};

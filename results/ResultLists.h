#pragma once

#include "platform/AfterThisTurn.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringListModel>

#include <QSet>

#include <array>
#include <optional>

// The five result lists of the main window. The values are the indexes of the window's control
// arrays ("List1" is "Low Profile").
enum class ResultList
{
    Low = 1,        // "Low Profile"
    Registered = 2, // "Registered"
    High = 3,       // "High Profile"
    Mid = 4,        // "Mid Profile"
    Saved = 5       // "Saved Domains"
};

// The control-array index of a list (1 to 5), and the list of an index.
constexpr int ControlIndex(ResultList list)
{
    return static_cast<int>(list);
}
std::optional<ResultList> ResultListAt(int controlIndex);

// A result list's names; a name marked premium shows its mark and says why in its tooltip. The
// string list (what files, copies and drags take) holds the bare names.
class ResultListModel : public QStringListModel
{
public:
    explicit ResultListModel(const QSet<QString> &premium) : m_premium(premium) {}
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    static inline const QString kPremiumMark = QStringLiteral("  [premium]");

private:
    const QSet<QString> &m_premium;
};

// The five result lists of the main window, their counters and their headings.
//
// The heading of each of the lists 1 to 4 counts the names it holds, "Low Profile (12)", or
// shows its bare text while it is empty, whatever changed the list: a filing, Del, Clear, an
// overflow, a drop.
//
// The window shows the models; the engine files into them; both see the same state.
class ResultLists : public QObject
{
    Q_OBJECT
public:
    using enum ResultList;
    static constexpr std::array<ResultList, 5> kAll = {Low, Registered, High, Mid, Saved};

    explicit ResultLists(QObject *parent = nullptr);

    static QString BareHeading(ResultList list);
    static QString CountedHeading(ResultList list, int count);

    QStringListModel *model(ResultList list) { return &m_models.at(Slot(list)); }
    const QStringListModel *model(ResultList list) const { return &m_models.at(Slot(list)); }
    QStringList items(ResultList list) const { return model(list)->stringList(); }
    int itemCount(ResultList list) const { return model(list)->rowCount(); }

    QString heading(ResultList list) const;

    // Appends a name to a list.
    void Append(ResultList list, const QString &name);
    // Marks a free name as offered at a premium price: its lists show the mark.
    void MarkPremium(const QString &name);
    bool isPremium(const QString &name) const { return m_premium.contains(name); }
    // Empties a list.
    void Empty(ResultList list);

    // The whole list as text, every item followed by CR LF.
    QString CopyText(ResultList list) const;
    static QString CopyText(const QStringList &names);
    // Removes a row of a list; false when there is no such row.
    static bool RemoveRow(QStringListModel &listModel, int row);
    // Removes the item at currentRow; the saved list is then written to its file. False when
    // there is no such item.
    bool Del(ResultList list, int currentRow);
    // Empties the list; the saved list is then written to its file.
    void Clear(ResultList list);

    // The drag payload of the selected rows: their indexes in ascending order joined by "|".
    static QString DragPayload(QList<int> selectedRows);
    // Appends to "Saved Domains" the items of the last clicked list (any list but the saved one)
    // named by the payload's indexes, skipping pieces that are not a valid index, then saves
    // the kept list. Returns how many names were added.
    int Drop(const QString &payload, std::optional<ResultList> lastClickedList);

    // "Remembered.txt": the saved list, one name per line.
    void setRememberedPath(const QString &path) { m_rememberedPath = path; }
    bool SaveRemembered() const;
    void LoadRemembered();

    // Grows whenever a list changes other than by appending at its end, so a writer that keeps
    // a file in step with the list by appending knows when it must rewrite instead.
    quint64 editSerial(ResultList list) const { return m_editSerials.at(Slot(list)); }

signals:
    void headingChanged(ResultList list, const QString &text);

private:
    static size_t Slot(ResultList list) { return static_cast<size_t>(ControlIndex(list) - 1); }
    void UpdateHeadings();
    void WatchEdits(ResultList list);

    QSet<QString> m_premium;
    std::array<ResultListModel, 5> m_models{ResultListModel(m_premium), ResultListModel(m_premium),
                                            ResultListModel(m_premium), ResultListModel(m_premium),
                                            ResultListModel(m_premium)};
    std::array<QString, 5> m_headings; // as last told by headingChanged
    // The changed headings are told once the event loop's turn is over: a run that files
    // thousands of names a second makes one heading text a turn, not one a name.
    AfterThisTurn m_headingsSoon{this, [this] { UpdateHeadings(); }};
    std::array<quint64, 5> m_editSerials{};
    QString m_rememberedPath;
    bool m_appending = false;
};

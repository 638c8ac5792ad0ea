#pragma once

#include "CandidateSource.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The state of the main window's source and search controls: the source list, start number,
// total, search string, harvest size, the Start / Stop / Search buttons, which of them are
// enabled, which control group shows, and the list file the next run reads.
//
// The run controller and the source selection change it; the window mirrors it and feeds the user's
// edits back through the setters. Two rules live here because they apply to every change:
// a start number at or above the total is set back to "1", and "Search" is enabled exactly
// when the search string is not empty.
class SearchControls : public QObject
{
    Q_OBJECT
public:
    enum Control
    {
        SourceList,  // Combo1
        StartNumber, // txtWordNum
        StartButton, // cmdDoSearch
        StopButton,  // Command3
        SearchText,  // txtSearch
        HarvestSize, // Combo2
        SearchButton // cmdCreate
    };
    static constexpr int kControlCount = 7;

    // The nine sources in the order of the source list and the Tools menu.
    static const QStringList &SourceCaptions();
    // The source list: the nine sources, then the search engines of the engine table other
    // than the two among the nine.
    QStringList captions() const { return SourceCaptions() + m_engineCaptions; }
    void setEngineCaptions(const QStringList &captions);
    static const QStringList &HarvestSizes();

    explicit SearchControls(QObject *parent = nullptr);

    bool isEnabled(Control control) const { return m_enabled.at(control); }
    void setEnabled(Control control, bool enabled);
    // The buttons of a list source at rest: Start and the start number enabled; Stop and the
    // search-string controls disabled.
    void EnableForListSource();

    bool startNumberGroupVisible() const { return m_startNumberGroupVisible; }
    bool searchStringGroupVisible() const { return m_searchStringGroupVisible; }
    void setStartNumberGroupVisible(bool visible);
    void setSearchStringGroupVisible(bool visible);

    // The chosen source: its index in SourceCaptions(), -1 before the first choice.
    int sourceIndex() const { return m_sourceIndex; }
    std::optional<CandidateSourceId> source() const;
    QString sourceCaption() const;
    void setSourceIndex(int index);

    QString startNumber() const { return m_startNumber; }
    void setStartNumber(const QString &text);
    QString total() const { return m_total; }
    void setTotal(const QString &text);
    QString searchText() const { return m_searchText; }
    // A term of blanks only is no term: Search stays disabled.
    bool hasSearchTerm() const { return !m_searchText.trimmed().isEmpty(); }
    void setSearchText(const QString &text);
    int harvestSizeIndex() const { return m_harvestSizeIndex; }
    void setHarvestSizeIndex(int index);

    // The list file the run reads (full path).
    QString sourcePath() const { return m_sourcePath; }
    void setSourcePath(const QString &path);

signals:
    void changed();

private:
    void Changed() { emit changed(); }

    std::array<bool, kControlCount> m_enabled;
    bool m_startNumberGroupVisible = true;
    bool m_searchStringGroupVisible = false;
    int m_sourceIndex = -1;
    QStringList m_engineCaptions;
    QString m_startNumber = QStringLiteral("1");
    QString m_total = QStringLiteral("1");
    QString m_searchText;
    int m_harvestSizeIndex = 0;
    QString m_sourcePath;
};

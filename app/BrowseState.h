#pragma once

#include "StatusPanels.h"
#include "browse/BrowseChecker.h"
#include "browse/BrowseQueue.h"
#include "browse/PageScan.h"
#include "platform/Clock.h"
#include "platform/SocketComponent.h"

#include <QObject>
#include <QQueue>
#include <QSet>
#include <QStringListModel>

#include <array>
#include <optional>

class RegistrarTable;

// Timer periods of the browse window; tests shrink them.
struct BrowseTimings
{
    int tickMs = 1000;          // the checker's feed and give-up ticks
    int frameTimeoutMs = 30000; // a frame not complete by then is passed over
    int linesPerStep = 2000;    // lines of a page scanned before the event loop runs again
};

// The browse window without its widgets: every page it completes is scanned (one page after
// another, each whole once), the names found are queued and checked, and the window's own
// free and taken lists, their captions and the three status panels follow. Frames of a page are
// loaded one after another into the window's second browser (followFrame) and scanned the same
// way.
class BrowseState : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        const RegistrarTable &registrars; // the extensions a page scan looks for
        BrowseChecker::Services checks;   // the lists and files verdicts go to
        QString queuePath;
        QStringList excludedLinkTexts;
        SocketFactory sockets;
        Clock *clock = nullptr; // none: the event loop's
    };
    // The window's two lists.
    enum class List
    {
        Free = 1, // "Unregistered"
        Taken = 2 // "Registered"
    };

    BrowseState(const Services &services, BrowseTimings timings = {}, QObject *parent = nullptr);
    ~BrowseState() override;

    // The window opens: a fresh queue, the checker ticking, checking names as `check` says.
    // Unload() ends it all and deletes the queue.
    void Load(const NameCheck &check);
    void Unload();
    // The visible browser starts loading a page.
    void DownloadBegin();
    // A browser completed a page (markup captured now); the second browser's pages are frames.
    void PageCompleted(const std::optional<QString> &markup, const QString &address, bool fromFrameBrowser);

    QStringListModel *model(List list) { return &m_models.at(Slot(list)); }
    QString label(List list) const { return m_labels.at(Slot(list)); }
    StatusPanels &panels() { return m_panels; }
    QString panel(int panel) const { return m_panels.text(panel); }
    void SetPanel(int panel, const QString &text) { m_panels.SetText(panel, text); }

    QString CopyText(List list) const;
    // Removes a row; false when there is none.
    bool Del(List list, int row);
    // Empties a list; emptying the free list also forgets the names seen, so pages visited again
    // queue them again. No counter of the main window changes.
    void Clear(List list);

    BrowseChecker &checker() { return m_checker; }
    BrowseQueue &queue() { return m_queue; }
    qint64 queuedCount() const { return m_queuedCount; }
    int pageFoundCount() const { return m_pageFoundCount; }

signals:
    void labelChanged(BrowseState::List list, const QString &text);
    // The second browser is to load this frame.
    void followFrame(const QString &address);
    void errorRaised(const QString &title, const QString &text);
    void backupNotice();

private:
    struct Page
    {
        QString markup;
        QString address;
    };
    static size_t Slot(List list) { return static_cast<size_t>(list) - 1; }
    void SetLabel(List list, const QString &text);
    void ScanNext();
    void ScanStep();
    void QueueFrames(const Page &page);
    void FollowNextFrame();
    void AddToList(List list, const QString &name);
    // "Unregistered: (n)" after a check, "Unregistered (n)" after Del: the count of the own list.
    void ShowCount(List list, bool colon);

    BrowseTimings m_timings;
    PageScan m_scan;
    BrowseQueue m_queue;
    BrowseChecker m_checker;
    std::array<QStringListModel, 2> m_models;
    std::array<QString, 2> m_labels;
    StatusPanels m_panels;

    QQueue<Page> m_pages; // completed pages waiting for their scan
    std::optional<Page> m_scanning;
    qsizetype m_acceptedSoFar = 0;
    qint64 m_queuedCount = 0;
    int m_pageFoundCount = 0;

    QQueue<QString> m_frames;   // frames of the current top page still to load
    QSet<QString> m_framesSeen; // frames of the current top page asked for or queued
    bool m_frameLoading = false;
    std::unique_ptr<ClockTimer> m_frameTimeout;
    bool m_loaded = false;
};

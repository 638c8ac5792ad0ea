#include "BrowseState.h"

#include "results/ResultLists.h"

BrowseState::BrowseState(const Services &services, BrowseTimings timings, QObject *parent)
    : QObject(parent), m_timings(timings), m_scan(services.registrars, services.excludedLinkTexts),
      m_queue(services.queuePath),
      m_checker(services.checks, m_queue, services.sockets(), timings.tickMs,
                services.clock ? *services.clock : Clock::System()),
      m_frameTimeout((services.clock ? *services.clock : Clock::System()).MakeTimer())
{
    m_labels = {QStringLiteral("Unregistered:"), QStringLiteral("Registered:")};
    connect(m_frameTimeout.get(), &ClockTimer::timeout, this, [this] {
        m_frameLoading = false; // passed over
        FollowNextFrame();
    });
    connect(&m_checker, &BrowseChecker::errorRaised, this, &BrowseState::errorRaised);
    connect(&m_checker, &BrowseChecker::backupNotice, this, &BrowseState::backupNotice);
    connect(&m_checker, &BrowseChecker::checking, this,
            [this](const QString &name) { SetPanel(1, QStringLiteral("Checking status of: ") + name); });
    connect(&m_checker, &BrowseChecker::filed, this, [this](const QString &name, CheckOutcome outcome) {
        const List list = outcome == CheckOutcome::Registered ? List::Taken : List::Free;
        AddToList(list, name);
        ShowCount(list, true);
        if (list == List::Free)
            SetPanel(1, QStringLiteral("Unregistered: ") + name);
    });
    connect(&m_checker, &BrowseChecker::unchecked, this,
            [this](const QString &name) { SetPanel(1, QStringLiteral("Unchecked: ") + name); });
    connect(&m_checker, &BrowseChecker::dnsGaveUp, this,
            [this] { SetPanel(2, QStringLiteral("DNS does not answer: every name is asked over whois")); });
    connect(&m_checker, &BrowseChecker::queueDone, this, [this] {
        SetPanel(1, QStringLiteral("Checked %1 unique domains.").arg(m_checker.checkedCount()));
        if (m_pageFoundCount > 0)
            SetPanel(2, QStringLiteral("Finished domains on current page"));
    });
}

void BrowseState::ShowCount(List list, bool colon)
{
    // The window's headings count its own lists, not the main window's.
    const QString caption = list == List::Free ? QStringLiteral("Unregistered") : QStringLiteral("Registered");
    SetLabel(list, caption + (colon ? QStringLiteral(": (") : QStringLiteral(" (")) +
                       QString::number(model(list)->rowCount()) + QLatin1Char(')'));
}

BrowseState::~BrowseState()
{
    m_checker.Stop();
}

void BrowseState::Load(const NameCheck &check)
{
    m_loaded = true;
    m_queuedCount = 0;
    m_pageFoundCount = 0;
    m_scan.ForgetSeen();
    m_queue.Reset();
    m_checker.Start(check);
}

void BrowseState::Unload()
{
    m_loaded = false;
    m_checker.Stop();
    m_frameTimeout->Stop();
    m_pages.clear();
    m_scanning.reset();
    m_frames.clear();
    m_queue.Reset();
}

void BrowseState::SetLabel(List list, const QString &text)
{
    m_labels.at(Slot(list)) = text;
    emit labelChanged(list, text);
}

void BrowseState::AddToList(List list, const QString &name)
{
    QStringListModel *listModel = model(list);
    const int row = listModel->rowCount();
    listModel->insertRows(row, 1);
    listModel->setData(listModel->index(row), name);
}

void BrowseState::DownloadBegin()
{
    SetPanel(2, QStringLiteral("Waiting for page to load"));
    m_pageFoundCount = 0;
    // A new top page: the frames of the last one are not followed any more.
    m_frames.clear();
    m_framesSeen.clear();
}

void BrowseState::PageCompleted(const std::optional<QString> &markup, const QString &address,
                                bool fromFrameBrowser)
{
    if (!m_loaded)
        return;
    if (fromFrameBrowser) {
        m_frameLoading = false;
        m_frameTimeout->Stop();
    }
    m_pages.enqueue({markup.value_or(QString()), address});
    if (!m_scanning)
        ScanNext();
    if (fromFrameBrowser)
        FollowNextFrame();
}

void BrowseState::ScanNext()
{
    if (m_pages.isEmpty() || !m_loaded)
        return;
    m_scanning = m_pages.dequeue();
    m_acceptedSoFar = 0;
    m_scan.Begin(m_scanning->markup);
    QMetaObject::invokeMethod(this, &BrowseState::ScanStep, Qt::QueuedConnection);
}

void BrowseState::ScanStep()
{
    if (!m_scanning)
        return; // unloaded meanwhile
    const bool done = m_scan.Step(m_timings.linesPerStep);
    const qsizetype accepted = m_scan.accepted().size();
    if (accepted > m_acceptedSoFar) {
        m_pageFoundCount += static_cast<int>(accepted - m_acceptedSoFar);
        m_acceptedSoFar = accepted;
        SetPanel(2, QStringLiteral("Domains Found, Checking Status"));
    }
    if (!done) {
        QMetaObject::invokeMethod(this, &BrowseState::ScanStep, Qt::QueuedConnection);
        return;
    }
    const Page page = *m_scanning;
    m_scanning.reset();
    if (!m_queue.Append(m_scan.accepted())) {
        emit errorRaised(QStringLiteral("Browse for names"),
                         QStringLiteral("The names found cannot be queued in \"%1\".").arg(m_queue.path()));
    }
    m_queuedCount += accepted;
    SetPanel(2, m_pageFoundCount < 1 ? QStringLiteral("No Domains Found")
                                     : QStringLiteral("Domains Found, Checking Status"));
    m_checker.FeedNext();
    QueueFrames(page);
    ScanNext();
}

void BrowseState::QueueFrames(const Page &page)
{
    for (const QString &frame : PageScan::FrameAddresses(page.markup, page.address)) {
        if (m_framesSeen.size() >= PageScan::kMaxFrames || m_framesSeen.contains(frame))
            continue;
        m_framesSeen.insert(frame);
        m_frames.enqueue(frame);
    }
    FollowNextFrame();
}

void BrowseState::FollowNextFrame()
{
    if (m_frameLoading || m_frames.isEmpty() || !m_loaded)
        return;
    const QString frame = m_frames.dequeue();
    m_frameLoading = true;
    m_frameTimeout->Start(m_timings.frameTimeoutMs);
    SetPanel(2, QStringLiteral("Following Frame: ") + frame);
    emit followFrame(frame);
}

QString BrowseState::CopyText(List list) const
{
    return ResultLists::CopyText(m_models.at(Slot(list)).stringList());
}

bool BrowseState::Del(List list, int row)
{
    if (!ResultLists::RemoveRow(*model(list), row))
        return false;
    ShowCount(list, false);
    return true;
}

void BrowseState::Clear(List list)
{
    model(list)->setStringList({});
    if (list == List::Free) {
        m_scan.ForgetSeen();
        m_acceptedSoFar = 0;
        SetLabel(list, QStringLiteral("Unregistered"));
    } else {
        SetLabel(list, QStringLiteral("Registered"));
    }
}

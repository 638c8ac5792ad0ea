#include "HarvesterWindow.h"

#include "app/Program.h"
#include "gui/Pictures.h"
#include "platform/WebBrowser.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>

HarvesterWindow::HarvesterWindow(Program &program, WebBrowser *browser, HarvestTimings timings,
                                 QWidget *messageParent, QWidget *parent)
    : QWidget(parent, Qt::Window), m_browser(browser), m_program(program), m_timings(timings),
      m_messageParent(messageParent), m_extractor(program.registrars(), program.config().excludedLinkTexts)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("List Builder - Finding domain names..."));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    m_browser->setParent(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    if (QWidget *view = m_browser->view()) {
        view->setParent(this);
        view->setObjectName(QStringLiteral("WebBrowser1"));
        view->setToolTip(QStringLiteral("Searching for unique .com, .net and .org domain names."));
        layout->addWidget(view, 1);
    }
    m_statusLine = new QLineEdit(QStringLiteral("Status..."), this);
    m_statusLine->setObjectName(QStringLiteral("Text1"));
    m_statusLine->setReadOnly(true);
    m_statusLine->setToolTip(
        QStringLiteral("This shows the number of unique .com, .org and .net domain names found."));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPage"));
    const auto button = [this](const QString &text, const char *name, const QString &tip) {
        auto *made = new QPushButton(text, this);
        made->setObjectName(QLatin1String(name));
        made->setToolTip(tip);
        return made;
    };
    m_cancelButton = button(QStringLiteral("Cancel"), "cmdCancel", QStringLiteral("End the search here; no list is written."));
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::close);
    m_solveButton = button(QStringLiteral("Open in Browse Window"), "cmdSolve",
                           QStringLiteral("Show the engine's page in the browse window, to solve it there."));
    connect(m_solveButton, &QPushButton::clicked, this, [this] { emit solveRequested(m_stoppedAt); });
    m_continueButton = button(QStringLiteral("Continue"), "cmdContinue",
                              QStringLiteral("Ask the engine for the page it stopped at again."));
    connect(m_continueButton, &QPushButton::clicked, this, &HarvesterWindow::ContinueAfterChallenge);
    m_useNamesButton = button(QStringLiteral("Use Names Found"), "cmdUseNames",
                              QStringLiteral("End the search here and check the names found so far."));
    connect(m_useNamesButton, &QPushButton::clicked, this, &HarvesterWindow::Finish);
    m_challengeText = new QLabel(this);
    m_challengeText->setObjectName(QStringLiteral("lblChallenge"));
    m_challengeText->setWordWrap(true);
    m_challengeText->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; padding: 4px; }"));
    layout->addWidget(m_challengeText);
    ShowChallengeButtons(false);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusLine, 1);
    statusRow->addWidget(m_pageLabel);
    statusRow->addWidget(m_solveButton);
    statusRow->addWidget(m_continueButton);
    statusRow->addWidget(m_useNamesButton);
    statusRow->addWidget(m_cancelButton);
    layout->addLayout(statusRow);
    resize(800, 600);

    m_pageTimeout.setSingleShot(true);
    m_pageTimeout.setInterval(m_timings.pageTimeoutMs);
    connect(&m_pageTimeout, &QTimer::timeout, this, [this] {
        // A page that never comes: the harvest ends with what it has.
        m_awaitingPage = false;
        m_browser->Stop();
        m_run->PageFailed();
        Finish();
    });
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &HarvesterWindow::AfterPause);
    connect(m_browser, &WebBrowser::DocumentComplete, this, &HarvesterWindow::OnDocumentComplete);
}

HarvesterWindow::~HarvesterWindow() = default;

void HarvesterWindow::Load()
{
    const SearchControls &controls = m_program.controls();
    const QString caption = controls.sourceCaption();
    std::optional<SearchEngineRow> engine = m_program.SearchEngine(caption);
    if (!engine) { // the engine table lost the row: the harvest cannot begin
        SearchEngineRow unknown;
        unknown.caption = caption;
        engine = unknown;
    }
    m_run = std::make_unique<HarvestRun>(*engine, controls.searchText(), controls.harvestSizeIndex());
    m_extractor.setSkip([row = *engine](const QString &name) { return SearchEngines::IsSkippedHost(row, name); });
    if (engine->url.isEmpty()) {
        m_run->PageFailed();
        Finish();
        return;
    }
    if (m_program.isChallenged(caption)) {
        // Stopped by a challenge earlier: asked again only when the user says so.
        m_stoppedAt = m_run->FirstPage().address;
        m_statusLine->setText(QStringLiteral("%1 sent a challenge before: solve it in the browse window, then continue")
                                  .arg(engine->ShortName()));
        m_pageLabel->setText(m_run->PageText());
        ShowChallengeButtons(true);
        m_useNamesButton->setVisible(false);
        return;
    }
    AskFor(m_run->FirstPage());
}

void HarvesterWindow::AskFor(const SearchPageRequest &page)
{
    m_pageLabel->setText(m_run->PageText());
    m_awaitingPage = true;
    m_pageTimeout.start();
    if (page.post.isEmpty())
        m_browser->Navigate(page.address);
    else
        m_browser->NavigatePost(page.address, page.post.toUtf8());
}

void HarvesterWindow::OnDocumentComplete()
{
    // Only the page asked for, once: frames, repeats, stale loads and pages after the end are
    // no pages of the harvest.
    if (!m_awaitingPage || !m_run || m_run->finished())
        return;
    m_awaitingPage = false;
    m_pageTimeout.stop();
    const std::optional<QString> markup = m_browser->BodyMarkup();
    const SearchEngineRow &engine = m_run->engine();
    if (const std::optional<SearchChallenge> challenge = SearchEngines::DetectChallenge(
            engine, m_browser->LocationURL(), m_browser->HttpStatus(), markup.value_or(QString()))) {
        Challenged(*challenge);
        return;
    }
    if (!markup) { // a load error
        m_run->PageFailed();
        Finish();
        return;
    }
    // An engine whose results are its links gives the extraction those links only, unwrapped.
    QString page = *markup;
    if (engine.linksOnly)
        page = SearchEngines::ResultLinks(engine, *markup).join(QStringLiteral(" \r\n"));
    if (m_run->Repeats(page)) {
        Challenged({SearchChallenge::Kind::Repeated, QString()});
        return;
    }
    m_lastMarkup = *markup;
    m_pageCut = m_browser->BodyMarkupCut();
    m_extractor.Begin(page);
    ScanStep();
}

void HarvesterWindow::Challenged(const SearchChallenge &challenge)
{
    m_browser->Stop();
    m_run->Challenged(challenge);
    m_program.setChallenged(m_run->engine().caption, true);
    m_stoppedAt = m_run->currentPage().address;
    m_statusLine->setText(challenge.Message(m_run->engine().ShortName()) +
                          QStringLiteral(" (%1 names kept)").arg(m_run->total()));
    m_pageLabel->setText(QStringLiteral("Stopped at page %1").arg(m_run->pagesRead() + 1));
    ShowChallengeButtons(true);
    show();
    raise();
}

void HarvesterWindow::ContinueAfterChallenge()
{
    if (!m_run || m_run->finished())
        return;
    ShowChallengeButtons(false);
    m_run->ClearChallenge();
    m_program.setChallenged(m_run->engine().caption, false);
    m_statusLine->setText(QStringLiteral("Extracted %1 unique domain names").arg(m_run->total()));
    AskFor(m_run->currentPage());
}

void HarvesterWindow::ShowChallengeButtons(bool shown)
{
    for (QPushButton *button : {m_solveButton, m_continueButton, m_useNamesButton})
        button->setVisible(shown);
    m_challengeText->setText(shown ? m_statusLine->text() : QString());
    m_challengeText->setVisible(shown);
}

void HarvesterWindow::ScanStep()
{
    if (m_run->finished())
        return; // the window was closed meanwhile
    const bool done = m_extractor.Step(m_run->list(), m_timings.linesPerStep);
    m_statusLine->setText(QStringLiteral("Extracted ") + QString::number(m_run->total()) +
                          QStringLiteral(" unique domain names") +
                          (m_pageCut ? QStringLiteral(" (%1)").arg(WebBrowser::MarkupCutText()) : QString()));
    if (!done)
        QTimer::singleShot(0, this, &HarvesterWindow::ScanStep);
    else
        m_pause.start(m_timings.pauseMs >= 0
                          ? m_timings.pauseMs
                          : m_run->PauseMs(int(QRandomGenerator::global()->bounded(
                                m_run->engine().pauseMaxMs - m_run->engine().pauseMinMs + 1))));
}

void HarvesterWindow::AfterPause()
{
    if (m_run->finished())
        return;
    const HarvestRun::Next next = m_run->HarvestPage(m_extractor.pageCount(), m_lastMarkup);
    if (const SearchPageRequest *page = std::get_if<SearchPageRequest>(&next))
        AskFor(*page);
    else
        Finish();
}

void HarvesterWindow::Finish()
{
    m_run->MarkFinished();
    emit harvestEnded();
    m_pageTimeout.stop();
    m_pause.stop();
    m_browser->Stop();
    ShowChallengeButtons(false);
    const HarvestRun::Ending ending = m_run->ending();
    if (ending == HarvestRun::Ending::Stopped && m_run->total() == 0) {
        // A challenge is no "no names": the user hears what stopped the harvest.
        const QString text = QStringLiteral("The search stopped before any names were found: %1.")
                                 .arg(m_run->challenge()->Message(m_run->engine().ShortName()));
        m_statusLine->setText(text);
        hide();
        ShowMessage(QStringLiteral("HarvestFailed"), text, false);
        return;
    }
    if (ending == HarvestRun::Ending::NoAnswer || ending == HarvestRun::Ending::NoNames) {
        // Nothing to keep: the earlier list stays, and no run starts.
        const QString text = ending == HarvestRun::Ending::NoAnswer
                                 ? QStringLiteral("The search engine did not answer.")
                                 : QStringLiteral("No domain names were found.");
        m_statusLine->setText(text);
        hide();
        ShowMessage(QStringLiteral("HarvestFailed"), text, false);
        return;
    }
    const QString total = QString::number(m_run->total());
    if (!m_run->WriteFiles(m_program.paths().folder())) {
        hide();
        ShowMessage(
            QStringLiteral("HarvestFailed"),
            QStringLiteral("The list cannot be written to %1.").arg(m_program.paths().browserSearch()),
            false);
        return;
    }
    SearchControls &controls = m_program.controls();
    controls.setTotal(
        QString::number(m_program.candidates().CountCandidates(m_program.paths().browserSearch())));
    controls.setStartNumber(QStringLiteral("1"));
    m_statusLine->setText(QStringLiteral("Finished! Extracted ") + total + QStringLiteral(" domain names."));
    hide();
    QString text =
        QStringLiteral("List of ") + total + QStringLiteral(" unique domains was created successfully!");
    if (ending == HarvestRun::Ending::Stopped)
        text = QStringLiteral("List of %1 unique domains was created from %2 of the result pages; then %3.")
                   .arg(total)
                   .arg(m_run->pagesRead())
                   .arg(m_run->challenge()->Message(m_run->engine().ShortName()));
    if (ending == HarvestRun::Ending::CutShort)
        text = QStringLiteral("List of %1 unique domains was created from %2 of the result pages; the next "
                              "page did not load.")
                   .arg(total)
                   .arg(m_run->pagesRead());
    ShowMessage(QStringLiteral("HarvestFinished"), text, true);
}

void HarvesterWindow::ShowMessage(const QString &name, const QString &text, bool thenStart)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, m_messageParent);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_DeleteOnClose);
    const CandidateSourceId source = HarvestRun::SourceOf(m_run->engine().caption);
    // The run starts when the message is closed, without a modal loop meanwhile.
    connect(box, &QMessageBox::finished, this, [this, thenStart, source] {
        if (thenStart)
            emit startRequested(source);
        deleteLater();
    });
    box->open();
}

void HarvesterWindow::closeEvent(QCloseEvent *event)
{
    // Closed during a harvest: it ends here, and nothing is written.
    if (m_run && !m_run->finished()) {
        m_run->MarkFinished();
        m_pageTimeout.stop();
        m_pause.stop();
        m_browser->Stop();
        emit harvestEnded();
    }
    QWidget::closeEvent(event);
}

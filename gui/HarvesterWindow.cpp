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
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cmdCancel"));
    m_cancelButton->setToolTip(QStringLiteral("End the search here; no list is written."));
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::close);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusLine, 1);
    statusRow->addWidget(m_pageLabel);
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
    m_pause.setInterval(m_timings.pauseMs);
    connect(&m_pause, &QTimer::timeout, this, &HarvesterWindow::AfterPause);
    connect(m_browser, &WebBrowser::DocumentComplete, this, &HarvesterWindow::OnDocumentComplete);
}

HarvesterWindow::~HarvesterWindow() = default;

void HarvesterWindow::Load()
{
    const SearchControls &controls = m_program.controls();
    const CandidateSourceId source = controls.source().value_or(CandidateSourceId::GoogleSearch);
    const ProgramConfig &config = m_program.config();
    m_run = std::make_unique<HarvestRun>(HarvestRun::EngineOf(source), controls.searchText(),
                                         controls.harvestSizeIndex(), config.googleSearchBase,
                                         config.yahooSearchBase);
    AskFor(m_run->FirstPageAddress());
}

void HarvesterWindow::AskFor(const QString &address)
{
    m_pageLabel->setText(m_run->PageText());
    m_awaitingPage = true;
    m_pageTimeout.start();
    m_browser->Navigate(address);
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
    if (!markup) { // a load error
        m_run->PageFailed();
        Finish();
        return;
    }
    m_pageCut = m_browser->BodyMarkupCut();
    m_extractor.Begin(*markup);
    ScanStep();
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
        m_pause.start();
}

void HarvesterWindow::AfterPause()
{
    if (m_run->finished())
        return;
    const HarvestRun::Next next = m_run->HarvestPage(m_extractor.pageCount());
    if (const QString *address = std::get_if<QString>(&next))
        AskFor(*address);
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
    const HarvestRun::Ending ending = m_run->ending();
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
    const CandidateSourceId source = HarvestRun::SourceOf(m_run->engine());
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

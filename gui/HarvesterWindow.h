#pragma once

#include "sources/DomainExtractor.h"
#include "sources/HarvestRun.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class Program;
class QLabel;
class QLineEdit;
class QPushButton;
class QMessageBox;
class WebBrowser;

// Timer periods of a harvest; tests shrink them.
struct HarvestTimings
{
    int pauseMs = -1;          // between a page's scan and the next page; -1: the engine's own, jittered
    int pageTimeoutMs = 30000; // a page not complete by then counts as one that brought nothing
    int linesPerStep = 2000;   // lines of a page scanned before the event loop runs again
};

// "List Builder - Finding domain names...": builds a candidate list from search-engine result
// pages. It reads the search text, the wanted number of names and the engine (a row of the
// engine table) from the main window's source controls, loads result pages one after another,
// and scans each into the harvest. When it has enough names, or a page brings nothing new, it
// writes the list, copies it under "Searches", says how many names it found and asks for the
// run over them.
//
// A page that is a challenge (a captcha, a consent page, a "sorry" redirect, a 429, the page
// before again) stops the harvest there, with what it found kept: the user may solve it in the
// browse window and continue from that page, or end with the names found. Until then the
// engine is not asked again.
//
// Only the page the harvest asked for is scanned, once; everything runs from the event loop.
// Closing the window during a harvest ends it with nothing written.
class HarvesterWindow : public QWidget
{
    Q_OBJECT
public:
    HarvesterWindow(Program &program, WebBrowser *browser, HarvestTimings timings, QWidget *messageParent,
                    QWidget *parent = nullptr);
    ~HarvesterWindow() override;

    // Starts the harvest: the first result page is asked for.
    void Load();
    // The harvest has ended (it may still wait for its message to be closed).
    bool isFinished() const { return m_run && m_run->finished(); }
    const HarvestRun *run() const { return m_run.get(); }

    WebBrowser *m_browser;
    QLineEdit *m_statusLine;
    QLabel *m_pageLabel;         // "Page 2 of 10"
    QPushButton *m_cancelButton; // ends the harvest with nothing written
    // Shown while a challenge stops the harvest:
    QLabel *m_challengeText;       // what stopped it, whole
    QPushButton *m_solveButton;    // the challenge page in the browse window
    QPushButton *m_continueButton; // the stopped page asked again
    QPushButton *m_useNamesButton; // the harvest ends with the names found

signals:
    // The user wants to solve a challenge at this address in the browse window.
    void solveRequested(const QString &address);
    // The message was closed: the main window may start the run over the new list.
    void startRequested(CandidateSourceId source);
    // The harvest ended (finished, failed or closed): the source controls may be used again.
    void harvestEnded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void AskFor(const SearchPageRequest &page);
    void OnDocumentComplete();
    void Challenged(const SearchChallenge &challenge);
    void ContinueAfterChallenge();
    void ShowChallengeButtons(bool shown);
    void ScanStep();
    void AfterPause();
    void Finish();
    void ShowMessage(const QString &name, const QString &text, bool thenStart);

    Program &m_program;
    HarvestTimings m_timings;
    QPointer<QWidget> m_messageParent;
    std::unique_ptr<HarvestRun> m_run;
    DomainExtractor m_extractor;
    bool m_awaitingPage = false;
    bool m_pageCut = false; // the page being scanned was too large to scan whole
    QString m_lastMarkup;   // of the page scanned last: its form fields go into the next request
    QString m_stoppedAt;    // the address of the challenge page
    QTimer m_pageTimeout;
    QTimer m_pause;
};

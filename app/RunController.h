#pragma once

#include "StatusPanels.h"
#include "sources/CandidateSource.h"

#include <QObject>
#include <QString>

class Program;

// Keeps the main window's source controls and status panels in step with the check engine.
// While a run goes, the controls that would change it are disabled and Stop is enabled; when it
// stops, the source is applied again (or, for the custom, generated and browse sources, the
// start number shows the custom lists' stored position), and the status panels show their
// texts at rest. During the run the panels show its progress.
//
// "Start" from the window, the generator or the harvester goes through Start() here.
class RunController : public QObject
{
    Q_OBJECT
public:
    explicit RunController(Program &program, QObject *parent = nullptr);

    // "Start": a run over the list the source controls show.
    bool Start();
    // "Start" on behalf of a window that prepared a source's list: only when no run is going and
    // that source is still the one chosen.
    bool StartIfSourceIs(CandidateSourceId source);
    // "Stop".
    void Stop();

    StatusPanels &panels() { return m_panels; }

private:
    void OnRunStarted();
    void OnRunStopped();

    Program &m_program;
    StatusPanels m_panels;
    qint64 m_position = 0;
    qint64 m_total = 0;
};

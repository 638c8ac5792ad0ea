#include "RunController.h"

#include "Program.h"
#include "RunStatus.h"

RunController::RunController(Program &program, QObject *parent) : QObject(parent), m_program(program)
{
    CheckEngine &engine = m_program.engine();
    connect(&engine, &CheckEngine::runStarted, this, &RunController::OnRunStarted);
    connect(&engine, &CheckEngine::runStopped, this, &RunController::OnRunStopped);
    connect(&engine, &CheckEngine::progress, this, [this](qint64 position, qint64 total) {
        m_position = position;
        m_total = total;
        if (const std::optional<QString> text = RunStatus::ProgressText(position, total))
            m_panels.SetText(1, *text);
    });
    connect(&engine, &CheckEngine::openConnections, this,
            [this](int count) { m_panels.SetText(2, RunStatus::OpenConnectionsText(m_position, m_total, count)); });
    connect(&engine, &CheckEngine::connectionStatus, this,
            [this](const QString &text) { m_panels.SetText(3, text); });
}

bool RunController::Start()
{
    return m_program.StartFromControls();
}

bool RunController::StartIfSourceIs(CandidateSourceId source)
{
    if (m_program.engine().isRunning() || m_program.controls().source() != source)
        return false;
    return Start();
}

void RunController::Stop()
{
    m_program.engine().Stop();
}

void RunController::OnRunStarted()
{
    SearchControls &controls = m_program.controls();
    for (const auto control :
         {SearchControls::StartButton, SearchControls::StopButton, SearchControls::SourceList,
          SearchControls::StartNumber, SearchControls::HarvestSize, SearchControls::SearchButton,
          SearchControls::SearchText})
        controls.setEnabled(control, false);
    controls.setEnabled(SearchControls::StopButton, true);
}

void RunController::OnRunStopped()
{
    SearchControls &controls = m_program.controls();
    controls.setEnabled(SearchControls::SourceList, true);
    const std::optional<CandidateSourceId> source = controls.source();
    const SourceKind kind = source ? CandidateSources::Get(*source).kind : SourceKind::WordList;
    if (kind == SourceKind::OwnList || kind == SourceKind::Generated || kind == SourceKind::Browse) {
        controls.EnableForListSource();
        controls.setStartNumber(m_program.settings().ResumePosition(
            CandidateSources::Get(CandidateSourceId::CustomList).resumeKey));
    } else {
        m_program.selection().Reapply();
    }
    m_panels.SetIdle();
}

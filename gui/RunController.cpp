#include "RunController.h"

#include "app/Program.h"
#include "engine/RunStatus.h"

RunController::RunController(Program &program, QObject *parent) : QObject(parent), m_program(program)
{
    for (int panel = 1; panel <= 3; ++panel)
        m_panels.at(static_cast<size_t>(panel - 1)) = RunStatus::IdleText(panel);
    CheckEngine &engine = m_program.engine();
    connect(&engine, &CheckEngine::runStarted, this, &RunController::OnRunStarted);
    connect(&engine, &CheckEngine::runStopped, this, &RunController::OnRunStopped);
    connect(&engine, &CheckEngine::progress, this, [this](qint64 position, qint64 total) {
        m_position = position;
        m_total = total;
        if (const std::optional<QString> text = RunStatus::ProgressText(position, total))
            SetStatus(1, *text);
    });
    connect(&engine, &CheckEngine::openConnections, this,
            [this](int count) { SetStatus(2, RunStatus::OpenConnectionsText(m_position, m_total, count)); });
    connect(&engine, &CheckEngine::connectionStatus, this,
            [this](const QString &text) { SetStatus(3, text); });
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

void RunController::SetStatus(int panel, const QString &text)
{
    QString &current = m_panels.at(static_cast<size_t>(panel - 1));
    if (current == text)
        return;
    current = text;
    emit statusTextChanged(panel, text);
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
    for (int panel = 1; panel <= 3; ++panel)
        SetStatus(panel, RunStatus::IdleText(panel));
}

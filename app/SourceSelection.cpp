#include "SourceSelection.h"

#include "Program.h"

#include <QDir>

SourceSelection::SourceSelection(Program &program) : m_program(program) {}

bool SourceSelection::SelectIndex(int index)
{
    if (m_program.engine().isRunning())
        return false; // a running search keeps its list
    m_program.controls().setSourceIndex(index);
    Reapply();
    return true;
}

bool SourceSelection::Select(CandidateSourceId source)
{
    // The engines of the table share one id: the one chosen stays chosen.
    if (source == CandidateSourceId::OtherSearch && m_program.controls().source() == source)
        return SelectIndex(m_program.controls().sourceIndex());
    return SelectIndex(CandidateSources::IndexOf(source));
}

void SourceSelection::Reapply()
{
    const std::optional<CandidateSourceId> id = m_program.controls().source();
    if (!id)
        return;
    const CandidateSource &source = CandidateSources::Get(*id);
    switch (source.kind) {
    case SourceKind::Browse:
        SelectBrowse();
        return;
    case SourceKind::Generated:
        SelectGenerator(source);
        return;
    case SourceKind::SearchEngine:
        SelectSearchEngine(source);
        return;
    case SourceKind::OwnList:
        SelectCustomList();
        return;
    case SourceKind::WordList:
        SelectWordList(source);
        return;
    }
}

void SourceSelection::ShowStartNumberGroupOnly()
{
    m_program.controls().setSearchStringGroupVisible(false);
    m_program.controls().setStartNumberGroupVisible(true);
}

void SourceSelection::SelectWordList(const CandidateSource &source)
{
    SearchControls &controls = m_program.controls();
    ShowStartNumberGroupOnly();
    controls.setSourcePath(m_program.paths().listFile(source));
    controls.setTotal(QString::number(m_program.candidates().CountCandidates(controls.sourcePath())));
    controls.EnableForListSource();
    controls.setStartNumber(m_program.settings().ResumePosition(source.resumeKey));
}

void SourceSelection::SelectCustomList()
{
    ShowStartNumberGroupOnly();
    if (!m_hooks.chooseCustomList) {
        UseCustomList(m_lastCustomList);
        return;
    }
    m_hooks.chooseCustomList(m_program.paths().wordlists(), [this](std::optional<QString> chosen) {
        if (chosen)
            m_lastCustomList = *chosen;
        UseCustomList(m_lastCustomList);
    });
}

void SourceSelection::UseCustomList(const QString &path)
{
    SearchControls &controls = m_program.controls();
    if (m_program.engine().isRunning())
        return; // the dialog was answered after a run started: the run keeps its list
    controls.setSourcePath(path);
    if (!path.isEmpty() && !m_program.candidates().IsReadable(path))
        emit m_program.errorRaised(QStringLiteral("Custom List"),
                                   QStringLiteral("The list \"%1\" cannot be read: %2.")
                                       .arg(QDir::toNativeSeparators(path), m_program.candidates().problem()));
    controls.setTotal(QString::number(m_program.candidates().CountCandidates(path)));
    controls.EnableForListSource();
    controls.setStartNumber(QStringLiteral("1"));
}

void SourceSelection::SelectSearchEngine(const CandidateSource &source)
{
    SearchControls &controls = m_program.controls();
    controls.setStartNumberGroupVisible(false);
    controls.setSearchStringGroupVisible(true);
    controls.setSourcePath(m_program.paths().listFile(source));
    controls.setEnabled(SearchControls::StartButton, true);
    controls.setEnabled(SearchControls::StopButton, false);
    controls.setEnabled(SearchControls::SearchText, true);
    controls.setEnabled(SearchControls::HarvestSize, true);
    controls.setEnabled(SearchControls::SearchButton, controls.hasSearchTerm());
    controls.setEnabled(SearchControls::StartNumber, true);
    controls.setStartNumber(QStringLiteral("1"));
}

void SourceSelection::SelectBrowse()
{
    m_program.controls().setStartNumberGroupVisible(false);
    m_program.controls().setSearchStringGroupVisible(false);
    if (m_hooks.openBrowseWindow)
        m_hooks.openBrowseWindow();
}

void SourceSelection::SelectGenerator(const CandidateSource &source)
{
    SearchControls &controls = m_program.controls();
    controls.setStartNumberGroupVisible(false);
    controls.setSearchStringGroupVisible(false);
    controls.setSourcePath(m_program.paths().listFile(source));
    controls.setEnabled(SearchControls::StartButton, true);
    controls.setEnabled(SearchControls::StopButton, false);
    controls.setEnabled(SearchControls::StartNumber, true);
    controls.setStartNumber(QStringLiteral("1"));
    if (m_hooks.openGenerator)
        m_hooks.openGenerator();
}

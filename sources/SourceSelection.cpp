#include "SourceSelection.h"

#include "shell/AppState.h"

namespace {

const QString kBrowse = QStringLiteral("Browse for names");
const QString kGenerate = QStringLiteral("Generate names");
const QString kYahoo = QStringLiteral("Yahoo Search");
const QString kGoogle = QStringLiteral("Google Search");
const QString kCustom = QStringLiteral("Custom List");

} // namespace

SourceSelection::SourceSelection(AppState &state) : m_state(state) {}

QString SourceSelection::RelativeListPath(const QString &caption)
{
    if (caption == kGenerate)
        return QStringLiteral("\\CreatedDomains.txt");
    if (caption == kYahoo || caption == kGoogle)
        return QStringLiteral("\\BrowserSearch.txt");
    if (caption == QLatin1String("Full Word List"))
        return QStringLiteral("\\Wordlists\\FullWordList.txt");
    if (caption == QLatin1String("All Two Letter"))
        return QStringLiteral("\\Wordlists\\AllTwoLetter.txt");
    if (caption == QLatin1String("All Three Letter"))
        return QStringLiteral("\\Wordlists\\AllThreeLetter.txt");
    if (caption == QLatin1String("All Four Letter"))
        return QStringLiteral("\\Wordlists\\AllFourLetter.txt");
    return QString();
}

QString SourceSelection::ResumeKey(const QString &caption)
{
    if (caption == QLatin1String("Full Word List"))
        return QStringLiteral("FullWordNum");
    if (caption == QLatin1String("All Two Letter"))
        return QStringLiteral("TwoWordNum");
    if (caption == QLatin1String("All Three Letter"))
        return QStringLiteral("ThreeWordNum");
    if (caption == QLatin1String("All Four Letter"))
        return QStringLiteral("FourWordNum");
    if (caption == kCustom)
        return QStringLiteral("CustWordNum");
    if (caption == kYahoo)
        return QStringLiteral("YahooWordNum");
    if (caption == kGoogle)
        return QStringLiteral("GoogleWordNum");
    return QString();
}

void SourceSelection::SelectIndex(int index)
{
    m_state.controls.setSourceIndex(index);
    Reapply();
}

void SourceSelection::Select(const QString &caption)
{
    SelectIndex(static_cast<int>(SearchControls::SourceCaptions().indexOf(caption)));
}

void SourceSelection::Reapply()
{
    const QString caption = m_state.controls.sourceCaption();
    if (caption == kBrowse)
        SelectBrowse();
    else if (caption == kGenerate)
        SelectGenerator();
    else if (caption == kYahoo || caption == kGoogle)
        SelectSearchEngine();
    else if (caption == kCustom)
        SelectCustomList();
    else if (!caption.isEmpty())
        SelectWordList(caption);
}

void SourceSelection::ShowStartNumberGroupOnly()
{
    m_state.controls.setSearchStringGroupVisible(false);
    m_state.controls.setStartNumberGroupVisible(true);
}

void SourceSelection::SelectWordList(const QString &caption)
{
    SearchControls &controls = m_state.controls;
    ShowStartNumberGroupOnly();
    controls.setSourcePath(m_state.folder.Join(RelativeListPath(caption)));
    controls.setTotal(QString::number(m_state.candidates.CountCandidates(controls.sourcePath())));
    controls.EnableForListSource();
    controls.setStartNumber(
        m_state.ReadSetting(AppState::kPositionsApp, ResumeKey(caption), QStringLiteral("1")));
}

void SourceSelection::SelectCustomList()
{
    SearchControls &controls = m_state.controls;
    ShowStartNumberGroupOnly();
    if (m_hooks.chooseCustomList) {
        if (const std::optional<QString> chosen =
                m_hooks.chooseCustomList(m_state.folder.Join(QStringLiteral("\\wordlists"))))
            m_lastCustomList = *chosen;
    }
    controls.setSourcePath(m_lastCustomList);
    controls.setTotal(QString::number(m_state.candidates.CountCandidates(m_lastCustomList)));
    controls.EnableForListSource();
    controls.setStartNumber(QStringLiteral("1"));
}

void SourceSelection::SelectSearchEngine()
{
    SearchControls &controls = m_state.controls;
    controls.setStartNumberGroupVisible(false);
    controls.setSearchStringGroupVisible(true);
    controls.setSourcePath(m_state.folder.Join(QStringLiteral("\\BrowserSearch.txt")));
    controls.setEnabled(SearchControls::StartButton, true);
    controls.setEnabled(SearchControls::StopButton, false);
    controls.setEnabled(SearchControls::SearchText, true);
    controls.setEnabled(SearchControls::HarvestSize, true);
    controls.setEnabled(SearchControls::SearchButton, !controls.searchText().isEmpty());
    controls.setEnabled(SearchControls::StartNumber, true);
    controls.setStartNumber(QStringLiteral("1"));
}

void SourceSelection::SelectBrowse()
{
    m_state.controls.setStartNumberGroupVisible(false);
    m_state.controls.setSearchStringGroupVisible(false);
    if (m_hooks.openBrowseWindow)
        m_hooks.openBrowseWindow();
}

void SourceSelection::SelectGenerator()
{
    SearchControls &controls = m_state.controls;
    controls.setStartNumberGroupVisible(false);
    controls.setSearchStringGroupVisible(false);
    controls.setSourcePath(m_state.folder.Join(QStringLiteral("\\CreatedDomains.txt")));
    controls.setEnabled(SearchControls::StartButton, true);
    controls.setEnabled(SearchControls::StopButton, false);
    controls.setEnabled(SearchControls::StartNumber, true);
    controls.setStartNumber(QStringLiteral("1"));
    if (m_hooks.openGenerator)
        m_hooks.openGenerator();
}

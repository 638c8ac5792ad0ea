#include "SearchControls.h"

#include "platform/WholeNumber.h"

const QStringList &SearchControls::SourceCaptions()
{
    static const QStringList captions = [] {
        QStringList all;
        for (const CandidateSource &source : CandidateSources::All())
            all.append(source.caption);
        return all;
    }();
    return captions;
}

const QStringList &SearchControls::HarvestSizes()
{
    static const QStringList sizes = {QStringLiteral("~100 Domains"), QStringLiteral("~200 Domains"),
                                      QStringLiteral("~500 Domains"), QStringLiteral("~1000 Domains")};
    return sizes;
}

SearchControls::SearchControls(QObject *parent) : QObject(parent)
{
    m_enabled.fill(true);
    m_enabled.at(StopButton) = false;
    m_enabled.at(SearchButton) = false; // the search string starts empty
}

void SearchControls::setEnabled(Control control, bool enabled)
{
    if (m_enabled.at(control) == enabled)
        return;
    m_enabled.at(control) = enabled;
    Changed();
}

void SearchControls::EnableForListSource()
{
    setEnabled(StartButton, true);
    setEnabled(StopButton, false);
    setEnabled(SearchText, false);
    setEnabled(HarvestSize, false);
    setEnabled(SearchButton, false);
    setEnabled(StartNumber, true);
}

void SearchControls::setStartNumberGroupVisible(bool visible)
{
    if (m_startNumberGroupVisible == visible)
        return;
    m_startNumberGroupVisible = visible;
    Changed();
}

void SearchControls::setSearchStringGroupVisible(bool visible)
{
    if (m_searchStringGroupVisible == visible)
        return;
    m_searchStringGroupVisible = visible;
    Changed();
}

std::optional<CandidateSourceId> SearchControls::source() const
{
    if (m_sourceIndex >= CandidateSources::kCount && m_sourceIndex < CandidateSources::kCount + m_engineCaptions.size())
        return CandidateSourceId::OtherSearch;
    return CandidateSources::AtIndex(m_sourceIndex);
}

QString SearchControls::sourceCaption() const
{
    return m_sourceIndex >= 0 ? captions().value(m_sourceIndex) : QString();
}

void SearchControls::setEngineCaptions(const QStringList &captions)
{
    if (captions == m_engineCaptions)
        return;
    m_engineCaptions = captions;
    if (m_sourceIndex >= CandidateSources::kCount + m_engineCaptions.size())
        m_sourceIndex = -1;
    Changed();
}

void SearchControls::setSourceIndex(int index)
{
    if (index < -1 || index >= captions().size() || index == m_sourceIndex)
        return;
    m_sourceIndex = index;
    Changed();
}

void SearchControls::setStartNumber(const QString &text)
{
    QString value = text;
    const std::optional<qint64> start = ParseWhole(text);
    const std::optional<qint64> total = ParseWhole(m_total);
    if (start && total && *start >= *total)
        value = QStringLiteral("1");
    if (value == m_startNumber)
        return;
    m_startNumber = value;
    Changed();
}

void SearchControls::setTotal(const QString &text)
{
    if (text == m_total)
        return;
    m_total = text;
    Changed();
}

void SearchControls::setSearchText(const QString &text)
{
    const bool searchEnabled = !text.trimmed().isEmpty();
    if (text == m_searchText && m_enabled.at(SearchButton) == searchEnabled)
        return;
    m_searchText = text;
    m_enabled.at(SearchButton) = searchEnabled;
    Changed();
}

void SearchControls::setHarvestSizeIndex(int index)
{
    if (index == m_harvestSizeIndex)
        return;
    m_harvestSizeIndex = index;
    Changed();
}

void SearchControls::setSourcePath(const QString &path)
{
    if (path == m_sourcePath)
        return;
    m_sourcePath = path;
    Changed();
}

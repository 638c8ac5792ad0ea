#include "HarvestRun.h"

#include "CandidateFile.h"
#include "platform/AppFolder.h"
#include "platform/FileUtilities.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

HarvestRun::HarvestRun(SearchEngineRow engine, QString searchText, int harvestSizeIndex)
    : m_engine(std::move(engine)), m_searchText(std::move(searchText)), m_term(EncodeTerm(m_searchText)),
      m_target(TargetForHarvestSize(harvestSizeIndex)), m_current(FirstPage())
{
}

QString HarvestRun::EncodeTerm(const QString &text)
{
    QString term;
    for (const char byte : text.toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == ' ')
            term += QLatin1Char('+');
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '.' || c == '_' || c == '~')
            term += QLatin1Char(static_cast<char>(c));
        else
            term += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
    }
    return term;
}

int HarvestRun::TargetForHarvestSize(int index)
{
    switch (index) {
    case 1:
        return 200;
    case 2:
        return 500;
    case 3:
        return 1000;
    default:
        return 100;
    }
}

CandidateSourceId HarvestRun::SourceOf(const QString &caption)
{
    for (const CandidateSourceId id : {CandidateSourceId::YahooSearch, CandidateSourceId::GoogleSearch}) {
        if (CandidateSources::Get(id).caption == caption)
            return id;
    }
    return CandidateSourceId::OtherSearch;
}

QString HarvestRun::SearchesRelativePath(const QString &engineName, const QString &searchText)
{
    // The text becomes part of a file name: it must not lead out of the folder or hold a line.
    QString safe = searchText.left(100);
    for (QChar &c : safe) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    QString engine = engineName;
    engine.remove(QLatin1Char('/')).remove(QLatin1Char('\\'));
    return QStringLiteral("\\Searches\\") + engine + QLatin1Char(' ') + safe + QStringLiteral(".txt");
}

QString HarvestRun::FinalListText(const QString &harvestText)
{
    QString text = harvestText;
    // Seven passes, as runs of empty entries shrink by one line break a pass.
    for (int pass = 0; pass < 7; ++pass)
        text.replace(QStringLiteral("\r\n\r\n"), QStringLiteral("\r\n"));
    // Link remnants are whole entries: they go entry by entry, never joining two names.
    QString kept;
    for (const QString &entry : TextFile::SplitLines(text)) {
        if (entry.endsWith(QLatin1String("comtarget=_blank")) ||
            entry.endsWith(QLatin1String("orgtarget=_blank")))
            continue;
        kept += entry + QStringLiteral("\r\n");
    }
    return kept + QStringLiteral("\r\n");
}

SearchPageRequest HarvestRun::FirstPage() const
{
    return SearchEngines::PageRequest(m_engine, 0, m_term, QString());
}

QString HarvestRun::PageText() const
{
    const int planned = std::min(m_engine.pages, std::max(1, (m_target + m_engine.perPage - 1) / m_engine.perPage));
    return QStringLiteral("Page %1 of %2").arg(m_pagesRead + 1).arg(std::max(planned, m_pagesRead + 1));
}

int HarvestRun::PauseMs(int random) const
{
    return m_engine.pauseMinMs + std::clamp(random, 0, m_engine.pauseMaxMs - m_engine.pauseMinMs);
}

bool HarvestRun::Repeats(const QString &key)
{
    const bool repeats = m_pagesRead > 0 && !key.isEmpty() && key == m_lastKey;
    m_lastKey = key;
    return repeats;
}

HarvestRun::Ending HarvestRun::ending() const
{
    if (m_challenge)
        return Ending::Stopped;
    if (m_pagesRead == 0)
        return Ending::NoAnswer;
    if (m_list.size() == 0)
        return Ending::NoNames;
    return m_pageFailed ? Ending::CutShort : Ending::Listed;
}

HarvestRun::Next HarvestRun::HarvestPage(int pageCount, const QString &markup)
{
    ++m_pagesRead;
    if (total() < m_target && pageCount > 0 && m_pagesRead < m_engine.pages) {
        m_current = SearchEngines::PageRequest(m_engine, ++m_page, m_term, markup);
        return m_current;
    }
    m_finished = true;
    return Finish{};
}

QString HarvestRun::ListRelativePath()
{
    return CandidateSources::Get(CandidateSourceId::GoogleSearch).listFile;
}

bool HarvestRun::WriteFiles(const AppFolder &folder) const
{
    const QString list = folder.Join(ListRelativePath());
    if (!TextFile::WriteAll(list, FinalListText(m_list.Text())))
        return false;
    const QString copy = folder.Join(SearchesRelativePath(m_engine.ShortName(), m_searchText));
    QDir().mkpath(QFileInfo(copy).path());
    CopyFileOver(list, copy);
    return true;
}

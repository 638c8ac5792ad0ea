#include "HarvestRun.h"

#include "CandidateFile.h"
#include "platform/AppFolder.h"
#include "platform/FileUtilities.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

HarvestRun::HarvestRun(SearchEngine engine, QString searchText, int harvestSizeIndex, QString googleBase,
                       QString yahooBase)
    : m_engine(engine), m_searchText(std::move(searchText)), m_term(EncodeTerm(m_searchText)),
      m_target(TargetForHarvestSize(harvestSizeIndex)), m_googleBase(std::move(googleBase)),
      m_yahooBase(std::move(yahooBase))
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

SearchEngine HarvestRun::EngineOf(CandidateSourceId source)
{
    return source == CandidateSourceId::YahooSearch ? SearchEngine::Yahoo : SearchEngine::Google;
}

CandidateSourceId HarvestRun::SourceOf(SearchEngine engine)
{
    return engine == SearchEngine::Yahoo ? CandidateSourceId::YahooSearch : CandidateSourceId::GoogleSearch;
}

QString HarvestRun::SearchesRelativePath(SearchEngine engine, const QString &searchText)
{
    // The text becomes part of a file name: it must not lead out of the folder or hold a line.
    QString safe = searchText.left(100);
    for (QChar &c : safe) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    return QStringLiteral("\\Searches\\") +
           (engine == SearchEngine::Yahoo ? QStringLiteral("Yahoo ") : QStringLiteral("Google ")) + safe +
           QStringLiteral(".txt");
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

QString HarvestRun::PageAddress(qint64 offset) const
{
    if (m_engine == SearchEngine::Yahoo) {
        return m_yahooBase + QStringLiteral("/search/dir?h=s&xargs=0&p=") + m_term + QStringLiteral("&b=") +
               QString::number(offset);
    }
    return m_googleBase +
           QStringLiteral("/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=") +
           QString::number(offset - 1) + QStringLiteral("&sa=N&q=") + m_term;
}

QString HarvestRun::FirstPageAddress() const
{
    return PageAddress(1);
}

QString HarvestRun::NextPageAddress() const
{
    return PageAddress(m_offset);
}

QString HarvestRun::PageText() const
{
    const int step = m_engine == SearchEngine::Yahoo ? kYahooPageStep : kGooglePageStep;
    const int planned = std::max(1, (m_target + step - 1) / step);
    return QStringLiteral("Page %1 of %2").arg(m_pagesRead + 1).arg(std::max(planned, m_pagesRead + 1));
}

HarvestRun::Ending HarvestRun::ending() const
{
    if (m_pagesRead == 0)
        return Ending::NoAnswer;
    if (m_list.size() == 0)
        return Ending::NoNames;
    return m_pageFailed ? Ending::CutShort : Ending::Listed;
}

HarvestRun::Next HarvestRun::HarvestPage(int pageCount)
{
    ++m_pagesRead;
    if (total() < m_target && pageCount > 0) {
        m_offset += m_engine == SearchEngine::Yahoo ? kYahooPageStep : kGooglePageStep;
        return NextPageAddress();
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
    const QString copy = folder.Join(SearchesRelativePath(m_engine, m_searchText));
    QDir().mkpath(QFileInfo(copy).path());
    CopyFileOver(list, copy);
    return true;
}

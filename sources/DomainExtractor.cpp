#include "DomainExtractor.h"

#include "HarvestList.h"
#include "platform/TextFile.h"
#include "sources/NameCleaner.h"
#include "sources/PercentDecoding.h"
#include "whois_table/RegistrarTable.h"

#include <algorithm>

namespace {

const QString kHttp = QStringLiteral("http://");
const QString kHttps = QStringLiteral("https://");

bool StartsWithAt(const QString &text, qsizetype at, QLatin1StringView word)
{
    return QStringView(text).mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

} // namespace

DomainExtractor::DomainExtractor(const RegistrarTable &table, QStringList excludedLinkTexts)
    : m_table(table), m_excluded(std::move(excludedLinkTexts))
{
    m_excluded << QStringLiteral("@") << QStringLiteral("yimg");
}

QString DomainExtractor::PreparePageText(const QString &markup, const RegistrarTable &table)
{
    const QString page = markup.left(kMarkupLimit);
    QString text;
    text.reserve(page.size() + page.size() / 16);
    // One pass over the page gives the lines that the replacements one after another give.
    for (qsizetype i = 0; i < page.size();) {
        const QChar c = page.at(i);
        if ((c == QLatin1Char('=') || c == QLatin1Char('>')) &&
            StartsWithAt(page, i + 1, QLatin1StringView("www."))) {
            text += QStringLiteral("\r\nhttp://www.");
            i += 5;
        } else if ((c == QLatin1Char('h') || c == QLatin1Char('H')) &&
                   StartsWithAt(page, i, QLatin1StringView("http://"))) {
            text += QStringLiteral("\r\nhttp://");
            i += 7;
        } else if ((c == QLatin1Char('h') || c == QLatin1Char('H')) &&
                   StartsWithAt(page, i, QLatin1StringView("https://"))) {
            text += QStringLiteral("\r\nhttps://");
            i += 8;
        } else if (c == QLatin1Char('<') && StartsWithAt(page, i, QLatin1StringView("<frame"))) {
            text += QStringLiteral("\r\n<Frame");
            i += 6;
        } else {
            text += c;
            ++i;
        }
    }
    return table.SplitAfterExtensions(std::move(text));
}

bool DomainExtractor::IsAddressLine(const QString &line) const
{
    if (line.isEmpty() || (!line.startsWith(kHttp) && !line.startsWith(kHttps)))
        return false;
    for (const QString &excluded : m_excluded) {
        if (line.contains(excluded, Qt::CaseInsensitive))
            return false;
    }
    return m_table.HasKnownExtension(line);
}

QString DomainExtractor::DropSubdomainLabel(const QString &host)
{
    const qsizetype dot = host.indexOf(QLatin1Char('.'));
    if (dot < 0 || host.indexOf(QLatin1Char('.'), dot + 1) < 0 || RegistrableDomain(host) == host)
        return host;
    return host.mid(dot + 1);
}

std::optional<QString> DomainExtractor::AddressLineCandidate(const QString &line, QString &extension) const
{
    QString host = line.mid(line.startsWith(kHttps) ? kHttps.size() : kHttp.size());
    if (const qsizetype space = host.indexOf(QLatin1Char(' ')); space >= 0)
        host.truncate(space + 1);
    if (const qsizetype slash = host.indexOf(QLatin1Char('/')); slash >= 0)
        host.truncate(slash);
    if (const qsizetype tag = host.indexOf(QLatin1Char('<')); tag >= 0)
        host.truncate(tag); // a tag after the name ends it
    host = DropSubdomainLabel(host);
    if (const qsizetype dot = host.indexOf(QLatin1Char('.')); dot >= 0)
        extension = host.mid(dot + 1);
    if (const qsizetype equals = host.indexOf(QLatin1Char('=')); equals >= 0)
        extension = host.mid(equals + 1);
    // A port is no part of a name.
    if (const qsizetype colon = host.indexOf(QLatin1Char(':')); colon >= 0)
        host.truncate(colon);
    if (const qsizetype colon = extension.indexOf(QLatin1Char(':')); colon >= 0)
        extension.truncate(colon);
    if (!m_table.HasKnownExtension(QLatin1Char('.') + extension))
        return std::nullopt;
    QString name = NameCleaner(RegistrableDomain(host));
    name.remove(QLatin1Char('\''));
    name.remove(QLatin1Char('"'));
    return name;
}

bool DomainExtractor::LooksLikeHostName(const QString &name)
{
    if (name.isEmpty() || name.size() > 253 || !name.contains(QLatin1Char('.')))
        return false;
    if (std::any_of(name.begin(), name.end(),
                    [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }))
        return false;
    qsizetype labelStart = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name.at(i) != QLatin1Char('.'))
            continue;
        const qsizetype length = i - labelStart;
        if (length == 0 || length > 63)
            return false;
        labelStart = i + 1;
    }
    return true;
}

std::optional<QString> DomainExtractor::AcceptCandidate(const QString &candidate, const HarvestList &found,
                                                        bool rejectTargetBlank)
{
    const QString name = candidate.trimmed();
    if (found.Contains(name) || candidate.contains(QLatin1Char('<')) || candidate.contains(QLatin1Char('>')))
        return std::nullopt;
    if (candidate == QLatin1String("ttp:.com") || candidate == QLatin1String(" ttp:.com"))
        return std::nullopt;
    if (candidate.contains(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return std::nullopt;
    if (rejectTargetBlank && candidate.contains(QLatin1String("targetblank"), Qt::CaseInsensitive))
        return std::nullopt;
    if (!LooksLikeHostName(name))
        return std::nullopt;
    return name;
}

void DomainExtractor::Begin(const QString &markup)
{
    m_lines = TextFile::SplitLines(PreparePageText(markup, m_table));
    m_next = 0;
    m_extension.clear();
    m_pageCount = 0;
}

bool DomainExtractor::Step(HarvestList &list, int lineBudget)
{
    const qsizetype end = std::min(m_lines.size(), m_next + lineBudget);
    for (; m_next < end; ++m_next) {
        const QString line = PercentDecoder(m_lines.at(m_next));
        if (!IsAddressLine(line))
            continue;
        const std::optional<QString> candidate = AddressLineCandidate(line, m_extension);
        if (!candidate)
            continue;
        if (const std::optional<QString> name = AcceptCandidate(*candidate, list, true);
            name && !(m_skip && m_skip(*name))) {
            list.Add(*name);
            ++m_pageCount;
        }
    }
    if (m_next < m_lines.size())
        return false;
    m_lines.clear(); // the page's text is done with
    return true;
}

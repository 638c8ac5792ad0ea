#include "PageScan.h"

#include "platform/TextFile.h"
#include "sources/NameCleaner.h"
#include "sources/PercentDecoding.h"
#include "whois_table/RegistrarTable.h"

#include <QUrl>

namespace {

bool IsDelimiter(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('=') || c == QLatin1Char('<') ||
           c == QLatin1Char('"') || c == QLatin1Char(' ') || c == QLatin1Char('>');
}

bool StartsWithAt(const QString &text, qsizetype at, QLatin1StringView word)
{
    return QStringView(text).mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

void RemoveFirst(QString &text, QLatin1StringView word)
{
    const qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive);
    if (at >= 0)
        text.remove(at, word.size());
}

} // namespace

PageScan::PageScan(const RegistrarTable &table, QStringList excludedLinkTexts)
    : m_table(table), m_links(table, std::move(excludedLinkTexts))
{
}

void PageScan::Begin(const QString &markup)
{
    m_lines = TextFile::SplitLines(DomainExtractor::PreparePageText(markup, m_table));
    m_next = 0;
    m_frameLinesLeft = 0;
    m_extension.clear();
    m_accepted.clear();
}

void PageScan::ForgetSeen()
{
    m_seen.Clear();
    m_accepted.clear();
}

std::optional<QString> PageScan::EmbeddedCandidate(const QString &line, QString &extension) const
{
    // The five characters that end with the extension found first (in table order), grown to
    // the left up to a delimiter or a link, in one pass.
    const qsizetype end = m_table.EndOfExtension(line) - 1; // the index just after the extension
    if (end <= 0)
        return std::nullopt;
    qsizetype start = std::max<qsizetype>(end - 5, 0);
    const auto stopsHere = [&](qsizetype at) {
        return IsDelimiter(line.at(at)) || StartsWithAt(line, at, QLatin1StringView("http://"));
    };
    bool delimited = false;
    for (qsizetype i = start; i < end && !delimited; ++i)
        delimited =
            stopsHere(i) || line.mid(i, end - i).contains(QLatin1String("http://"), Qt::CaseInsensitive);
    while (!delimited && start > 0) {
        --start;
        delimited = stopsHere(start);
    }
    // The delimiter that stopped the window is no part of the name; a name that starts the
    // line keeps its first character.
    QString name = line.mid(delimited ? start + 1 : start, end - (delimited ? start + 1 : start));
    for (const char *scheme : {"http://", "ttp://", "tp://", "p://", "://"})
        RemoveFirst(name, QLatin1StringView(scheme));
    if (const qsizetype space = name.indexOf(QLatin1Char(' ')); space >= 0)
        name.truncate(space + 1);
    if (const qsizetype slash = name.indexOf(QLatin1Char('/')); slash >= 0)
        name.truncate(slash);
    name = DomainExtractor::DropSubdomainLabel(name);
    if (const qsizetype dot = name.indexOf(QLatin1Char('.')); dot >= 0)
        extension = name.mid(dot + 1);
    if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0)
        extension = name.mid(equals + 1);
    // An e-mail address gives its domain.
    if (const qsizetype at = name.indexOf(QLatin1Char('@')); at >= 0)
        name = name.mid(at + 1);
    if (const qsizetype colon = name.indexOf(QLatin1Char(':')); colon >= 0)
        name = name.mid(colon + 1);
    if (!m_table.HasKnownExtension(QLatin1Char('.') + extension))
        return std::nullopt;
    name = NameCleaner(RegistrableDomain(name));
    name.remove(QLatin1Char('\''));
    name.remove(QLatin1Char('"'));
    return name;
}

bool PageScan::Step(int lineBudget)
{
    const qsizetype last = std::min(m_lines.size(), m_next + lineBudget);
    for (; m_next < last; ++m_next) {
        const QString line = PercentDecoder(m_lines.at(m_next));
        if (m_frameLinesLeft > 0) {
            --m_frameLinesLeft; // the tag's address lines: the frame itself is followed instead
            continue;
        }
        if (line.contains(QLatin1String("<Frame"), Qt::CaseInsensitive) &&
            line.contains(QLatin1String("src="), Qt::CaseInsensitive)) {
            m_frameLinesLeft = 2;
            continue;
        }
        std::optional<QString> candidate;
        bool link = false;
        if (m_links.IsAddressLine(line)) {
            link = true;
            candidate = m_links.AddressLineCandidate(line, m_extension);
        } else if (m_table.HasKnownExtension(line)) {
            candidate = EmbeddedCandidate(line, m_extension);
        }
        if (!candidate)
            continue;
        if (const std::optional<QString> name = DomainExtractor::AcceptCandidate(*candidate, m_seen, link)) {
            m_seen.Add(*name);
            m_accepted.append(*name);
        }
    }
    if (m_next < m_lines.size())
        return false;
    m_lines.clear();
    return true;
}

QStringList PageScan::FrameAddresses(const QString &markup, const QString &pageAddress)
{
    const QUrl base(pageAddress);
    QStringList addresses;
    // <frame> and <iframe> alike; each kind's next tag is looked up again only once passed.
    const QLatin1String kFrame("<frame");
    const QLatin1String kInlineFrame("<iframe");
    qsizetype nextFrame = markup.indexOf(kFrame, 0, Qt::CaseInsensitive);
    qsizetype nextInline = markup.indexOf(kInlineFrame, 0, Qt::CaseInsensitive);
    while (addresses.size() < kMaxFrames && (nextFrame >= 0 || nextInline >= 0)) {
        const bool inlineFirst = nextFrame < 0 || (nextInline >= 0 && nextInline < nextFrame);
        const qsizetype tagStart = inlineFirst ? nextInline + kInlineFrame.size() : nextFrame + kFrame.size();
        if (inlineFirst)
            nextInline = markup.indexOf(kInlineFrame, tagStart, Qt::CaseInsensitive);
        else
            nextFrame = markup.indexOf(kFrame, tagStart, Qt::CaseInsensitive);
        if (tagStart < markup.size() && !markup.at(tagStart).isSpace() &&
            markup.at(tagStart) != QLatin1Char('>') && markup.at(tagStart) != QLatin1Char('/'))
            continue; // <frameset ...>
        qsizetype tagEnd = markup.indexOf(QLatin1Char('>'), tagStart);
        if (tagEnd < 0)
            tagEnd = markup.size();
        const QString tag = markup.mid(tagStart, tagEnd - tagStart);
        const qsizetype src = tag.indexOf(QLatin1String("src="), 0, Qt::CaseInsensitive);
        if (src < 0 || (src > 0 && !tag.at(src - 1).isSpace()))
            continue;
        qsizetype valueStart = src + 4;
        qsizetype valueEnd = tag.size();
        if (valueStart < tag.size() &&
            (tag.at(valueStart) == QLatin1Char('"') || tag.at(valueStart) == QLatin1Char('\''))) {
            const QChar quote = tag.at(valueStart++);
            valueEnd = tag.indexOf(quote, valueStart);
            if (valueEnd < 0)
                valueEnd = tag.size();
        } else {
            for (qsizetype i = valueStart; i < tag.size(); ++i) {
                if (tag.at(i).isSpace()) {
                    valueEnd = i;
                    break;
                }
            }
        }
        QString value = tag.mid(valueStart, valueEnd - valueStart);
        value.replace(QLatin1String("&amp;"), QLatin1String("&"));
        const QUrl resolved = base.resolved(QUrl(value.trimmed()));
        const QString scheme = resolved.scheme().toLower();
        if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || !resolved.isValid())
            continue;
        const QString address = resolved.toString();
        if (!addresses.contains(address))
            addresses.append(address);
    }
    return addresses;
}

#include "Verdict.h"

#include "DomainName.h"
#include "WhoisPhrases.h"
#include "platform/TextFile.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Where c first stands in text from `from` on, or -1. For the short lines of a reply a plain scan
// costs a fraction of QStringView::indexOf, which goes through Qt's general substring search.
qsizetype IndexIn(QStringView text, char16_t c, qsizetype from = 0)
{
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    const char16_t *const at = std::find(begin + std::min(from, text.size()), end, c);
    return at == end ? -1 : at - begin;
}

// Whether text begins with start, compared as they stand (inline: the walk asks it often).
bool BeginsWith(QStringView text, QStringView start)
{
    return text.size() >= start.size() && std::equal(start.begin(), start.end(), text.begin());
}

// The forms of the asked name a reply may write: the A-label, or the name as written, in any
// letter case; replies are compared without accents, so the written form is too.
class AskedName
{
public:
    explicit AskedName(const QString &name)
    {
        // A name of plain ASCII is its own A-label, written as asked: it needs no conversion.
        const QStringView bare = Trimmed(name);
        if (QString lower = LowerCaseName(bare.size() == name.size() ? name : bare.toString()); IsPlainAscii(lower)) {
            m_ascii = lower;
            m_written = std::move(lower);
            m_oneForm = true;
            return;
        }
        m_ascii = AsciiOf(name);
        m_written = WhoisPhrases::Folded(UnicodeDomainName(Trimmed(name).toString()));
        m_oneForm = m_written == m_ascii;
    }
    bool known() const { return !m_ascii.isEmpty(); }
    // Whether a word of a reply names the asked name; without one, whether it looks like a name.
    bool IsNamedBy(QStringView word) const
    {
        word = Trimmed(word);
        if (!known())
            return word.contains(QLatin1Char('.'));
        if (IsCutShort(word))
            return true;
        if (word == m_written)
            return true;
        if (word.size() == m_ascii.size() && EqualsIgnoringAsciiCase(word, m_ascii))
            return true;
        // Plain ASCII words are their own A-label: the costly conversions are for the others.
        if (IsPlainAscii(word))
            return false;
        return AsciiOf(word.toString()) == m_ascii ||
               WhoisPhrases::Folded(UnicodeDomainName(word.toString())) == m_written;
    }
    // The length of the shortest start of a folded run of characters that may name it, 0 when
    // none can. In plain ASCII a word that names it begins, after the marks around it, with the
    // first kLeastCut characters of one of its forms (the whole of a shorter name), and is no
    // shorter than that.
    qsizetype ShortestNamingStart(QStringView run) const
    {
        if (!known() || !IsPlainAscii(run))
            return 1;
        qsizetype around = 0;
        while (around < run.size() && IsAround(run.at(around)))
            ++around;
        const QStringView ascii = QStringView(m_ascii).left(kLeastCut);
        const QStringView written = QStringView(m_written).left(kLeastCut);
        const QStringView word = run.sliced(around);
        if (!BeginsWith(word, ascii) && (written == ascii || !BeginsWith(word, written)))
            return 0;
        return around + std::min(ascii.size(), written.size());
    }
    // Whether a line names it in one of its words.
    bool IsNamedIn(QStringView line) const
    {
        for (qsizetype from = 0; from < line.size();) {
            qsizetype to = IndexIn(line, u' ', from);
            if (to < 0)
                to = line.size();
            if (to > from && IsNamedBy(line.sliced(from, to - from)))
                return true;
            from = to + 1;
        }
        return false;
    }

private:
    // Some servers cut a long name short in their statement ("no match for verylongname-exa"):
    // a start of the asked name of kLeastCut characters or more, ending within a label, names it.
    static constexpr qsizetype kLeastCut = 8;
    bool IsCutShort(QStringView word) const
    {
        if (word.size() < kLeastCut)
            return false;
        for (;;) {
            if (word.endsWith(QChar(u'\u2026')))
                word.chop(1);
            else if (word.endsWith(QLatin1Char('.')) && word.endsWith(u"..."))
                word.chop(3);
            else
                break;
        }
        const auto cuts = [word](const QString &whole) {
            return word.size() >= kLeastCut && word.size() < whole.size() &&
                   whole.at(word.size()) != u'.' && QStringView(whole).first(word.size()) == word;
        };
        return cuts(m_ascii) || (!m_oneForm && cuts(m_written));
    }
    // Whether a word is the lower-case text in any letter case. ASCII letters are compared here;
    // any other character leaves the rest to Qt's case folding.
    static bool EqualsIgnoringAsciiCase(QStringView word, QStringView lower)
    {
        for (qsizetype i = 0; i < word.size(); ++i) {
            char16_t c = word[i].unicode();
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + (u'a' - u'A'));
            if (c != lower[i].unicode())
                return (c >= 0x80 || lower[i].unicode() >= 0x80) &&
                       word.sliced(i).compare(lower.sliced(i), Qt::CaseInsensitive) == 0;
        }
        return true;
    }
    // ASCII with no label in the A-label form ("xn--").
    static bool IsPlainAscii(QStringView word)
    {
        for (qsizetype i = 0; i < word.size(); ++i) {
            const char16_t c = word[i].unicode();
            if (c >= 0x80)
                return false;
            if (c == u'x' && (i == 0 || word[i - 1] == u'.') && word.sliced(i).startsWith(u"xn--"))
                return false;
        }
        return true;
    }
    static bool IsAround(QChar c)
    {
        switch (c.unicode()) {
        case u'"':
        case u'\'':
        case u'(':
        case u')':
        case u'[':
        case u']':
        case u'<':
        case u'>':
        case u',':
        case u';':
        case u':':
        case u'!':
        case u'?':
        case u'.':
            return true;
        default:
            return false;
        }
    }
    static QStringView Trimmed(QStringView word)
    {
        while (!word.isEmpty() && IsAround(word.front()))
            word = word.sliced(1);
        while (!word.isEmpty() && IsAround(word.back()))
            word.chop(1);
        return word;
    }
    static QString AsciiOf(const QString &name)
    {
        const QString bare = Trimmed(name).toString();
        if (bare.isEmpty())
            return QString();
        return AsciiDomainName(bare).value_or(bare).toLower();
    }

    QString m_ascii;
    QString m_written;
    bool m_oneForm = false; // the written form is the A-label
};

// A field whose key speaks of a domain and whose value is the asked name: "Domain Name: X",
// "nombre de dominio: x", "[Domain Name] x", "Domain name<TAB>x", or the key on a line of its own
// and the value on the next. The index of its line, or -1.
qsizetype DomainFieldLine(const QStringList &lines, const AskedName &asked)
{
    if (!asked.known())
        return -1;
    // "domain", "dominio", "domaine", "domein": each begins with "dom".
    constexpr qsizetype kLongestKey = 40;
    const auto isKey = [](QStringView key) {
        if (key.size() > kLongestKey)
            return false;
        for (qsizetype at = IndexIn(key, u'd'); at >= 0; at = IndexIn(key, u'd', at + 1)) {
            const QStringView from = key.sliced(at);
            if (BeginsWith(from, u"domain") || BeginsWith(from, u"dominio") || BeginsWith(from, u"domein"))
                return true;
        }
        return false;
    };
    const auto firstWord = [](QStringView text) {
        const qsizetype blank = IndexIn(text, u' ');
        return blank < 0 ? text : text.left(blank);
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines.at(i);
        qsizetype split = IndexIn(line, u':');
        if (split < 0)
            split = IndexIn(line, u']');
        if (split > 0) {
            QStringView value = line.sliced(split + 1).trimmed();
            if (value.isEmpty() && i + 1 < lines.size())
                value = lines.at(i + 1);
            if (asked.IsNamedBy(firstWord(value)) && isKey(line.left(split)))
                return i;
            continue;
        }
        // "domain name x.ch": a key of words, then the name.
        const qsizetype last = line.lastIndexOf(QLatin1Char(' '));
        if (last > 0 && asked.IsNamedBy(line.sliced(last + 1)) && isKey(line.left(last)))
            return i;
    }
    return -1;
}

// A reply that is not text: NUL bytes, neither UTF-8 nor Windows-1252, or mostly control
// characters.
bool IsUnreadable(const QByteArray &bytes)
{
    // Each byte's class from a table, so that the loop does not branch on it.
    enum : unsigned char { Control = 1, Nul = 2, High = 4 };
    static constexpr std::array<unsigned char, 256> kClass = [] {
        std::array<unsigned char, 256> classes{};
        for (int byte = 0; byte < 256; ++byte) {
            if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F)
                classes[size_t(byte)] |= Control;
            if (byte == 0)
                classes[size_t(byte)] |= Nul;
            if (byte >= 0x80)
                classes[size_t(byte)] |= High;
        }
        return classes;
    }();
    qsizetype controls = 0;
    unsigned char seen = 0;
    const auto classify = [&](const char *from, const char *to) {
        for (; from != to; ++from) {
            const unsigned char cls = kClass[static_cast<unsigned char>(*from)];
            controls += cls & Control;
            seen |= cls;
        }
    };
    // Eight bytes at a time: a word of visible ASCII (0x20 to 0x7E, as most are) needs no table.
    constexpr quint64 kOnes = 0x0101010101010101u;
    constexpr quint64 kHighBits = 0x8080808080808080u;
    const char *at = bytes.constData();
    const char *const end = at + bytes.size();
    for (; end - at >= 8; at += 8) {
        quint64 word;
        std::memcpy(&word, at, sizeof word);
        // No byte from 0x80 up; then none is 0x7F (adding one carries into its high bit) and none
        // is below 0x20 (taking 0x20 away borrows into it).
        const bool visible = !(word & kHighBits) && !((word + kOnes) & kHighBits) &&
                             !((word - 0x20 * kOnes) & ~word & kHighBits);
        if (!visible)
            classify(at, at + 8);
    }
    classify(at, end);
    if ((seen & Nul) || controls * 2 > bytes.size())
        return true;
    if (!(seen & High))
        return false;
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString utf8 = toUtf16(bytes);
    // Windows-1252 leaves five bytes undefined.
    static const QByteArray kUndefined("\x81\x8D\x8F\x90\x9D");
    return toUtf16.hasError() &&
           std::any_of(bytes.begin(), bytes.end(), [](char c) { return kUndefined.contains(c); });
}

// A date in a line, as yyyy-MM-dd: "2025-04-20", "20.04.2025", "20/04/2025", "2025/04/20".
QString DateIn(const QString &line)
{
    static const QRegularExpression kDate(
        QStringLiteral("\\b(?:(\\d{4})[-/.](\\d{2})[-/.](\\d{2})|(\\d{2})[-/.](\\d{2})[-/.](\\d{4}))\\b"));
    const QRegularExpressionMatch match = kDate.match(line);
    if (!match.hasMatch())
        return QString();
    return match.capturedLength(1) > 0
               ? QStringLiteral("%1-%2-%3").arg(match.captured(1), match.captured(2), match.captured(3))
               : QStringLiteral("%1-%2-%3").arg(match.captured(6), match.captured(5), match.captured(4));
}

// The words of a grace status ("in redemption", "pending delete", "in quarantine", "on hold"),
// with the date the name is released when the reply gives one: in the status line, or in a line
// that speaks of the release.
QString GraceReason(const QString &phrase, int lineIndex, const QStringList &lines)
{
    const QString &line = lines.at(lineIndex);
    const QString words = phrase + QLatin1Char(' ') + line;
    QString reason = QStringLiteral("in its grace period");
    if (words.contains(QLatin1String("redemption")))
        reason = QStringLiteral("in redemption");
    else if (words.contains(QLatin1String("pending")) && words.contains(QLatin1String("delet")))
        reason = QStringLiteral("pending delete");
    else if (words.contains(QLatin1String("quarant")))
        reason = QStringLiteral("in quarantine");
    else if (words.contains(QLatin1String("hold")))
        reason = QStringLiteral("on hold");
    QString date = DateIn(line);
    static const QStringList kReleaseWords = {QStringLiteral("release"), QStringLiteral("delet"),
                                              QStringLiteral("purge"),   QStringLiteral("quarant"),
                                              QStringLiteral("redemption"), QStringLiteral("until"),
                                              QStringLiteral("drop")};
    for (qsizetype i = 0; date.isEmpty() && i < lines.size(); ++i) {
        const QString &other = lines.at(i);
        if (std::any_of(kReleaseWords.begin(), kReleaseWords.end(), [&](const QString &w) { return other.contains(w); }))
            date = DateIn(other);
    }
    return date.isEmpty() ? reason : reason + QStringLiteral(" until ") + date;
}

constexpr int kShortReplyLines = 5;
constexpr int kShortReplyCharacters = 500;

} // namespace

Judgement JudgeReplyText(const QString &reply, const ReplyContext &context)
{
    using Kind = WhoisPhrases::Kind;
    using Status = Judgement::Status;
    if (QStringView(reply).trimmed().isEmpty())
        return Judgement::Without(Judgement::Problem::EmptyReply);
    const WhoisPhrases &table = context.phrases ? *context.phrases : WhoisPhrases::Shipped();
    // Plain ASCII is folded as its lines are normalised, without a folded copy of the whole.
    const QString folded = QtPrivate::isAscii(reply) ? reply : WhoisPhrases::Folded(reply);
    WhoisPhrases::Reading reading;
    for (qsizetype from = 0; from <= folded.size();) {
        qsizetype to = folded.indexOf(QLatin1Char('\n'), from);
        if (to < 0)
            to = folded.size();
        if (QString normalised = WhoisPhrases::NormalisedLine(QStringView(folded).sliced(from, to - from));
            !normalised.isEmpty())
            reading.lines.append(std::move(normalised));
        from = to + 1;
    }
    reading.shortReply = reading.lines.size() <= kShortReplyLines && folded.size() <= kShortReplyCharacters;
    reading.host = LowerCaseName(context.host);
    const AskedName asked(context.name);
    reading.namesAsked = [&asked](QStringView word) { return asked.IsNamedBy(word); };
    reading.lineNamesAsked = [&asked](QStringView line) { return asked.IsNamedIn(line); };
    reading.shortestNameIn = [&asked](QStringView run) { return asked.ShortestNamingStart(run); };
    const WhoisPhrases::Findings found = table.Find(reading);
    const auto stated = [&](Kind kind) { return bool(found[size_t(kind)]); };
    // A refusal wins: a throttled server's text never makes a name free or taken.
    if (stated(Kind::Refusal))
        return Judgement::Without(Judgement::Problem::RateLimited);
    if (stated(Kind::NotServed))
        return {Verdict::NoVerdict, Judgement::Problem::NotServed,
                QStringLiteral("whois server refuses this client (%1)").arg(context.host)};
    // A status outranks a not-found statement: such a name cannot be registered now.
    if (stated(Kind::Reserved))
        return Judgement::WithStatus(Verdict::Taken, Status::Reserved, QStringLiteral("reserved by the registry"));
    if (stated(Kind::Blocked))
        return Judgement::WithStatus(Verdict::Taken, Status::Blocked, QStringLiteral("blocked by the registry"));
    if (const WhoisPhrases::Found grace = found[size_t(Kind::Grace)])
        return Judgement::WithStatus(Verdict::Taken, Status::Grace,
                                     GraceReason(table.phrases().at(grace.phrase).text, grace.line, reading.lines));
    const qsizetype domainField = DomainFieldLine(reading.lines, asked);
    if (const WhoisPhrases::Found notFound = found[size_t(Kind::NotFound)]) {
        // A domain record with registration facts, followed by linked objects (a holder, a name
        // server) that the server could not find: the record is the answer.
        if (domainField >= 0 && domainField < notFound.line) {
            bool facts = false;
            table.ForEachMatch(reading, [&](int i, int line) {
                const WhoisPhrases::Phrase &phrase = table.phrases().at(i);
                facts = facts || (phrase.kind == Kind::Registered && !phrase.namesTheDomain && line > domainField &&
                                  line < notFound.line);
            });
            if (facts)
                return Judgement::Of(Verdict::Taken);
        }
        return stated(Kind::Premium) ? Judgement::WithStatus(Verdict::Free, Status::Premium, Judgement::kPremium)
                                     : Judgement::Of(Verdict::Free);
    }
    if (stated(Kind::Registered) || domainField >= 0)
        return Judgement::Of(Verdict::Taken);
    return Judgement::Without(Judgement::Problem::NotUnderstood);
}

Judgement JudgeReplyBytes(const QByteArray &reply, const ReplyContext &context)
{
    if (IsUnreadable(reply))
        return Judgement::Without(Judgement::Problem::Unreadable);
    return JudgeReplyText(TextFile::Decode(reply), context);
}


QString Judgement::ReasonText(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::EmptyReply:
        return QStringLiteral("empty reply");
    case Problem::RateLimited:
        return QStringLiteral("rate limited");
    case Problem::Unreadable:
        return QStringLiteral("unreadable reply");
    case Problem::NotUnderstood:
        return QStringLiteral("reply not understood");
    case Problem::NotServed:
        return QStringLiteral("whois server refuses this client");
    }
    return QString();
}

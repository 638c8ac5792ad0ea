#include "Verdict.h"

#include "platform/TextFile.h"

#include <QStringDecoder>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <algorithm>

namespace {

// Not-registered statements, as the start of a line (compared case-folded, with comment marks,
// blanks in front and runs of blanks inside taken away). Each is a registry's own sentence or
// status line; none is the start of a line in a reply for a registered name.
const QStringList kNotRegisteredLineStarts = {
    // "not found" family
    QStringLiteral("not found"), // "NOT FOUND", "Not found: x.ca", "%% NOT FOUND"
    QStringLiteral("no found"),
    QStringLiteral("domain not found"),
    QStringLiteral("no data found"),
    QStringLiteral("no entries found"), // "%% No entries found in the ... Database."
    QStringLiteral("error:101: no entries found"),
    QStringLiteral("no matching record"),
    QStringLiteral("no match!!"),
    QStringLiteral("no match:"), // "NO MATCH: x.edu"
    QStringLiteral("nincs talalat / no match"),
    QStringLiteral("object_not_found"),
    QStringLiteral("nothing found for this query"),
    QStringLiteral("the requested domain was not found"),
    QStringLiteral("this query returned 0 objects"),
    QStringLiteral("no information available about domain name"),
    QStringLiteral("invalid query or domain name not known"),
    // "does not exist" family
    QStringLiteral("the queried object does not exist"),
    QStringLiteral("object does not exist"),
    // "not registered" family
    QStringLiteral("the domain has not been registered"),
    QStringLiteral("this domain name has not been registered"),
    QStringLiteral("the domain name is not registered"),
    QStringLiteral("error:103: domain is not registered"),
    // status lines
    QStringLiteral("status: free"),
    QStringLiteral("status: available"),
    QStringLiteral("domain status: no object found"),
    QStringLiteral("query_status: 220 available"),
};

// Refusals: a server that will not answer now says so with one of these, anywhere in its reply.
const QStringList kRefusalTexts = {
    QStringLiteral("limit exceeded"), // "WHOIS LIMIT EXCEEDED", "Query rate limit exceeded" ...
    QStringLiteral("requests per minute exceeded"),
    QStringLiteral("connection limit reached"),
    QStringLiteral("exceeded allowed connection rate"),
    QStringLiteral("query rate reached"),
    QStringLiteral("allowed queries exceeded"),
    QStringLiteral("exceeded your query limit"),
    QStringLiteral("quota exceeded"),
    QStringLiteral("query quota"),
    QStringLiteral("too many requests"),
    QStringLiteral("too many connections"),
    QStringLiteral("access control limit"),
    QStringLiteral("error:201: access denied"),
    QStringLiteral("server too busy"),
    QStringLiteral("queried interval is too short"),
    QStringLiteral("please go away"),
    QStringLiteral("only 1 request per second"),
};
// These are refusals in a short reply only: terms of use printed with every answer say that
// access "is rate limited" and what happens when "too many queries" arrive.
const QStringList kShortReplyRefusalTexts = {
    QStringLiteral("rate limited"),
    QStringLiteral("too many queries"),
    QStringLiteral("excessive querying"),
};
constexpr int kShortReplyLines = 5;
constexpr int kShortReplyCharacters = 500;
// ...and these as a whole line.
const QStringList kRefusalLines = {
    QStringLiteral("timeout."),
    QStringLiteral("timeout"),
};

// The texts are compared case-folded: the reply is folded once, not once per text. Replies are
// nearly always ASCII, which is folded without the Unicode tables.
QString Folded(const QString &text)
{
    QString folded(text.size(), Qt::Uninitialized);
    QChar *out = folded.data();
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        *out++ = unit < 0x80 ? QChar(unit >= u'A' && unit <= u'Z' ? unit + 32 : unit) : c.toCaseFolded();
    }
    return folded;
}

QStringList Folded(const QStringList &texts)
{
    QStringList folded;
    for (const QString &text : texts)
        folded.append(Folded(text));
    return folded;
}

bool ContainsAny(const QString &foldedText, const QStringList &foldedNeedles)
{
    return std::any_of(foldedNeedles.begin(), foldedNeedles.end(),
                       [&](const QString &needle) { return foldedText.contains(needle); });
}

bool IsCommentMark(QChar c)
{
    return c == u'%' || c == u'#' || c == u'*' || c == u'>' || c == u'[' || c.isSpace();
}

// A folded line as the statements are written: comment marks and blanks in front and at the
// end gone, every run of blanks inside one space.
QString Normalised(QStringView line)
{
    qsizetype from = 0;
    while (from < line.size() && IsCommentMark(line.at(from)))
        ++from;
    QString out;
    out.reserve(line.size() - from);
    bool blank = false;
    for (const QChar c : line.sliced(from)) {
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out += QLatin1Char(' ');
        blank = false;
        out += c;
    }
    return out;
}

bool IsDomainShaped(QStringView text)
{
    return !text.isEmpty() && text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char(' '));
}

// A statement that names the domain inside it: 'domain "x.se" not found.', "x.nl is free",
// "Domain x.love is available for registration".
bool IsNamedNotRegisteredLine(QStringView line)
{
    if (line.startsWith(QLatin1String("domain \"")) &&
        (line.endsWith(QLatin1String("\" not found.")) || line.endsWith(QLatin1String("\" not found"))))
        return true;
    if (line.endsWith(QLatin1String(" is free")) && IsDomainShaped(line.chopped(8)))
        return true;
    return line.startsWith(QLatin1String("domain ")) &&
           line.contains(QLatin1String(" is available for registration"));
}

// "No match for" anywhere, unless what it quotes is another name than the one asked.
bool HasNoMatchFor(const QString &folded, const ReplyContext &context)
{
    static const QLatin1String kNoMatchFor("no match for");
    QStringList asked;
    if (!context.name.isEmpty()) {
        asked << Folded(context.name) << Folded(QString::fromLatin1(QUrl::toAce(context.name)));
    }
    for (qsizetype at = folded.indexOf(kNoMatchFor); at >= 0; at = folded.indexOf(kNoMatchFor, at + 1)) {
        qsizetype next = at + kNoMatchFor.size();
        while (next < folded.size() && folded.at(next) == u' ')
            ++next;
        if (asked.isEmpty() || next >= folded.size() || folded.at(next) != u'"')
            return true;
        const qsizetype close = folded.indexOf(QLatin1Char('"'), next + 1);
        const QString quoted = folded.mid(next + 1, close < 0 ? -1 : close - next - 1);
        if (asked.contains(quoted))
            return true;
    }
    return false;
}

bool IsNotRegisteredLine(const QString &line, const QStringList &foldedStarts)
{
    if (line.startsWith(QLatin1String("no match for")))
        return false; // judged by HasNoMatchFor, which looks at the name it quotes
    for (const QString &start : foldedStarts) {
        if (line.startsWith(start))
            return true;
    }
    return IsNamedNotRegisteredLine(line);
}

// A reply that is not text: NUL bytes, neither UTF-8 nor Windows-1252, or mostly control
// characters.
bool IsUnreadable(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return true;
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString utf8 = toUtf16(bytes);
    if (toUtf16.hasError()) {
        // Windows-1252 leaves five bytes undefined.
        static const QByteArray kUndefined("\x81\x8D\x8F\x90\x9D");
        if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return kUndefined.contains(c); }))
            return true;
    }
    const qsizetype controls = std::count_if(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F;
    });
    return controls * 2 > bytes.size();
}

} // namespace

Judgement JudgeReplyText(const QString &reply, const ReplyContext &context)
{
    static const QStringList kFoldedRefusals = Folded(kRefusalTexts);
    static const QStringList kFoldedShortReplyRefusals = Folded(kShortReplyRefusalTexts);
    static const QStringList kFoldedNotRegistered = Folded(kNotRegisteredLineStarts);
    if (reply.trimmed().isEmpty())
        return Judgement::Without(Judgement::Problem::EmptyReply);
    const QString folded = Folded(reply);
    QStringList lines;
    for (const QStringView line : QStringView(folded).split(QLatin1Char('\n'))) {
        if (QString normalised = Normalised(line); !normalised.isEmpty())
            lines.append(std::move(normalised));
    }
    // A refusal wins: a throttled server's text never makes a name free.
    if (ContainsAny(folded, kFoldedRefusals) ||
        (lines.size() <= kShortReplyLines && folded.size() <= kShortReplyCharacters &&
         ContainsAny(folded, kFoldedShortReplyRefusals)) ||
        std::any_of(lines.begin(), lines.end(),
                    [](const QString &line) { return kRefusalLines.contains(line); }))
        return Judgement::Without(Judgement::Problem::RateLimited);
    if (HasNoMatchFor(folded, context))
        return Judgement::Of(Verdict::Free);
    if (std::any_of(lines.begin(), lines.end(),
                    [](const QString &line) { return IsNotRegisteredLine(line, kFoldedNotRegistered); }))
        return Judgement::Of(Verdict::Free);
    return Judgement::Of(Verdict::Taken);
}

Judgement JudgeReplyBytes(const QByteArray &reply, const ReplyContext &context)
{
    if (IsUnreadable(reply))
        return Judgement::Without(Judgement::Problem::Unreadable);
    return JudgeReplyText(TextFile::Decode(reply), context);
}

ProfileClass ProfileClassOf(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QStringView label = QStringView(name).left(dot < 0 ? name.size() : dot);
    // Characters, not UTF-16 units: a character outside the basic plane counts once.
    const auto length =
        std::count_if(label.begin(), label.end(), [](QChar c) { return !c.isLowSurrogate(); });
    if (length < 5)
        return ProfileClass::High;
    if (length <= 7)
        return ProfileClass::Mid;
    return ProfileClass::Low;
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
    }
    return QString();
}

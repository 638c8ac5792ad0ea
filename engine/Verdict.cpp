#include "Verdict.h"

#include "DomainName.h"
#include "WhoisPhrases.h"
#include "platform/TextFile.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <QStringView>

#include <algorithm>

namespace {

// The forms of the asked name a reply may write: the A-label, or the name as written, in any
// letter case; replies are compared without accents, so the written form is too.
class AskedName
{
public:
    explicit AskedName(const QString &name)
        : m_ascii(AsciiOf(name)), m_written(WhoisPhrases::Folded(UnicodeDomainName(Trimmed(name).toString())))
    {
    }
    bool known() const { return !m_ascii.isEmpty(); }
    // Whether a word of a reply names the asked name; without one, whether it looks like a name.
    bool IsNamedBy(QStringView word) const
    {
        word = Trimmed(word);
        if (!known())
            return word.contains(QLatin1Char('.'));
        return word == m_written || AsciiOf(word.toString()) == m_ascii ||
               WhoisPhrases::Folded(UnicodeDomainName(word.toString())) == m_written;
    }
    // Whether a line names it in one of its words.
    bool IsNamedIn(QStringView line) const
    {
        for (const QStringView word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (IsNamedBy(word))
                return true;
        }
        return false;
    }

private:
    static QStringView Trimmed(QStringView word)
    {
        static const QString kAround = QStringLiteral("\"'()[]<>,;:!?");
        while (!word.isEmpty() && (kAround.contains(word.front()) || word.front() == u'.'))
            word = word.sliced(1);
        while (!word.isEmpty() && (kAround.contains(word.back()) || word.back() == u'.'))
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
};

QStringView WithoutTrailingPunctuation(QStringView text)
{
    while (!text.isEmpty() && QStringView(u".!:;").contains(text.back()))
        text.chop(1);
    return text;
}

// Whether a phrase's statement stands in the line (and, when it names a domain, names the asked
// one).
bool Matches(const WhoisPhrases::Phrase &phrase, const QString &line, bool shortReply, const AskedName &asked)
{
    using Anchor = WhoisPhrases::Anchor;
    if (!line.contains(phrase.text))
        return false;
    if (phrase.pattern.isValid() && !phrase.pattern.pattern().isEmpty()) {
        for (QRegularExpressionMatchIterator it = phrase.pattern.globalMatch(line); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            if (!phrase.namesTheDomain || asked.IsNamedBy(match.capturedView(QStringLiteral("name"))))
                return true;
        }
        return false;
    }
    switch (phrase.anchor) {
    case Anchor::Line:
        return WithoutTrailingPunctuation(line) == WithoutTrailingPunctuation(phrase.text);
    case Anchor::Start: {
        if (!line.startsWith(phrase.text))
            return false;
        const QStringView rest = QStringView(line).sliced(phrase.text.size());
        // A field ("created:") counts with a value; a statement up to a word's end.
        if (phrase.kind == WhoisPhrases::Kind::Registered)
            return !phrase.text.endsWith(QLatin1Char(':')) || !rest.trimmed().isEmpty();
        return rest.isEmpty() || !rest.front().isLetterOrNumber();
    }
    case Anchor::Contains:
        return true;
    case Anchor::NameLine:
        return asked.IsNamedIn(line);
    case Anchor::ShortReply:
        return shortReply;
    }
    return false;
}

// A field whose key speaks of a domain and whose value is the asked name: "Domain Name: X",
// "nombre de dominio: x", "[Domain Name] x", "Domain name<TAB>x", or the key on a line of its own
// and the value on the next.
bool HasDomainField(const QStringList &lines, const AskedName &asked)
{
    if (!asked.known())
        return false;
    static const QStringList kKeys = {QStringLiteral("domain"), QStringLiteral("dominio"),
                                      QStringLiteral("domaine"), QStringLiteral("domein")};
    constexpr qsizetype kLongestKey = 40;
    const auto isKey = [](QStringView key) {
        return key.size() <= kLongestKey && std::any_of(kKeys.begin(), kKeys.end(), [&](const QString &word) {
                   return key.contains(word);
               });
    };
    const auto firstWord = [](QStringView text) {
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        return blank < 0 ? text : text.left(blank);
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines.at(i);
        qsizetype split = line.indexOf(QLatin1Char(':'));
        if (split < 0)
            split = line.indexOf(QLatin1Char(']'));
        if (split > 0) {
            QStringView value = line.sliced(split + 1).trimmed();
            if (value.isEmpty() && i + 1 < lines.size())
                value = lines.at(i + 1);
            if (isKey(line.left(split)) && asked.IsNamedBy(firstWord(value)))
                return true;
            continue;
        }
        // "domain name x.ch": a key of words, then the name.
        const qsizetype last = line.lastIndexOf(QLatin1Char(' '));
        if (last > 0 && isKey(line.left(last)) && asked.IsNamedBy(line.sliced(last + 1)))
            return true;
    }
    return false;
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

constexpr int kShortReplyLines = 5;
constexpr int kShortReplyCharacters = 500;

} // namespace

Judgement JudgeReplyText(const QString &reply, const ReplyContext &context)
{
    using Kind = WhoisPhrases::Kind;
    if (reply.trimmed().isEmpty())
        return Judgement::Without(Judgement::Problem::EmptyReply);
    const WhoisPhrases &table = context.phrases ? *context.phrases : WhoisPhrases::Shipped();
    const QString folded = WhoisPhrases::Folded(reply);
    QStringList lines;
    for (const QStringView line : QStringView(folded).split(QLatin1Char('\n'))) {
        if (QString normalised = WhoisPhrases::NormalisedLine(line); !normalised.isEmpty())
            lines.append(std::move(normalised));
    }
    const bool shortReply = lines.size() <= kShortReplyLines && folded.size() <= kShortReplyCharacters;
    const AskedName asked(context.name);
    const QString host = context.host.toLower();
    const auto stated = [&](Kind kind) {
        for (const WhoisPhrases::Phrase &phrase : table.phrases()) {
            if (phrase.kind != kind || (!phrase.host.isEmpty() && phrase.host != host))
                continue;
            for (const QString &line : lines) {
                if (Matches(phrase, line, shortReply, asked))
                    return true;
            }
        }
        return false;
    };
    // A refusal wins: a throttled server's text never makes a name free or taken.
    if (stated(Kind::Refusal))
        return Judgement::Without(Judgement::Problem::RateLimited);
    if (stated(Kind::NotServed))
        return {Verdict::NoVerdict, Judgement::Problem::NotServed,
                QStringLiteral("whois server refuses this client (%1)").arg(context.host)};
    if (stated(Kind::NotFound))
        return Judgement::Of(Verdict::Free);
    if (stated(Kind::Registered) || HasDomainField(lines, asked))
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

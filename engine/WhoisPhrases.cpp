#include "WhoisPhrases.h"

#include "platform/TextFile.h"

#include <QFile>

namespace {

bool IsCommentMark(QChar c)
{
    return c == u'%' || c == u'#' || c == u'*' || c == u'>' || c == u'[' || c.isSpace();
}

std::optional<WhoisPhrases::Kind> KindNamed(const QString &word)
{
    using Kind = WhoisPhrases::Kind;
    if (word == QLatin1String("not-found"))
        return Kind::NotFound;
    if (word == QLatin1String("registered-field"))
        return Kind::Registered;
    if (word == QLatin1String("refusal"))
        return Kind::Refusal;
    if (word == QLatin1String("not-served"))
        return Kind::NotServed;
    return std::nullopt;
}

std::optional<WhoisPhrases::Anchor> AnchorNamed(const QString &word)
{
    using Anchor = WhoisPhrases::Anchor;
    if (word == QLatin1String("line"))
        return Anchor::Line;
    if (word == QLatin1String("start"))
        return Anchor::Start;
    if (word == QLatin1String("contains"))
        return Anchor::Contains;
    if (word == QLatin1String("name-line"))
        return Anchor::NameLine;
    if (word == QLatin1String("short-reply"))
        return Anchor::ShortReply;
    return std::nullopt;
}

// The pattern of a phrase with placeholders: <name> captures a name as replies write it (maybe
// quoted or in brackets), <ext> is one word, <db> any words.
QRegularExpression PatternOf(const QString &phrase, WhoisPhrases::Anchor anchor)
{
    QString pattern;
    static const QRegularExpression kPlaceholder(QStringLiteral("<(name|ext|db)>"));
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = kPlaceholder.globalMatch(phrase); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        pattern += QRegularExpression::escape(phrase.mid(from, match.capturedStart() - from));
        const QString which = match.captured(1);
        if (which == QLatin1String("name"))
            pattern += QStringLiteral("(?<name>[^\\s\"'()\\[\\],]+)");
        else if (which == QLatin1String("ext"))
            pattern += QStringLiteral("\\S+");
        else
            pattern += QStringLiteral(".+?");
        from = match.capturedEnd();
    }
    pattern += QRegularExpression::escape(phrase.mid(from));
    if (anchor == WhoisPhrases::Anchor::Line || anchor == WhoisPhrases::Anchor::Start)
        pattern.prepend(QLatin1Char('^'));
    if (anchor == WhoisPhrases::Anchor::Line)
        pattern += QStringLiteral("[.!:;]*$");
    return QRegularExpression(pattern, QRegularExpression::UseUnicodePropertiesOption);
}

} // namespace

QString WhoisPhrases::Folded(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();
    // Decomposed, the accents are marks of their own and go; the rest is case-folded.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c;
    }
    return folded.toCaseFolded();
}

QString WhoisPhrases::NormalisedLine(QStringView line)
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

QString WhoisPhrases::Normalised(const QString &text)
{
    const QString folded = Folded(text);
    QStringList lines;
    for (const QStringView line : QStringView(folded).split(QLatin1Char('\n')))
        lines << NormalisedLine(line);
    return lines.join(QLatin1Char('\n'));
}

const WhoisPhrases &WhoisPhrases::Shipped()
{
    static const WhoisPhrases shipped = [] {
        QFile file(QStringLiteral(":/orvelle/whois-phrases.txt"));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return Parse(QString::fromUtf8(bytes), QStringLiteral("whois-phrases.txt"));
    }();
    return shipped;
}

WhoisPhrases WhoisPhrases::Parse(const QString &text, const QString &source, QStringList *problems)
{
    WhoisPhrases phrases;
    phrases.Add(text, source, problems);
    return phrases;
}

void WhoisPhrases::Add(const QString &text, const QString &source, QStringList *problems)
{
    int lineNumber = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        const std::optional<Kind> kind =
            fields.size() >= 3 ? KindNamed(fields.at(0).trimmed()) : std::nullopt;
        const std::optional<Anchor> anchor =
            fields.size() >= 3 ? AnchorNamed(fields.at(1).trimmed()) : std::nullopt;
        Phrase phrase;
        if (kind && anchor) {
            phrase.kind = *kind;
            phrase.anchor = *anchor;
            phrase.text = NormalisedLine(Folded(fields.at(2)));
            phrase.host = fields.size() >= 4 ? fields.at(3).trimmed().toLower() : QString();
        }
        const bool placeholders = phrase.text.contains(QLatin1Char('<'));
        QString problem;
        if (fields.size() < 3 || fields.size() > 4)
            problem = QStringLiteral("needs kind, anchor and phrase, separated by tabs, and at most a host");
        else if (!kind)
            problem =
                QStringLiteral("the kind \"%1\" is none of not-found, registered-field, refusal, not-served")
                    .arg(fields.at(0).trimmed());
        else if (!anchor)
            problem =
                QStringLiteral("the anchor \"%1\" is none of line, start, contains, name-line, short-reply")
                    .arg(fields.at(1).trimmed());
        else if (phrase.text.isEmpty())
            problem = QStringLiteral("the phrase is empty");
        else if (placeholders && (phrase.anchor == Anchor::NameLine || phrase.anchor == Anchor::ShortReply))
            problem = QStringLiteral("a name-line or short-reply phrase takes no <name>, <ext> or <db>");
        if (placeholders && problem.isEmpty()) {
            phrase.pattern = PatternOf(phrase.text, phrase.anchor);
            phrase.namesTheDomain = phrase.text.contains(QLatin1String("<name>"));
            if (!phrase.pattern.isValid())
                problem = QStringLiteral("the phrase cannot be read as a pattern");
            phrase.text = phrase.text.left(phrase.text.indexOf(QLatin1Char('<')));
        }
        if (!problem.isEmpty()) {
            if (problems)
                *problems << QStringLiteral("%1 line %2: %3").arg(source).arg(lineNumber).arg(problem);
            continue;
        }
        m_phrases.append(std::move(phrase));
    }
}

#include "Verdict.h"

#include <QStringList>
#include <QStringView>

#include <algorithm>

namespace {

const QStringList kNotRegisteredLineStarts = {
    QStringLiteral("NOT FOUND"),
    QStringLiteral("Domain not found"),
    QStringLiteral("No Data Found"),
    QStringLiteral("No entries found"),
    QStringLiteral("No matching record"),
    QStringLiteral("The domain has not been registered"),
    QStringLiteral("Status: free"),
    QStringLiteral("Status: available"),
    QStringLiteral("% No match"),
    QStringLiteral("No match!!"),
    QStringLiteral("%% No entries found"),
    QStringLiteral("Object_Not_Found"),
    QStringLiteral("*** Nothing found for this query"),
};

const QStringList kRateLimitTexts = {
    QStringLiteral("WHOIS LIMIT EXCEEDED"),
    QStringLiteral("query quota"),
    QStringLiteral("limit exceeded"),
    QStringLiteral("Too many requests"),
    QStringLiteral("Too many connections"),
    QStringLiteral("Excessive querying"),
    QStringLiteral("access control limit"),
    QStringLiteral("Please go away"),
    QStringLiteral("only 1 request per second"),
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
    for (const QString &needle : foldedNeedles) {
        if (foldedText.contains(needle))
            return true;
    }
    return false;
}

bool HasLineStartingWithAny(const QString &foldedText, const QStringList &foldedStarts)
{
    const QStringView text(foldedText);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        const QStringView line = text.sliced(start, end - start).trimmed(); // blanks, and the CR of CR LF
        for (const QString &lineStart : foldedStarts) {
            if (line.startsWith(lineStart))
                return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

Verdict JudgeReply(const QString &reply)
{
    static const QStringList kFoldedRateLimitTexts = Folded(kRateLimitTexts);
    static const QStringList kFoldedNotRegistered = Folded(kNotRegisteredLineStarts);
    if (reply.trimmed().isEmpty())
        return Verdict::NoVerdict;
    const QString folded = Folded(reply);
    // A refusal wins: a throttled server's text never makes a name free.
    if (ContainsAny(folded, kFoldedRateLimitTexts))
        return Verdict::NoVerdict;
    if (folded.contains(QLatin1String("no match for")))
        return Verdict::Free;
    if (HasLineStartingWithAny(folded, kFoldedNotRegistered))
        return Verdict::Free;
    return Verdict::Taken;
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

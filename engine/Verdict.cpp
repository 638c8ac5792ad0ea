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
    QStringLiteral("WHOIS LIMIT EXCEEDED"), QStringLiteral("query quota"),
    QStringLiteral("limit exceeded"),       QStringLiteral("Too many requests"),
    QStringLiteral("Too many connections"), QStringLiteral("Excessive querying"),
    QStringLiteral("access control limit"), QStringLiteral("Please go away"),
    QStringLiteral("only 1 request per second"),
};

bool ContainsAny(const QString &text, const QStringList &needles)
{
    for (const QString &needle : needles) {
        if (text.contains(needle, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool HasLineStartingWithAny(const QString &text, const QStringList &starts)
{
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed(); // leading blanks, and the CR of a CR LF
        for (const QString &start : starts) {
            if (line.startsWith(start, Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

} // namespace

Verdict JudgeReply(const QString &reply)
{
    if (reply.trimmed().isEmpty())
        return Verdict::NoVerdict;
    if (reply.contains(QLatin1String("No match for"), Qt::CaseInsensitive))
        return Verdict::Free;
    if (ContainsAny(reply, kRateLimitTexts))
        return Verdict::NoVerdict;
    if (HasLineStartingWithAny(reply, kNotRegisteredLineStarts))
        return Verdict::Free;
    return Verdict::Taken;
}

ProfileClass ProfileClassOf(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QStringView label = QStringView(name).left(dot < 0 ? name.size() : dot);
    // Characters, not UTF-16 units: a character outside the basic plane counts once.
    const auto length = std::count_if(label.begin(), label.end(), [](QChar c) { return !c.isLowSurrogate(); });
    if (length < 5)
        return ProfileClass::High;
    if (length <= 7)
        return ProfileClass::Mid;
    return ProfileClass::Low;
}

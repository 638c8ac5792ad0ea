#pragma once

#include <QByteArray>
#include <QString>

// What a whois reply says about a name.
enum class Verdict
{
    Free,     // not registered
    Taken,    // registered
    NoVerdict // no usable answer: empty, not text, or the server refused to answer (rate limit)
};

// What a reply was an answer to. With a name, a "No match for" that quotes another domain is no
// evidence for this one.
struct ReplyContext
{
    QString name;
};

// A verdict with, when there is none, what was wrong and the reason in words.
struct Judgement
{
    enum class Problem
    {
        None,
        EmptyReply,
        RateLimited, // the server refused to answer now: ask again later
        Unreadable   // not text
    };
    static QString ReasonText(Problem problem);

    Verdict verdict = Verdict::Taken;
    Problem problem = Problem::None;
    QString reason; // ReasonText(problem) when there is no verdict

    static Judgement Of(Verdict verdict) { return {verdict, Problem::None, QString()}; }
    static Judgement Without(Problem problem) { return {Verdict::NoVerdict, problem, ReasonText(problem)}; }
};

// Judges a whole reply by its meaning:
// - no verdict for an empty reply, and for one that holds a refusal (a rate-limit or
//   access-limit statement) anywhere: a refusal wins over every not-registered statement;
// - free for "No match for" anywhere (any letter case), unless it quotes another name than the
//   one asked; and for a line that starts with one of the registries' not-registered statements
//   ("Domain not found", "No entries found", "The queried object does not exist", "Status: free",
//   "<name> is free" ...), comment marks ("%", "#", ">>>") and blanks in front of it aside;
// - registered otherwise.
Judgement JudgeReplyText(const QString &reply, const ReplyContext &context = {});
// The same for the bytes as received: a reply that is not text (NUL bytes, mostly control
// characters, or neither UTF-8 nor Windows-1252) is "unreadable reply".
Judgement JudgeReplyBytes(const QByteArray &reply, const ReplyContext &context = {});
inline Verdict JudgeReply(const QString &reply, const ReplyContext &context = {})
{
    return JudgeReplyText(reply, context).verdict;
}

// The three profile classes of free names, by the length of the label before the first dot.
enum class ProfileClass
{
    High,
    Mid,
    Low
};
ProfileClass ProfileClassOf(const QString &name);

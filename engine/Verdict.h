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

class WhoisPhrases;

// What a reply was an answer to: the asked name (a statement or a domain field that names
// another name is no evidence for this one), the server that answered (phrases may be limited to
// one), and the phrase table (none: the shipped one).
struct ReplyContext
{
    QString name;
    QString host = {};
    const WhoisPhrases *phrases = nullptr;
};

// A verdict with, when there is none, what was wrong and the reason in words.
struct Judgement
{
    enum class Problem
    {
        None,
        EmptyReply,
        RateLimited,   // the server refused to answer now: ask again later
        Unreadable,    // not text
        NotUnderstood, // neither a not-found statement nor a registration
        NotServed      // the server does not serve this client or query: asking again will not help
    };
    static QString ReasonText(Problem problem);

    // A registration status that outranks a plain "not found": a name the registry keeps or
    // blocks, or one in its grace cycle, is registered (with the status as its reason); a
    // premium name is free, and marked.
    enum class Status
    {
        None,
        Premium,  // free, at a premium price: reason kPremium
        Reserved, // registered: "reserved by the registry"
        Blocked,  // registered: "blocked by the registry"
        Grace     // registered: "in redemption", "pending delete", "in quarantine until 2025-04-20"...
    };
    static inline const QString kPremium = QStringLiteral("premium");

    Verdict verdict = Verdict::NoVerdict;
    Problem problem = Problem::None;
    QString reason; // ReasonText(problem) when there is no verdict; the status's words
    Status status = Status::None;

    bool isPremium() const { return verdict == Verdict::Free && status == Status::Premium; }

    static Judgement Of(Verdict verdict) { return {verdict, Problem::None, QString()}; }
    static Judgement Without(Problem problem) { return {Verdict::NoVerdict, problem, ReasonText(problem)}; }
    static Judgement WithStatus(Verdict verdict, Status status, QString reason)
    {
        return {verdict, Problem::None, std::move(reason), status};
    }
};

// Judges a whole reply by its meaning, on the evidence it gives (see WhoisPhrases for how
// statements are matched):
// - no verdict for an empty reply, and for one that holds a refusal anywhere: a refusal wins over
//   everything ("rate limited"); no verdict either when the server says it does not serve this
//   client ("whois server refuses this client (host)");
// - registered, with the status as the reason, when the reply says the registry reserves or
//   blocks the name, or that it is in its grace cycle, even beside a not-found statement;
// - free and premium when a not-found statement stands beside premium wording;
// - free when a not-found statement stands as a whole line, at a line's start or, for short
//   phrases, in a line that names the asked name; a statement about another name does not count;
// - registered when the reply shows a registration: a domain field that names the asked name, or
//   registration facts (dates, registrar, name servers, a registered/active/ok status);
// - otherwise no verdict: "reply not understood".
Judgement JudgeReplyText(const QString &reply, const ReplyContext &context = {});
// The same for the bytes as received: a reply that is not text (NUL bytes, mostly control
// characters, or neither UTF-8 nor Windows-1252) is "unreadable reply".
Judgement JudgeReplyBytes(const QByteArray &reply, const ReplyContext &context = {});
inline Verdict JudgeReply(const QString &reply, const ReplyContext &context = {})
{
    return JudgeReplyText(reply, context).verdict;
}


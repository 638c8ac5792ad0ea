#pragma once

#include <QString>

// What a whois reply says about a name.
enum class Verdict
{
    Free,     // not registered
    Taken,    // registered
    NoVerdict // no usable answer: empty, or the server refused to answer (rate limit)
};

// Judges a whole reply. An empty reply, or one with a rate-limit statement anywhere, gives no
// verdict. Otherwise "No match for" anywhere (any letter case) means free, and so does a line
// starting with one of the registries' own not-registered texts. Anything else is registered.
Verdict JudgeReply(const QString &reply);

// The three profile classes of free names, by the length of the label before the first dot.
enum class ProfileClass
{
    High,
    Mid,
    Low
};
ProfileClass ProfileClassOf(const QString &name);

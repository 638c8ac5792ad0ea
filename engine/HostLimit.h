#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// How hard one whois host may be asked.
struct HostLimit
{
    // The whois connections open at once, in all: the pool's size, and the most one host gets.
    static constexpr int kMostOpen = 25;

    double perSecond = 0;    // queries started per second; 0: no spacing
    int maxOpen = kMostOpen; // connections open at once
    // Quotas: at most windowQueries in any windowMinutes minutes, at most perDay in any 24 hours;
    // 0: none.
    int windowQueries = 0;
    int windowMinutes = 0;
    int perDay = 0;

    bool hasQuota() const { return perDay > 0 || (windowQueries > 0 && windowMinutes > 0); }
    friend bool operator==(const HostLimit &, const HostLimit &) = default;
};

// A pace a host learned in an earlier run, and how long ago.
struct RememberedPace
{
    HostLimit limit;
    qint64 ageMs = 0;
};

// One host's limit as people write it: "perSecond/connections", then optionally a window quota
// "N/Mmin" and a daily quota "N/day", separated by blanks ("5/5 1000/day", "2/2 1800/15min").
// Nothing, with *error saying what is wrong, when it cannot be read.
std::optional<HostLimit> ParseHostLimit(const QString &text, QString *error = nullptr);

// A table of limits per host, one host a line, "host<TAB>limit" with the limit as above and "#"
// comments (data/whois-limits.txt). Lines that cannot be read are passed over, each with a
// problem "<source> line N: ..." in `problems`.
QHash<QString, HostLimit> ParseLimitsTable(const QString &text, const QString &source,
                                           QStringList *problems = nullptr);

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// How hard one whois host may be asked.
struct HostLimit
{
    // The whois connections open at once, in all: the pool's size, and the most one host gets.
    static constexpr int kMostOpen = 25;

    double perSecond = 0;     // queries started per second; 0: no spacing
    int maxOpen = kMostOpen;  // connections open at once

    friend bool operator==(const HostLimit &, const HostLimit &) = default;
};

// A pace a host learned in an earlier run, and how long ago.
struct RememberedPace
{
    HostLimit limit;
    qint64 ageMs = 0;
};

// A table of limits per host, one host a line, "host<TAB>perSecond/maxOpen", with "#" comments
// (data/whois-limits.txt). Lines that cannot be read are passed over, each with a problem
// "<source> line N: ..." in `problems`.
QHash<QString, HostLimit> ParseLimitsTable(const QString &text, const QString &source,
                                           QStringList *problems = nullptr);

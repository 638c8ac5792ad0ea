#pragma once

#include <QtGlobal>

// How hard one whois host may be asked.
struct HostLimit
{
    double perSecond = 0; // queries started per second; 0: no spacing
    int maxOpen = 25;     // connections open at once

    friend bool operator==(const HostLimit &, const HostLimit &) = default;
};

// A pace a host learned in an earlier run, and how long ago.
struct RememberedPace
{
    HostLimit limit;
    qint64 ageMs = 0;
};

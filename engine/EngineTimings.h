#pragma once

#include "DnsPrecheck.h"
#include "platform/Clock.h"

// Timer periods and the clock they run on; tests shrink them or run them on a clock of their
// own, the tick counts stay.
struct EngineTimings
{
    int slotTickMs = 1000;
    int watchdogTickMs = 1000;
    // How long a new position may wait before it is stored, so that a fast run does not write
    // the settings file for every name.
    int positionWriteMs = 200;
    // A host that refused cools down this long at first, growing up to the cap.
    int coolDownBaseMs = 10000;
    int coolDownCapMs = 300000;
    // The engine's clock; none: the event loop's.
    Clock *clock = nullptr;
    // A DNS question's first try.
    int dnsTimeoutMs = DnsPrecheck::kTimeoutMs;
    // How long an idle connection waits for a name's DNS answer before it asks whois without
    // it: a slow resolver never holds whois back for longer.
    int dnsHeadStartMs = 250;
};

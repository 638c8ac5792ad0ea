#pragma once

#include "engine/CheckEngine.h"
#include "engine/HostPacer.h"

#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// The texts of the status bars during a run (the numbers the engine and the checkers report,
// in words). Panel 1 shows progress, panel 2 the open connections, panel 3 the connection in
// progress; the panels at rest are StatusPanels'.
namespace RunStatus {

// "12 of 5000"; nothing once the position has passed the total.
std::optional<QString> ProgressText(qint64 position, qint64 total);
// "Open: 25", or "Open: Closing connections..." once the position has passed the total.
QString OpenConnectionsText(qint64 position, qint64 total, int open);
// "Paced: 2", and a tooltip with a line for each host: "whois.nic.uk: 2.4 queries a second" or
// "whois.example.com: cooling down, 12 s left". Empty texts when no host is paced.
QString PacedText(const QList<HostPacer::Paced> &paced);
QString PacedToolTip(const QList<HostPacer::Paced> &paced);
// "DNS: 12 registered, 3 asked over whois", and a tooltip that adds the DNS failures.
QString DnsText(const CheckEngine::DnsCounts &counts);
QString DnsToolTip(const CheckEngine::DnsCounts &counts);

// "12.5 names/s, 4 min left": the speed, and the time left when it is known ("1 h 5 min",
// "40 s"); "0.0 names/s" before the first verdict.
QString SpeedText(double namesPerSecond, std::optional<qint64> secondsLeft);
// A duration as the status bar shows it: "40 s", "4 min", "1 h 5 min", "2 d 3 h".
QString DurationText(qint64 seconds);

// "No verdict: n", and its tooltip: where the names are kept (file), then the most frequent
// reasons with their counts. whose: "this search" or "this window".
QString NoVerdictText(int count);
// "  Held: n" while free names wait for a control query (nothing when none), and its tooltip.
QString HeldText(int held);
QString HeldToolTip(int held);
QString NoVerdictToolTip(int count, const QMap<QString, int> &reasons, const QString &file,
                         const QString &whose);

} // namespace RunStatus

#pragma once

#include "FailureReporter.h"
#include "RefilingGuard.h"
#include "RunRequest.h"
#include "platform/Clock.h"

#include <QObject>

#include <functional>
#include <memory>

// Stores where a run is to go on from: the first name without a verdict (a position, and of its
// line the extension reached), with the furthest line filed, under the request's resume key and
// the run-wide key. A fast run does not write the settings for every name: StoreSoon() waits
// writeMs; Store() writes at once. A position that cannot be stored is told once.
//
//     PositionKeeper keeper(store, guard, reporter, clock, 200, [&] { return ResumeOrdinal(); });
//     keeper.Begin(request);
//     keeper.StoreSoon();
class PositionKeeper : public QObject
{
    Q_OBJECT
public:
    using Store = std::function<bool(const QString &resumeKey, qint64 position, const FiledMark &filed, int extension)>;

    PositionKeeper(Store store, RefilingGuard &guard, FailureReporter &reporter, Clock &clock, int writeMs,
                   std::function<qint64()> resumeOrdinal, QObject *parent = nullptr);

    void Begin(const RunRequest &request);
    void StoreSoon();
    // Stores the ordinal given, or the run's resume ordinal of now.
    void StoreNow(std::optional<qint64> ordinal = std::nullopt);

private:
    Store m_store;
    RefilingGuard &m_guard;
    FailureReporter &m_reporter;
    std::unique_ptr<ClockTimer> m_timer;
    int m_writeMs;
    std::function<qint64()> m_resumeOrdinal;
    QString m_listPath;
    QString m_resumeKey;
    qint64 m_storedOrdinal = -1;   // the resume ordinal last stored...
    qint64 m_storedFiledUpTo = -1; // ...and the mark stored with it
};

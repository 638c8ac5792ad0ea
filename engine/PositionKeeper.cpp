#include "PositionKeeper.h"

PositionKeeper::PositionKeeper(Store store, RefilingGuard &guard, FailureReporter &reporter, Clock &clock,
                               int writeMs, std::function<qint64()> resumeOrdinal, QObject *parent)
    : QObject(parent), m_store(std::move(store)), m_guard(guard), m_reporter(reporter), m_timer(clock.MakeTimer()),
      m_writeMs(writeMs), m_resumeOrdinal(std::move(resumeOrdinal))
{
    connect(m_timer.get(), &ClockTimer::timeout, this, [this] { StoreNow(); });
}

void PositionKeeper::Begin(const RunRequest &request)
{
    m_timer->Stop();
    m_listPath = request.listPath;
    m_resumeKey = request.resumeKey;
    m_storedOrdinal = m_storedFiledUpTo = -1;
}

void PositionKeeper::StoreSoon()
{
    if (!m_timer->isActive())
        m_timer->Start(m_writeMs);
}

void PositionKeeper::StoreNow(std::optional<qint64> at)
{
    m_timer->Stop();
    if (m_listPath.isEmpty())
        return;
    const qint64 ordinal = at.value_or(m_resumeOrdinal());
    const qint64 position = Ordinal::LineOf(ordinal);
    if (ordinal == m_storedOrdinal && m_guard.filedUpTo() == m_storedFiledUpTo)
        return;
    if (!m_store(m_resumeKey, position, {m_listPath, m_guard.filedUpTo()}, Ordinal::ExtensionOf(ordinal))) {
        m_reporter.Report(FailureReporter::Failure::Position,
                          QStringLiteral("The position reached (%1) could not be stored in the settings, so a later "
                                         "search of this list may not continue there.")
                              .arg(position));
        return;
    }
    m_storedOrdinal = ordinal;
    m_storedFiledUpTo = m_guard.filedUpTo();
    m_guard.PositionStored(ordinal);
}

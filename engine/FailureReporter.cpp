#include "FailureReporter.h"

QString FailureReporter::TitleOf(Failure failure)
{
    switch (failure) {
    case Failure::Position:
    case Failure::Paces:
        return QStringLiteral("Settings");
    case Failure::ProfileFile:
    case Failure::OverflowFile:
    case Failure::UncheckedFile:
    case Failure::FiledJournal:
        break;
    }
    return QStringLiteral("Result files");
}

void FailureReporter::Report(Failure failure, const QString &text)
{
    if (m_told.contains(failure))
        return;
    m_told.insert(failure);
    if (m_tell)
        m_tell(TitleOf(failure), text);
}

#include "ListReader.h"

#include "NameCheck.h"
#include "RefilingGuard.h"
#include "sources/CandidateFile.h"

#include <QFileInfo>

void ListReader::Begin(const RunRequest &request)
{
    m_request = request;
    m_nextLine = request.firstPosition;
    m_ended = false;
}

ListReader::Read ListReader::ReadMore(const NameCheck &check, const RefilingGuard &guard,
                                      const std::function<bool(WaitingName)> &add, QString *error)
{
    const QString path = m_request.listPath;
    const QString shown = QFileInfo(path).absoluteFilePath();
    const std::optional<CandidateFile::Batch> batch = m_candidates.ReadCandidates(path, m_nextLine, kBatch);
    if (!batch) {
        *error = QStringLiteral("The list \"%1\" cannot be read any more.").arg(shown);
        return Read::Failed;
    }
    if (batch->atEnd && m_nextLine > m_candidates.CountCandidates(path) + 1) {
        *error = QStringLiteral("The list \"%1\" became shorter while it was checked: it now ends before "
                                "position %2, where the search had got to.")
                     .arg(shown)
                     .arg(m_nextLine);
        return Read::Failed;
    }
    m_ended = batch->atEnd;
    for (const QString &line : batch->lines) {
        const NameCheck::LineNames names = check.NamesOfLine(line);
        if (names.endOfList) {
            m_ended = true;
            break;
        }
        const qint64 lineNumber = m_nextLine++;
        for (qsizetype e = 0; e < names.names.size(); ++e) {
            if (lineNumber == m_request.firstPosition && e < m_request.firstExtension)
                continue; // asked before the run that this one resumes stopped
            CheckedName checked = check.Prepare(names.names.at(e));
            if (guard.FiledBefore(checked.name, lineNumber))
                continue; // an earlier run filed it after the position it stored: it is done
            if (!add({std::move(checked), Ordinal::Of(lineNumber, e)}))
                return Read::Stopped;
        }
    }
    if (m_ended && batch->lines.isEmpty())
        return Read::Ended;
    return Read::More;
}

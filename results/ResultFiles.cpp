#include "ResultFiles.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QByteArray EncodeLines(const QStringList &items, qsizetype from, qsizetype to)
{
    QString text;
    for (qsizetype i = from; i < to; ++i)
        text += items.at(i) + kCrLf;
    return TextFile::Encode(text);
}

size_t IndexOfProfileList(ResultList list)
{
    const auto &lists = ResultFiles::kProfileLists;
    return static_cast<size_t>(std::find(lists.begin(), lists.end(), list) - lists.begin());
}

} // namespace

ResultFiles::ResultFiles(AppFolder folder, Clock clock)
    : m_folder(std::move(folder)), m_clock(std::move(clock))
{
}

QString ResultFiles::ProfileBaseName(ResultList list)
{
    switch (list) {
    case ResultList::Low:
        return QStringLiteral("LowProfile");
    case ResultList::Mid:
        return QStringLiteral("HighProfile");
    case ResultList::High:
        return QStringLiteral("SuperHighProfile");
    case ResultList::Registered:
    case ResultList::Saved:
        break;
    }
    return QString();
}

QString ResultFiles::MakeStamp() const
{
    return m_clock().toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString ResultFiles::ProfileFilePath(ResultList list) const
{
    return m_folder.Join(QLatin1Char('/') + ProfileBaseName(list) + m_fileStamp + QStringLiteral(".txt"));
}

QString ResultFiles::OverflowFilePath(ResultList list) const
{
    return m_folder.Join(QStringLiteral("\\overflow\\") + ProfileBaseName(list) + m_fileStamp +
                         QStringLiteral(".txt"));
}

QString ResultFiles::MarkerFilePath(const QString &baseName) const
{
    return m_folder.Join(QStringLiteral("\\backups\\") + baseName + m_fileStamp + QStringLiteral(".txt"));
}

bool ResultFiles::WriteList(const ResultLists &lists, ResultList list, const QString &path,
                            WrittenFile *state, AppendingFile *file)
{
    const QStringList items = lists.items(list);
    const quint64 serial = lists.editSerial(list);
    const bool inStep = state && state->path == path && state->editSerial == serial;
    // A list with nothing new leaves its file alone; the others are checked on disk first.
    if (inStep && state->itemCount == items.size() && state->bytes >= 0)
        return true;
    if (file)
        file->setPath(path);
    if (inStep && file && state->itemCount < items.size() && state->bytes >= 0) {
        const QByteArray added = EncodeLines(items, state->itemCount, items.size());
        switch (file->AppendAt(state->bytes, added)) {
        case AppendingFile::Appended::Written:
            state->itemCount = static_cast<int>(items.size());
            state->bytes += added.size();
            return true;
        case AppendingFile::Appended::Failed:
            // The file holds what it held before; whether the cut-back worked or not, the next
            // write rewrites it whole.
            state->bytes = -1;
            m_lastFailedPath = path;
            return false;
        case AppendingFile::Appended::OtherSize:
            break; // changed on disk: written whole below
        }
    }
    // Encoded a block of names at a time: a full list is never held twice over in memory.
    qint64 size = 0;
    const bool written = TextFile::WriteChunks(path, [&, next = qsizetype(0)]() mutable {
        const qsizetype end = std::min(next + 1024, items.size());
        QByteArray block = EncodeLines(items, next, end);
        next = end;
        size += block.size();
        return block;
    });
    if (!written)
        m_lastFailedPath = path;
    if (state)
        *state = written ? WrittenFile{.path = path,
                                       .stamp = QString(),
                                       .editSerial = serial,
                                       .itemCount = static_cast<int>(items.size()),
                                       .bytes = size}
                         : WrittenFile{};
    return written;
}

bool ResultFiles::SecureLeftoverFiles()
{
    if (m_leftoversSecured || !m_fileStamp.isEmpty())
        return true;
    const QString stamp = MakeStamp();
    const QString backups = m_folder.Join(QStringLiteral("\\backups"));
    for (const ResultList list : kProfileLists) {
        const QString path = ProfileFilePath(list);
        if (QFileInfo(path).size() <= 0)
            continue;
        QString target = backups + QLatin1Char('/') + ProfileBaseName(list) + stamp + QStringLiteral(".txt");
        for (int n = 2; QFile::exists(target); ++n) {
            target = backups + QLatin1Char('/') + ProfileBaseName(list) + stamp + QLatin1Char('-') +
                     QString::number(n) + QStringLiteral(".txt");
        }
        const std::optional<QByteArray> bytes = TextFile::ReadBytes(path);
        if (!bytes || !QDir().mkpath(backups) || !TextFile::WriteBytes(target, *bytes)) {
            m_lastFailedPath = path;
            return false;
        }
    }
    m_leftoversSecured = true;
    return true;
}

bool ResultFiles::SaveProfileLists(const ResultLists &lists)
{
    if (!SecureLeftoverFiles())
        return false; // an earlier run's results are never overwritten before they are safe
    bool allWritten = true;
    for (const ResultList list : kProfileLists) {
        WrittenFile &state = m_written.at(IndexOfProfileList(list));
        // A file this object wrote keeps its path until the stamp changes; it is not looked up
        // again for every name.
        const QString path =
            state.stamp == m_fileStamp && !state.path.isEmpty() ? state.path : ProfileFilePath(list);
        allWritten = WriteList(lists, list, path, &state, &m_appending.at(IndexOfProfileList(list))) && allWritten;
        state.stamp = m_fileStamp;
    }
    return allWritten;
}

bool ResultFiles::WriteOverflowFiles(const ResultLists &lists)
{
    bool allWritten = true;
    for (const ResultList list : kProfileLists)
        allWritten = WriteList(lists, list, OverflowFilePath(list), nullptr, nullptr) && allWritten;
    return allWritten;
}

void ResultFiles::ResetProfileLists(ResultLists &lists)
{
    for (const ResultList list : {ResultList::Low, ResultList::Registered, ResultList::High, ResultList::Mid})
        lists.Empty(list);
    RenewFileStamp();
}

void ResultFiles::RenewFileStamp()
{
    QString stamp = MakeStamp();
    // Two overflows within one second must not share a stamp: the second would overwrite the
    // first one's overflow files.
    if (stamp == m_fileStamp || m_fileStamp.startsWith(stamp + QLatin1Char('-'))) {
        const int previous = m_fileStamp.section(QLatin1Char('-'), 1).toInt();
        stamp += QLatin1Char('-') + QString::number(std::max(previous, 1) + 1);
    }
    m_fileStamp = stamp;
    const QString marker = QStringLiteral(" \r\n");
    TextFile::Append(MarkerFilePath(QStringLiteral("HighProfile")), marker);
    TextFile::Append(MarkerFilePath(QStringLiteral("MidProfile")), marker);
    TextFile::Append(MarkerFilePath(QStringLiteral("HighProfile")), marker);
}

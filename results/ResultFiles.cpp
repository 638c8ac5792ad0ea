#include "ResultFiles.h"

#include "ResultLists.h"
#include "platform/TextFile.h"
#include "xcopyFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QByteArray EncodeLines(const QStringList &items, qsizetype from)
{
    QString text;
    for (qsizetype i = from; i < items.size(); ++i)
        text += items.at(i) + kCrLf;
    return TextFile::Encode(text);
}

int IndexOfProfileList(int list)
{
    const auto &lists = ResultFiles::kProfileLists;
    return static_cast<int>(std::find(lists.begin(), lists.end(), list) - lists.begin());
}

} // namespace

ResultFiles::ResultFiles(AppFolder folder, Clock clock)
    : m_folder(std::move(folder)), m_clock(std::move(clock))
{
}

QString ResultFiles::ProfileBaseName(int list)
{
    switch (list) {
    case ResultLists::Low:
        return QStringLiteral("LowProfile");
    case ResultLists::Mid:
        return QStringLiteral("HighProfile");
    case ResultLists::High:
        return QStringLiteral("SuperHighProfile");
    }
    return QString();
}

QString ResultFiles::MakeStamp() const
{
    return m_clock().toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString ResultFiles::ProfileFilePath(int list) const
{
    return m_folder.Join(QLatin1Char('/') + ProfileBaseName(list) + m_fileStamp + QStringLiteral(".txt"));
}

QString ResultFiles::OverflowFilePath(int list) const
{
    return m_folder.Join(QStringLiteral("\\overflow\\") + ProfileBaseName(list) + m_fileStamp +
                         QStringLiteral(".txt"));
}

QString ResultFiles::MarkerFilePath(const QString &baseName) const
{
    return m_folder.Join(QStringLiteral("\\backups\\") + baseName + m_fileStamp + QStringLiteral(".txt"));
}

bool ResultFiles::WriteList(const ResultLists &lists, int list, const QString &path, WrittenFile *state) const
{
    const QStringList items = lists.items(list);
    const quint64 serial = lists.editSerial(list);
    const bool inStep = state && state->path == path && state->editSerial == serial;
    // A list with nothing new leaves its file alone; the others are checked on disk first.
    if (inStep && state->itemCount == items.size() && state->bytes >= 0)
        return true;
    if (inStep && state->itemCount < items.size() && QFileInfo(path).size() == state->bytes) {
        const QByteArray added = EncodeLines(items, state->itemCount);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(added) != added.size()) {
            state->bytes = -1; // the file is in an unknown state now: rewrite it next time
            return false;
        }
        state->itemCount = static_cast<int>(items.size());
        state->bytes += added.size();
        return true;
    }
    const QByteArray bytes = EncodeLines(items, 0);
    const bool written = TextFile::WriteBytes(path, bytes);
    if (state)
        *state = written ? WrittenFile{.path = path,
                                       .stamp = QString(),
                                       .editSerial = serial,
                                       .itemCount = static_cast<int>(items.size()),
                                       .bytes = bytes.size()}
                         : WrittenFile{};
    return written;
}

void ResultFiles::SecureLeftoverFiles()
{
    m_leftoversSecured = true;
    if (!m_fileStamp.isEmpty())
        return;
    const QString stamp = MakeStamp();
    for (const int list : kProfileLists) {
        const QString path = ProfileFilePath(list);
        if (QFileInfo(path).size() <= 0)
            continue;
        QString target = m_folder.Join(QStringLiteral("\\backups\\") + ProfileBaseName(list) + stamp +
                                       QStringLiteral(".txt"));
        for (int n = 2; QFile::exists(target); ++n) {
            target = m_folder.Join(QStringLiteral("\\backups\\") + ProfileBaseName(list) + stamp +
                                   QLatin1Char('-') + QString::number(n) + QStringLiteral(".txt"));
        }
        xcopyFile(path, target);
    }
}

bool ResultFiles::SaveProfileLists(const ResultLists &lists)
{
    if (!m_leftoversSecured)
        SecureLeftoverFiles();
    bool allWritten = true;
    for (const int list : kProfileLists) {
        WrittenFile &state = m_written.at(IndexOfProfileList(list));
        // A file this object wrote keeps its path until the stamp changes; it is not looked up
        // again for every name.
        const QString path =
            state.stamp == m_fileStamp && !state.path.isEmpty() ? state.path : ProfileFilePath(list);
        allWritten = WriteList(lists, list, path, &state) && allWritten;
        state.stamp = m_fileStamp;
    }
    return allWritten;
}

bool ResultFiles::WriteOverflowFiles(const ResultLists &lists) const
{
    bool allWritten = true;
    for (const int list : kProfileLists)
        allWritten = WriteList(lists, list, OverflowFilePath(list), nullptr) && allWritten;
    return allWritten;
}

void ResultFiles::ResetProfileLists(ResultLists &lists)
{
    for (const int list : {ResultLists::Low, ResultLists::Registered, ResultLists::High, ResultLists::Mid})
        lists.Empty(list);
    lists.ResetCounters();
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

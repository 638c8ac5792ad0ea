#include "AppendingFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void AppendingFile::setPath(const QString &path)
{
    if (path == m_path && !path.isNull())
        return;
    Close();
    m_path = path;
    m_encodedPath = QFile::encodeName(path);
}

void AppendingFile::Close()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

bool AppendingFile::HoldsPath(qint64 *size)
{
    struct stat info = {};
    if (::stat(m_encodedPath.constData(), &info) != 0) {
        *size = -1;
        return false;
    }
    *size = static_cast<qint64>(info.st_size);
    return m_descriptor >= 0 && info.st_dev == m_device && info.st_ino == m_inode;
}

bool AppendingFile::Append(const QByteArray &bytes)
{
    qint64 before = -1;
    const bool held = HoldsPath(&before);
    return Write(bytes, held, before);
}

AppendingFile::Appended AppendingFile::AppendAt(qint64 size, const QByteArray &bytes)
{
    qint64 before = -1;
    const bool held = HoldsPath(&before);
    if (!held)
        Close();
    if (before != size)
        return Appended::OtherSize;
    return Write(bytes, held, before) ? Appended::Written : Appended::Failed;
}

bool AppendingFile::Write(const QByteArray &bytes, bool held, qint64 before)
{
    if (!held) {
        Close();
        m_descriptor = ::open(m_encodedPath.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        struct stat info = {};
        if (m_descriptor < 0 || ::fstat(m_descriptor, &info) != 0) {
            Close();
            return false;
        }
        m_device = info.st_dev;
        m_inode = info.st_ino;
        before = static_cast<qint64>(info.st_size);
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t sent = ::write(m_descriptor, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            // Cut back to what the file held: no torn line is left for the next reader.
            [[maybe_unused]] const int cut = ::ftruncate(m_descriptor, before);
            Close();
            return false;
        }
        written += sent;
    }
    return true;
}

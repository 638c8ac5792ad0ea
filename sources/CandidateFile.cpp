#include "CandidateFile.h"

#include "platform/TextFile.h"

#include <QFile>
#include <QStringDecoder>

#include <sys/stat.h>

const QString CandidateFile::kEndMarker = QStringLiteral("endoffileffile");

std::optional<CandidateFile::FileIdentity> CandidateFile::Identify(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileIdentity{static_cast<qint64>(info.st_dev), static_cast<qint64>(info.st_ino),
                        static_cast<qint64>(info.st_size),
                        static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool CandidateFile::Refresh(const QString &path)
{
    const std::optional<FileIdentity> identity = Identify(path);
    if (!identity) {
        m_path.clear();
        return false;
    }
    if (path == m_path && *identity == m_identity)
        return true;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_path.clear();
        return false;
    }
    m_offsets.clear();
    m_lengths.clear();
    QStringDecoder utf8(QStringConverter::Utf8);
    qint64 lineStart = 0;
    qint64 offset = 0;
    bool previousWasCr = false;
    const auto endLine = [&](qint64 end) {
        if (end > lineStart) {
            m_offsets.push_back(lineStart);
            m_lengths.push_back(static_cast<quint32>(end - lineStart));
        }
    };
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 20);
        if (chunk.isEmpty())
            break;
        const QString decoded = utf8.decode(chunk); // validates; a sequence may span two chunks
        for (qsizetype i = 0; i < chunk.size(); ++i, ++offset) {
            const char c = chunk.at(i);
            if (c == '\n' && previousWasCr) {
                lineStart = offset + 1; // the LF of a CR LF pair
            } else if (c == '\r' || c == '\n') {
                endLine(offset);
                lineStart = offset + 1;
            }
            previousWasCr = (c == '\r');
        }
    }
    endLine(offset);
    // A sequence cut off by the end of the file is held back by the decoder, not counted as an
    // error; a line break after it makes it one.
    const QString tail = utf8.decode(QByteArrayView("\n", 1)); // decode() works when converted
    Q_UNUSED(tail);
    m_isUtf8 = !utf8.hasError();
    // A byte-order mark belongs to no line.
    if (!m_offsets.empty() && m_offsets.front() == 0) {
        file.seek(0);
        if (file.read(3) == QByteArray("\xEF\xBB\xBF")) {
            m_offsets.front() = 3;
            m_lengths.front() -= 3;
            if (m_lengths.front() == 0) {
                m_offsets.erase(m_offsets.begin());
                m_lengths.erase(m_lengths.begin());
            }
        }
    }
    m_path = path;
    m_identity = *identity;
    return true;
}

bool CandidateFile::Write(const QString &path, const QStringList &names, Spacing spacing)
{
    const QString separator =
        spacing == Spacing::BlankLineAfterEach ? QStringLiteral("\r\n\r\n") : QStringLiteral("\r\n");
    QString text;
    for (const QString &name : names)
        text += name + separator;
    if (spacing == Spacing::BlankLineAtEnd)
        text += QStringLiteral("\r\n");
    return TextFile::WriteAll(path, text);
}

qint64 CandidateFile::CountCandidates(const QString &path)
{
    return Refresh(path) ? static_cast<qint64>(m_offsets.size()) : 0;
}

std::optional<QString> CandidateFile::ReadCandidate(const QString &path, qint64 position)
{
    const std::optional<Batch> batch = ReadCandidates(path, position, 1);
    if (!batch || batch->lines.isEmpty())
        return std::nullopt;
    return batch->lines.first();
}

std::optional<CandidateFile::Batch> CandidateFile::ReadCandidates(const QString &path, qint64 first,
                                                                  int count)
{
    if (!Refresh(path))
        return std::nullopt;
    Batch batch;
    QFile file(path);
    const auto entries = static_cast<qint64>(m_offsets.size());
    for (qint64 position = first; position < first + count; ++position) {
        if (position < 1) {
            batch.lines.append(QString());
            continue;
        }
        if (position > entries) {
            batch.atEnd = true;
            break;
        }
        if (!file.isOpen() && !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        std::optional<QString> candidate = ReadIndexed(file, position);
        if (!candidate)
            return std::nullopt;
        batch.lines.append(std::move(*candidate));
    }
    return batch;
}

std::optional<QString> CandidateFile::ReadIndexed(QFile &file, qint64 position)
{
    if (!file.seek(m_offsets[position - 1]))
        return std::nullopt;
    const QByteArray line = file.read(m_lengths[position - 1]);
    if (line.size() != static_cast<qsizetype>(m_lengths[position - 1])) {
        m_path.clear(); // the file shrank under us: the next read rebuilds the index
        return std::nullopt;
    }
    if (!m_isUtf8)
        return TextFile::DecodeWindows1252(line);
    // A byte-order mark at the start of a line within the file is a character of that line, as
    // it is when the whole file is read; fromUtf8() would drop it.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(line);
}

#include "CandidateFile.h"

#include "platform/TextFile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

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

CandidateFile::Encoding CandidateFile::EncodingOf(QFile &file)
{
    const QByteArray head = file.peek(3);
    if (head.startsWith("\xFF\xFE"))
        return Encoding::Utf16Le;
    if (head.startsWith("\xFE\xFF"))
        return Encoding::Utf16Be;
    return Encoding::Bytes;
}

bool CandidateFile::Refresh(const QString &path)
{
    const std::optional<FileIdentity> identity = Identify(path);
    if (!identity) {
        m_path.clear();
        m_problem = QStringLiteral("there is no such file");
        return false;
    }
    if (path == m_path && *identity == m_identity)
        return true;
    m_path.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_problem = QStringLiteral("it cannot be opened");
        return false;
    }
    if (!BuildIndex(file))
        return false;
    m_problem.clear();
    m_path = path;
    m_identity = *identity;
    return true;
}

template <typename OnLine>
bool CandidateFile::ScanLines(QFile &file, qint64 offset, OnLine &&onLine) const
{
    // Lines end at CR LF, LF or CR: bytes in a file of bytes (UTF-8 or Windows-1252, decided line
    // by line), 16-bit units in UTF-16.
    const qint64 unit = m_encoding == Encoding::Bytes ? 1 : 2;
    if (!file.seek(offset))
        return true;
    qint64 lineStart = offset;
    bool previousWasCr = false;
    bool wanted = true;
    const auto endLine = [&](qint64 end) {
        // Only as much of a line is ever read as the longest line a name may come from.
        if (end > lineStart)
            wanted = onLine(LineSpan{lineStart, static_cast<quint32>(std::min(end - lineStart, kMostBytesRead))});
    };
    while (wanted && !file.atEnd()) {
        const QByteArray chunk = file.read(kScanBytes);
        if (chunk.isEmpty())
            break;
        for (qsizetype i = 0; wanted && i + unit <= chunk.size(); i += unit, offset += unit) {
            if (unit == 1) {
                // A file of bytes: the bytes that neither end a line nor are NUL are passed over
                // in one step.
                const char *const from = chunk.constData() + i;
                const char *const to = chunk.constData() + chunk.size();
                const qsizetype plain =
                    std::find_if(from, to, [](char b) { return b == '\r' || b == '\n' || b == '\0'; }) - from;
                if (plain > 0) {
                    previousWasCr = false;
                    i += plain;
                    offset += plain;
                    if (i == chunk.size())
                        break;
                }
            }
            const char16_t c = unit == 1 ? static_cast<unsigned char>(chunk.at(i))
                               : m_encoding == Encoding::Utf16Le
                                   ? static_cast<char16_t>(static_cast<unsigned char>(chunk.at(i)) |
                                                           static_cast<unsigned char>(chunk.at(i + 1)) << 8)
                                   : static_cast<char16_t>(static_cast<unsigned char>(chunk.at(i)) << 8 |
                                                           static_cast<unsigned char>(chunk.at(i + 1)));
            if (c == 0 && offset < kBinaryCheckBytes) {
                // A list is text: NUL characters near its start make it something else. One
                // further on is a character of its line, which no name may hold.
                return false;
            }
            if (c == u'\n' && previousWasCr) {
                lineStart = offset + unit; // the LF of a CR LF pair
            } else if (c == u'\r' || c == u'\n') {
                endLine(offset);
                lineStart = offset + unit;
            }
            previousWasCr = (c == u'\r');
        }
    }
    if (wanted)
        endLine(offset);
    return true;
}

bool CandidateFile::BuildIndex(QFile &file)
{
    m_lineCount = 0;
    m_blockOffsets.clear();
    m_keptBlock = -1;
    m_keptSpans.clear();
    m_encoding = EncodingOf(file);
    // A byte-order mark belongs to no line.
    const qint64 start =
        m_encoding != Encoding::Bytes ? 2 : (file.peek(3) == QByteArray("\xEF\xBB\xBF") ? 3 : 0);
    const bool text = ScanLines(file, start, [this](LineSpan span) {
        if (m_lineCount % kBlockLines == 0)
            m_blockOffsets.push_back(span.offset);
        ++m_lineCount;
        return true;
    });
    if (!text) {
        m_problem = QStringLiteral("it is not a text file");
        m_lineCount = 0;
        m_blockOffsets.clear();
    }
    return text;
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
    return Refresh(path) ? m_lineCount : 0;
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
    ReadWindow window;
    const qint64 entries = m_lineCount;
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
        std::optional<QString> candidate = ReadIndexed(file, position, window);
        if (!candidate)
            return std::nullopt;
        batch.lines.append(std::move(*candidate));
    }
    return batch;
}

const CandidateFile::LineSpan *CandidateFile::SpanOf(QFile &file, qint64 position)
{
    const qint64 block = (position - 1) / kBlockLines;
    if (block != m_keptBlock) {
        m_keptBlock = -1;
        m_keptSpans.clear();
        m_keptSpans.reserve(static_cast<size_t>(kBlockLines));
        ScanLines(file, m_blockOffsets[static_cast<size_t>(block)], [this](LineSpan span) {
            m_keptSpans.push_back(span);
            return m_keptSpans.size() < static_cast<size_t>(kBlockLines);
        });
        m_keptBlock = block;
    }
    const auto index = static_cast<size_t>((position - 1) % kBlockLines);
    return index < m_keptSpans.size() ? &m_keptSpans[index] : nullptr;
}

std::optional<QString> CandidateFile::ReadIndexed(QFile &file, qint64 position, ReadWindow &window)
{
    const LineSpan *span = SpanOf(file, position);
    if (span && (span->offset < window.start || span->offset + span->length > window.start + window.bytes.size())) {
        // Lines that follow each other are read together: one read for many of them.
        window.start = span->offset;
        window.bytes = file.seek(span->offset) ? file.read(std::max<qint64>(span->length, kWindowBytes)) : QByteArray();
    }
    const qint64 from = span ? span->offset - window.start : 0;
    const qint64 available = std::max<qint64>(0, window.bytes.size() - from);
    const QByteArrayView line =
        span ? QByteArrayView(window.bytes).sliced(from, std::min<qint64>(span->length, available)) : QByteArrayView();
    if (!span || line.size() != static_cast<qsizetype>(span->length)) {
        m_path.clear(); // the file shrank under us: the next read rebuilds the index
        return std::nullopt;
    }
    switch (m_encoding) {
    case Encoding::Utf16Le:
        return QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::ConvertInitialBom).decode(line);
    case Encoding::Utf16Be:
        return QStringDecoder(QStringConverter::Utf16BE, QStringConverter::Flag::ConvertInitialBom).decode(line);
    case Encoding::Bytes:
        break;
    }
    // A line cut at kMostBytesRead may end inside a character: that is no reason to read it as
    // Windows-1252.
    return TextFile::DecodeLine(line, line.size() == kMostBytesRead);
}

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

#include <optional>
#include <vector>

// A candidate list file: one candidate per line; empty lines are no entry. Positions count the
// non-empty lines from 1. The reader reports the end of the file beside the lines it read; a line
// that reads "endoffileffile" once cleaned ends a run there too (the run checks it).
//
// Reading position n does not rescan the file: an index of where every kBlockLines-th non-empty
// line starts is built once and rebuilt whenever the file changes on disk (size, time or
// identity); a read scans at most one block from there, and the lines of the block last read are
// kept. A run over a long list costs the same per name at its end as at its start, and the index
// stays small however long the list. The file is still opened afresh for every read; nothing
// stays open between calls.
//
// A file with a UTF-16 byte-order mark (little or big endian) is read as UTF-16; any other as
// UTF-8 (with or without a mark), line by line, and a line that is not valid UTF-8 as
// Windows-1252, so one odd line does not garble the others. A file with NUL characters near its
// start (a picture, a program) is not a list. Of a line, at most kMostBytesRead bytes are ever read: more than a name may come from,
// so that a longer line is still refused, and an endless line costs no memory.
class CandidateFile
{
public:
    // The text of a line that ends a run where it stands.
    static const QString kEndMarker;

    // How a list file spaces its entries when the program writes it.
    enum class Spacing
    {
        BlankLineAfterEach, // every name followed by an empty line
        BlankLineAtEnd      // the names, then one empty line
    };
    // Writes a list (atomically). Every list the program writes ends with an empty line.
    static bool Write(const QString &path, const QStringList &names, Spacing spacing);

    // The number of non-empty lines; 0 for a file that cannot be read.
    qint64 CountCandidates(const QString &path);
    // Whether the file can be read as a list; if not, problem() says why ("it is not a text
    // file").
    bool IsReadable(const QString &path) { return Refresh(path); }
    const QString &problem() const { return m_problem; }

    // More than the longest line a name may come from (4,096 characters), in any encoding.
    static constexpr qint64 kMostBytesRead = (4096 + 1) * 4;
    // A NUL character within this many bytes of the start makes a file no list.
    static constexpr qint64 kBinaryCheckBytes = 64 * 1024;
    // Lines between two entries of the index.
    static constexpr qint64 kBlockLines = 512;

    // The lines at positions first, first + 1, ... (count of them), read with one opening of the
    // file. A position below 1 reads as an empty name. atEnd is set when the file holds no line
    // at a position asked for; the lines stop there.
    struct Batch
    {
        QStringList lines;
        bool atEnd = false;
    };
    // Nothing when the file cannot be read.
    std::optional<Batch> ReadCandidates(const QString &path, qint64 first, int count);

    // The line at one position; nothing past the end or when the file cannot be read.
    std::optional<QString> ReadCandidate(const QString &path, qint64 position);

private:
    struct FileIdentity
    {
        qint64 device = -1;
        qint64 inode = -1;
        qint64 size = -1;
        qint64 modifiedNs = -1;
        friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
    };

    enum class Encoding
    {
        Bytes, // UTF-8 or Windows-1252, line by line
        Utf16Le,
        Utf16Be
    };
    // Where a non-empty line starts in the file, and how many of its bytes are read.
    struct LineSpan
    {
        qint64 offset = 0;
        quint32 length = 0;
    };
    static Encoding EncodingOf(QFile &file);
    static std::optional<FileIdentity> Identify(const QString &path);
    bool Refresh(const QString &path);
    // Calls onLine(span) for each non-empty line from `offset` (the start of a line) on, until
    // it returns false or the file ends. False when the file is no text (a NUL near its start).
    template <typename OnLine>
    bool ScanLines(QFile &file, qint64 offset, OnLine &&onLine) const;
    static constexpr qint64 kScanBytes = 64 * 1024; // read at a time while scanning
    // Indexes the lines of the file; false (with problem()) when it is no text.
    bool BuildIndex(QFile &file);
    // The spans of the block that holds this position, read when it is not the one kept.
    const LineSpan *SpanOf(QFile &file, qint64 position);
    // Bytes of the file read ahead for the lines that follow.
    struct ReadWindow
    {
        qint64 start = 0;
        QByteArray bytes;
    };
    static constexpr qint64 kWindowBytes = 8 * 1024;
    std::optional<QString> ReadIndexed(QFile &file, qint64 position, ReadWindow &window);

    QString m_path;
    FileIdentity m_identity;
    Encoding m_encoding = Encoding::Bytes;
    QString m_problem;
    qint64 m_lineCount = 0;
    std::vector<qint64> m_blockOffsets; // of lines 1, 1 + kBlockLines, 1 + 2 * kBlockLines, ...
    qint64 m_keptBlock = -1;
    std::vector<LineSpan> m_keptSpans; // of the lines of block m_keptBlock
};

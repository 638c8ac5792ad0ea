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
// Reading position n does not rescan the file: an index of the non-empty lines' offsets is
// built once and rebuilt whenever the file changes on disk (size, time or identity), so a run
// over a long list costs the same per name at its end as at its start. The file is still
// opened afresh for every read; nothing stays open between calls.
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
    // Whether the file can be read as a list.
    bool IsReadable(const QString &path) { return Refresh(path); }

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

    static std::optional<FileIdentity> Identify(const QString &path);
    bool Refresh(const QString &path);
    std::optional<QString> ReadIndexed(QFile &file, qint64 position);

    QString m_path;
    FileIdentity m_identity;
    bool m_isUtf8 = true;
    std::vector<qint64> m_offsets;
    std::vector<quint32> m_lengths;
};

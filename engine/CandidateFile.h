#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

#include <optional>
#include <vector>

// A candidate list file: one candidate per line; empty lines are no entry. Positions count the
// non-empty lines from 1.
//
// Reading position n does not rescan the file: an index of the non-empty lines' offsets is
// built once and rebuilt whenever the file changes on disk (size, time or identity), so a run
// over a long list costs the same per name at its end as at its start. The file is still
// opened afresh for every read; nothing stays open between calls.
class CandidateFile
{
public:
    // What the reader returns when the list holds no line at the position asked for.
    static const QString kEndMarker;

    // The number of non-empty lines; 0 for a file that cannot be read.
    int CountCandidates(const QString &path);

    // The position-th non-empty line, the end marker past the last one, and an empty name for a
    // position below 1. Nothing when the file cannot be read.
    std::optional<QString> ReadCandidate(const QString &path, int position);

    // The candidates at positions first, first + 1, ... (count of them), read with one opening
    // of the file; the list ends early with the end marker when the file ends.
    std::optional<QStringList> ReadCandidates(const QString &path, int first, int count);

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
    std::optional<QString> ReadIndexed(QFile &file, int position);

    QString m_path;
    FileIdentity m_identity;
    bool m_isUtf8 = true;
    std::vector<qint64> m_offsets;
    std::vector<quint32> m_lengths;
};

#pragma once

#include "platform/AppFolder.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

class ResultLists;

// The files that keep the three profile lists on disk.
//
// After every free name the three lists are written to "LowProfile<stamp>.txt",
// "HighProfile<stamp>.txt" (the Mid list) and "SuperHighProfile<stamp>.txt" (the High list) in
// the application folder; the odd names are those of files users already have. When a list
// reaches 20000 names the lists go to the "overflow" folder, are emptied, and a new stamp
// starts a new set of files. The stamp is empty until the first overflow.
//
// Writing is incremental: when a file already holds the earlier content of its list, only the
// new names are appended. The bytes on disk are the same as a full rewrite would give.
class ResultFiles
{
public:
    using Clock = std::function<QDateTime()>;

    explicit ResultFiles(AppFolder folder, Clock clock = &QDateTime::currentDateTime);

    const QString &FileStamp() const { return m_fileStamp; }
    // A stamp made of the current date and time, without "/", ":" or " ".
    QString MakeStamp() const;

    QString ProfileFilePath(int list) const;
    QString OverflowFilePath(int list) const;
    QString MarkerFilePath(const QString &baseName) const;

    // Writes the three profile lists to the files of the current stamp. The first call of a
    // program run first copies non-empty unstamped files of an earlier run into "backups".
    bool SaveProfileLists(const ResultLists &lists);
    // Writes the three profile lists to the overflow files of the current stamp.
    bool WriteOverflowFiles(const ResultLists &lists) const;
    // Empties the Low, Registered, High and Mid lists, zeroes the counters (headings keep their
    // text) and starts a new stamp.
    void ResetProfileLists(ResultLists &lists);
    // Sets a new stamp and writes the marker files of the backups folder.
    void RenewFileStamp();

    // Profile lists in the order their files are written: Low, Mid, High.
    static constexpr std::array<int, 3> kProfileLists = {1, 4, 3};
    static QString ProfileBaseName(int list);

private:
    struct WrittenFile
    {
        QString path;
        QString stamp;
        quint64 editSerial = 0;
        int itemCount = 0;
        qint64 bytes = -1;
    };

    bool WriteList(const ResultLists &lists, int list, const QString &path, WrittenFile *state) const;
    void SecureLeftoverFiles();

    AppFolder m_folder;
    Clock m_clock;
    QString m_fileStamp;
    bool m_leftoversSecured = false;
    std::array<WrittenFile, 3> m_written;
};

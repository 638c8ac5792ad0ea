#pragma once

#include "ResultLists.h"
#include "platform/AppFolder.h"
#include "platform/AppendingFile.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

// The files that keep the three profile lists on disk.
//
// After every free name the three lists are written to "LowProfile<stamp>.txt",
// "HighProfile<stamp>.txt" (the Mid list) and "SuperHighProfile<stamp>.txt" (the High list) in
// the application folder; the odd names are those of files users already have. When a list
// reaches 20000 names the lists go to the "overflow" folder, are emptied, and a new stamp
// starts a new set of files. The stamp is empty until the first overflow.
//
// Writing is incremental: when a file already holds the earlier content of its list, only the
// new names are appended, to the file kept open for it. The bytes on disk are the same as a full rewrite would give, and an
// append that fails part way is cut back, so a file never ends in a torn name.
//
// Unstamped files that an earlier run left are copied to "backups" before this run first writes
// over them; while that copy has not succeeded, they are not written.
class ResultFiles
{
public:
    using Clock = std::function<QDateTime()>;

    explicit ResultFiles(AppFolder folder, Clock clock = &QDateTime::currentDateTime);

    const QString &FileStamp() const { return m_fileStamp; }
    // A stamp made of the current date and time, without "/", ":" or " ".
    QString MakeStamp() const;

    QString ProfileFilePath(ResultList list) const;
    QString OverflowFilePath(ResultList list) const;
    QString MarkerFilePath(const QString &baseName) const;

    // Copies the non-empty unstamped profile files of an earlier run into "backups" (once per
    // program run). False when a copy failed; lastFailedPath() then names the file.
    bool SecureLeftoverFiles();
    // Writes the three profile lists to the files of the current stamp, after securing the
    // leftover files. False when a file could not be written (lastFailedPath() names it).
    bool SaveProfileLists(const ResultLists &lists);
    // Writes the three profile lists to the overflow files of the current stamp.
    bool WriteOverflowFiles(const ResultLists &lists);
    // The file the last failed call could not write (or back up).
    const QString &lastFailedPath() const { return m_lastFailedPath; }
    // Empties the Low, Registered, High and Mid lists (their headings go bare) and starts a new
    // stamp.
    void ResetProfileLists(ResultLists &lists);
    // Sets a new stamp and writes the marker files of the backups folder.
    void RenewFileStamp();

    // Profile lists in the order their files are written: Low, Mid, High.
    static constexpr std::array<ResultList, 3> kProfileLists = {ResultList::Low, ResultList::Mid,
                                                                ResultList::High};
    static QString ProfileBaseName(ResultList list);

private:
    struct WrittenFile
    {
        QString path;
        QString stamp;
        quint64 editSerial = 0;
        int itemCount = 0;
        qint64 bytes = -1;
    };

    // state and file: of the profile file the list is kept in; none for a one-off file.
    bool WriteList(const ResultLists &lists, ResultList list, const QString &path, WrittenFile *state,
                   AppendingFile *file);

    AppFolder m_folder;
    Clock m_clock;
    QString m_fileStamp;
    bool m_leftoversSecured = false;
    QString m_lastFailedPath;
    std::array<WrittenFile, 3> m_written;
    std::array<AppendingFile, 3> m_appending; // the profile files, kept open for appends
};

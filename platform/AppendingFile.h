#pragma once

#include <QByteArray>
#include <QString>

// A file the program appends to name after name (a result list, the filing journal), kept open
// between appends: an append is one check of the path and one write, not an open, a seek and a
// close. When the path no longer leads to the file held open (it was renamed, replaced or
// deleted), the next append opens the path again, so nothing goes to a file nobody sees.
//
// An append that fails part way (a full disk) is cut back, so the file holds exactly what it held
// before. The handle is let go by Close() and by the destructor.
//
//     AppendingFile list("LowProfile.txt");
//     list.Append("shop.com\r\n");
class AppendingFile
{
public:
    explicit AppendingFile(QString path = QString()) { setPath(path); }
    ~AppendingFile() { Close(); }
    AppendingFile(const AppendingFile &) = delete;
    AppendingFile &operator=(const AppendingFile &) = delete;

    const QString &path() const { return m_path; }
    // Lets go of the file held open when the path changes.
    void setPath(const QString &path);

    // Appends, creating the file when missing. False when it could not be written whole.
    bool Append(const QByteArray &bytes);
    // Appends when the file at the path holds `size` bytes (-1: there is none); nothing when it
    // holds another size, so that the caller writes it whole. With one look at the path.
    enum class Appended
    {
        Written,
        OtherSize,
        Failed
    };
    Appended AppendAt(qint64 size, const QByteArray &bytes);
    void Close();

private:
    // Whether the descriptor held still is the file at the path; the path's size in any case.
    bool HoldsPath(qint64 *size);
    // Writes at the end, opening the path first when it is not held; `before` is its size.
    bool Write(const QByteArray &bytes, bool held, qint64 before);

    QString m_path;
    QByteArray m_encodedPath; // as the operating system takes it
    int m_descriptor = -1;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

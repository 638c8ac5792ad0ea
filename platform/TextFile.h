#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Text files as the program keeps them: written as UTF-8 with the line ends the caller puts in
// (the program writes CR LF); read as UTF-8, or as Windows-1252 when the bytes are not valid
// UTF-8, so lists saved by older programs still load. Readers accept CR LF, LF and CR.
//
// Whole-file rewrites go through QSaveFile: a crash leaves the old file or the new one, never
// half of one.
namespace TextFile {

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), else
// Windows-1252.
QString Decode(const QByteArray &bytes);
bool IsValidUtf8(QByteArrayView bytes);
QString DecodeWindows1252(QByteArrayView bytes);
QByteArray Encode(const QString &text);

// Splits text into lines at CR LF, LF or CR. A terminator at the very end does not start
// another line: "a\r\n" is one line, "a\r\n\r\n" is "a" and an empty line.
QStringList SplitLines(const QString &text);

std::optional<QByteArray> ReadBytes(const QString &path);
std::optional<QString> ReadAll(const QString &path);
std::optional<QStringList> ReadLines(const QString &path);

// Replaces the file's content atomically.
bool WriteAll(const QString &path, const QString &text);
bool WriteBytes(const QString &path, const QByteArray &bytes);

// Appends to the file, creating it when missing. An append that fails part way (a full disk) is
// cut back, so the file holds exactly what it held before.
bool Append(const QString &path, const QString &text);
bool AppendBytes(const QString &path, const QByteArray &bytes);

} // namespace TextFile

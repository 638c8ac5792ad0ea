#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Text files as the program keeps them: written as UTF-8 with the line ends the caller puts in
// (the program writes CR LF); read as UTF-16 when they begin with its byte-order mark, else as
// UTF-8 line by line, a line that is not valid UTF-8 as Windows-1252, so lists saved by older
// programs and editors still load. Readers accept CR LF, LF and CR.
//
// Whole-file rewrites go through QSaveFile: a crash leaves the old file or the new one, never
// half of one.
namespace TextFile {

// UTF-16 (little or big endian) after its byte-order mark; else each line UTF-8 when it is valid
// UTF-8, Windows-1252 when not (a leading UTF-8 byte-order mark is dropped).
QString Decode(const QByteArray &bytes);
// One line: UTF-8 when valid, else Windows-1252. mayBeCut: the bytes may end inside a character
// (a line read only in part), which is then no reason for Windows-1252.
QString DecodeLine(QByteArrayView bytes, bool mayBeCut = false);
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
// Replaces the file's content atomically with the chunks nextChunk() gives until an empty one.
bool WriteChunks(const QString &path, const std::function<QByteArray()> &nextChunk);

// Appends to the file, creating it when missing. An append that fails part way (a full disk) is
// cut back, so the file holds exactly what it held before.
bool Append(const QString &path, const QString &text);
bool AppendBytes(const QString &path, const QByteArray &bytes);

} // namespace TextFile

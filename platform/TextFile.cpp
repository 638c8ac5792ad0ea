#include "TextFile.h"

#include "AppendingFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace TextFile {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five unassigned codes keep their
// Latin-1 value, as Windows itself maps them.
static constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

QString DecodeLine(QByteArrayView bytes, bool mayBeCut)
{
    // Most lines are plain ASCII, which reads the same as Latin-1, with the faster conversion.
    if (QtPrivate::isAscii(QLatin1StringView(bytes)))
        return QString::fromLatin1(bytes);
    // A byte-order mark in a line is a character of that line: it is kept.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    if (IsValidUtf8(bytes))
        return utf8.decode(bytes);
    if (mayBeCut) {
        // A sequence cut off at the end is held back by the decoder, not counted as an error.
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    return DecodeWindows1252(bytes);
}

QString Decode(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(view.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                             QStringConverter::Flag::ConvertInitialBom);
        return utf16.decode(view.sliced(2));
    }
    // One byte-order mark is dropped, not a second: that one is a character of the text.
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    // Most texts are plain ASCII, which reads the same as Latin-1, with the faster conversion.
    if (QtPrivate::isAscii(QLatin1StringView(view)))
        return QString::fromLatin1(view);
    if (IsValidUtf8(view))
        return DecodeLine(view);
    // Each line is UTF-8 or Windows-1252 by itself.
    QString text;
    text.reserve(view.size());
    qsizetype start = 0;
    while (start < view.size()) {
        qsizetype end = start;
        while (end < view.size() && view.at(end) != '\r' && view.at(end) != '\n')
            ++end;
        text += DecodeLine(view.sliced(start, end - start));
        const qsizetype afterBreak = end + (view.sliced(end).startsWith("\r\n") ? 2 : end < view.size() ? 1 : 0);
        text += QString::fromLatin1(view.sliced(end, afterBreak - end));
        start = afterBreak;
    }
    return text;
}

bool IsValidUtf8(QByteArrayView bytes)
{
    return QUtf8StringView(bytes.data(), bytes.size()).isValidUtf8();
}

QByteArray Encode(const QString &text)
{
    return text.toUtf8();
}

QStringList SplitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < length && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < length)
        lines.append(text.mid(start));
    return lines;
}

std::optional<QByteArray> ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<QString> ReadAll(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadBytes(path);
    if (!bytes)
        return std::nullopt;
    return Decode(*bytes);
}

std::optional<QStringList> ReadLines(const QString &path)
{
    const std::optional<QString> text = ReadAll(path);
    if (!text)
        return std::nullopt;
    return SplitLines(*text);
}

bool WriteChunks(const QString &path, const std::function<QByteArray()> &nextChunk)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The buffer is flushed here and checked: commit() would put a file cut short by a full
    // disk in place of the whole one.
    for (QByteArray chunk = nextChunk(); !chunk.isEmpty(); chunk = nextChunk()) {
        if (file.write(chunk) != chunk.size()) {
            file.cancelWriting();
            return false;
        }
    }
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    return WriteChunks(path, [bytes, given = false]() mutable {
        return std::exchange(given, true) ? QByteArray() : bytes;
    });
}

bool WriteAll(const QString &path, const QString &text)
{
    return WriteBytes(path, Encode(text));
}

bool Append(const QString &path, const QString &text)
{
    return AppendBytes(path, Encode(text));
}

bool AppendBytes(const QString &path, const QByteArray &bytes)
{
    return AppendingFile(path).Append(bytes);
}

} // namespace TextFile

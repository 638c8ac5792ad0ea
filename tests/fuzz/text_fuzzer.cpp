// libFuzzer target: the text routines on arbitrary bytes.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DORVELLE_FUZZ=ON
//   cmake --build build-fuzz --target orvelle-fuzz-text
//   build-fuzz/orvelle-fuzz-text -max_total_time=120 -max_len=4096
//
// Besides crashes and undefined behaviour it checks properties that must hold for any input.

#include "engine/Verdict.h"
#include "platform/TextFile.h"
#include "sources/xCorrectName.h"
#include "sources/xurlEncode.h"
#include "whois_table/RegistrarFile.h"
#include "whois_table/RegistrarTable.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

QString ReferencePercentDecoder(QString s)
{
    static const char *const kCodes[][2] = {
        {"%25", "%"}, {"%20", " "}, {"%3C", "<"}, {"%3E", ">"}, {"%23", "#"}, {"%7B", "{"},
        {"%7D", "}"}, {"%7C", "|"}, {"%5C", "\\"}, {"%5E", "^"}, {"%7E", "~"}, {"%5B", "["},
        {"%5D", "]"}, {"%60", "`"}, {"%3B", ";"}, {"%2F", "/"}, {"%3F", "?"}, {"%3A", ":"},
        {"%40", "@"}, {"%3D", "="}, {"%26", "&"}, {"%24", "$"}, {"%0A", "\n"}, {"%0D", "\r"}};
    for (const auto &code : kCodes) {
        while (s.contains(QLatin1String(code[0]), Qt::CaseInsensitive))
            s.replace(QLatin1String(code[0]), QLatin1String(code[1]), Qt::CaseInsensitive);
    }
    return s;
}

QString ReferenceNameCleaner(QString s)
{
    static const QStringList kRemovals = {
        "&nbsp;", "related:", "site:", " ", "/", ".", "%", "!", "/", "~", "#", "'", "\"", "$", "%", "^", "&", "*",
        "(", ")", "=", "\\", "|", "+", "`", "?", ">", "<", ",", "'", "\"", ".", "nbsp;", ";", ":",
        QString(QChar(0x00AB)), QString(QChar(0x00B4)), QString(QChar(0x00AF)), QString(QChar(0x00BA)),
        QString(QChar(0x00B8)), "_"};
    QString extension;
    if (s.contains('.')) {
        extension = s.mid(s.indexOf('.'));
        s.remove(extension, Qt::CaseInsensitive);
    }
    for (const QString &item : kRemovals)
        s.remove(item);
    s += extension;
    s.remove('?');
    return s;
}

RegistrarTable DefaultTable()
{
    QList<RegistrarEntry> rows;
    for (const RegistrarFile::DefaultRow &row : RegistrarFile::DefaultRows())
        rows.append({QLatin1String(row.extension), QLatin1String(row.server), 43, row.enabled});
    return RegistrarTable(rows);
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const RegistrarTable table = DefaultTable();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = TextFile::Decode(bytes);

    const QString decoded = PercentDecoder(text);
    Check(decoded.size() <= text.size());
    if (text.size() <= 512)
        Check(decoded == ReferencePercentDecoder(text));

    const QString cleaned = NameCleaner(text);
    Check(cleaned.size() <= text.size());
    if (text.size() <= 512)
        Check(cleaned == ReferenceNameCleaner(text));
    Check(!cleaned.contains(QLatin1Char('?')));
    Check(NameCleaner(cleaned) == cleaned || cleaned.contains(QLatin1Char('.')));

    const QString split = table.SplitAfterExtensions(text);
    Check(split.size() >= text.size());
    const int end = table.EndOfExtension(text);
    Check(end == 0 || (end >= 3 && end <= text.size() + 1));
    Check((end != 0) == table.HasKnownExtension(text));
    const int row = table.FindRegistrarIndex(text, false);
    Check(table.isValidIndex(row));
    const QString domain = RegistrableDomain(text);
    Check(domain.isEmpty() || text.endsWith(domain));

    (void)TextFile::SplitLines(text);
    (void)JudgeReply(text);
    (void)ProfileClassOf(text);
    return 0;
}

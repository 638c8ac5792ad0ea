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
#include "tests/support/ReferenceTextRoutines.h"
#include "whois_table/RegistrarFile.h"
#include "whois_table/RegistrarTable.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

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
        Check(decoded == Reference::PercentDecoder(text));

    const QString cleaned = NameCleaner(text);
    Check(cleaned.size() <= text.size());
    if (text.size() <= 512)
        Check(cleaned == Reference::NameCleaner(text));
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

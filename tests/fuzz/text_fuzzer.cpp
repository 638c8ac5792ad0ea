// libFuzzer target: the text routines and the readers of the program's files on arbitrary
// bytes.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DORVELLE_FUZZ=ON
//   cmake --build build-fuzz --target orvelle-fuzz-text
//   build-fuzz/orvelle-fuzz-text -max_total_time=120 -max_len=65536
//
// Besides crashes and undefined behaviour it checks properties that must hold for any input:
// the routines agree with plain reference versions, every name taken from a page looks like a
// host name, the list reader reads what the text has,
// a stored setting reads back, a reply that holds a refusal is never free, and a name on the
// wire is ASCII.

#include "engine/DomainName.h"
#include "engine/RdapBootstrap.h"
#include "engine/RdapQuery.h"
#include "engine/Verdict.h"
#include "platform/SettingsStore.h"
#include "platform/TextFile.h"
#include "sources/CandidateFile.h"
#include "sources/DomainExtractor.h"
#include "sources/HarvestList.h"
#include "sources/NameCleaner.h"
#include "sources/PercentDecoding.h"
#include "tests/support/ReferenceTextRoutines.h"
#include "whois_table/RegistrarFile.h"
#include "whois_table/RegistrarTable.h"

#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

RegistrarTable DefaultTable()
{
    return RegistrarTable(RegistrarFile::ParseRows(TextFile::SplitLines(RegistrarFile::DefaultFileText())));
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Files the readers work on, in a folder of their own; in memory where the system has such a
// folder, since every rewrite is synced to disk.
const QTemporaryDir &Scratch()
{
    static const QTemporaryDir *dir = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                          ? new QTemporaryDir(QStringLiteral("/dev/shm/orvelle-fuzz-XXXXXX"))
                                          : new QTemporaryDir;
    return *dir;
}

void FuzzTextRoutines(const QString &text)
{
    static const RegistrarTable table = DefaultTable();
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
    (void)ProfileClassOf(text);
}

void FuzzExtraction(const QString &markup)
{
    static const RegistrarTable table = DefaultTable();
    if (markup.size() <= 512) {
        QStringList ours = TextFile::SplitLines(DomainExtractor::PreparePageText(markup, table));
        QStringList reference = TextFile::SplitLines(Reference::PreparePageText(markup, table));
        ours.removeAll(QString());
        reference.removeAll(QString());
        Check(ours == reference);
    }
    DomainExtractor extractor(table, {QStringLiteral("yahoo.com"), QStringLiteral("afternic.com")});
    HarvestList list;
    extractor.Begin(markup);
    while (!extractor.Step(list, 100))
        ;
    Check(extractor.pageCount() == list.size());
    for (const QString &name : list.names())
        Check(DomainExtractor::LooksLikeHostName(name));
}

void FuzzVerdict(const QString &text)
{
    (void)JudgeReply(text);
    // A throttled server's refusal never makes a name free, whatever else the reply holds.
    static const QString kRefusal = QStringLiteral("\r\nWHOIS LIMIT EXCEEDED\r\n");
    Check(JudgeReply(text + kRefusal) != Verdict::Free);
    Check(JudgeReply(kRefusal + text) != Verdict::Free);
}

void FuzzNetworkTexts(const QString &text, const QByteArray &bytes)
{
    if (const std::optional<QString> ascii = AsciiDomainName(text)) {
        Check(std::all_of(ascii->begin(), ascii->end(), [](QChar c) { return c.unicode() < 0x80; }));
        Check(!ascii->contains(QLatin1Char('\n')) && !ascii->contains(QLatin1Char('\r')));
    }
    if (const std::optional<RdapBootstrap> bootstrap = RdapBootstrap::Parse(bytes)) {
        const QString service = bootstrap->ServiceFor(text);
        Check(service.isEmpty() || service.endsWith(QLatin1Char('/')));
    }
    RdapResponse response;
    response.status = bytes.isEmpty() ? 0 : 100 + static_cast<unsigned char>(bytes.at(0)) * 2;
    response.body = bytes;
    response.retryAfter = bytes.left(40);
    response.finalHost = QStringLiteral("rdap.example");
    const RdapAnswer answer = JudgeRdapResponse(response, QStringLiteral("rdap.example"));
    Check(answer.kind != RdapAnswer::Kind::NotRegistered || response.status == 404);
    (void)RdapFacts(bytes);
}

void FuzzRegistrarRows(const QString &text)
{
    int skipped = 0;
    const QList<RegistrarEntry> rows = RegistrarFile::ParseRows(TextFile::SplitLines(text), &skipped);
    for (const RegistrarEntry &row : rows) {
        Check(row.Port >= 1);
        Check(row.Extension == row.Extension.toLower() && row.Server == row.Server.toLower());
    }
    Check(skipped >= 0 && rows.size() + skipped <= TextFile::SplitLines(text).size());
}

void FuzzCandidateList(const QByteArray &bytes)
{
    const QString path = Scratch().filePath(QStringLiteral("list.txt"));
    if (!TextFile::WriteBytes(path, bytes))
        return;
    // The reader finds the lines the whole text has, without the empty ones.
    QStringList expected = TextFile::SplitLines(TextFile::Decode(bytes));
    expected.removeAll(QString());
    CandidateFile file;
    Check(file.CountCandidates(path) == expected.size());
    const std::optional<CandidateFile::Batch> all =
        file.ReadCandidates(path, 1, static_cast<int>(expected.size()) + 1);
    Check(all && all->atEnd && all->lines == expected);
}

void FuzzSettings(const QByteArray &bytes)
{
    SettingsStore store(Scratch().path());
    if (!TextFile::WriteBytes(store.FilePath(QStringLiteral("Velquist")), bytes))
        return;
    (void)store.ReadSetting(QStringLiteral("Velquist"), QStringLiteral("Settings"),
                            QStringLiteral("wordNumber"), QStringLiteral("0"));
    // Whatever the file held, a value written reads back as written, and so does a key that
    // was there before.
    const QString value = QString::fromUtf8(bytes.left(64));
    Check(store.WriteSetting(QStringLiteral("Velquist"), QStringLiteral("Settings"),
                             QStringLiteral("FullWordNum"), value));
    Check(store.ReadSetting(QStringLiteral("Velquist"), QStringLiteral("Settings"),
                            QStringLiteral("FullWordNum"), QString()) == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = TextFile::Decode(bytes);
    FuzzTextRoutines(text);
    FuzzExtraction(text);
    FuzzVerdict(text);
    FuzzNetworkTexts(text, bytes);
    FuzzRegistrarRows(text);
    FuzzCandidateList(bytes);
    FuzzSettings(bytes);
    return 0;
}

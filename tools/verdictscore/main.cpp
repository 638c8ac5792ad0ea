// orvelle-verdict-score: how the program reads real registries' whois replies.
//
//   orvelle-verdict-score FOLDER
//
// FOLDER holds free/<extension>.txt (replies for names that were not registered) and
// taken/<extension>_<name>.txt (replies for registered names). Every reply goes through the
// program's own verdict; the tool prints how many free replies read free, which ones did not,
// and every taken reply that read free or without a verdict. Exit status 0, or 2 when the
// folder cannot be read.

#include "engine/Verdict.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const char *VerdictText(const Judgement &judgement)
{
    switch (judgement.verdict) {
    case Verdict::Free:
        return "free";
    case Verdict::Taken:
        return "registered";
    case Verdict::NoVerdict:
        break;
    }
    return "no verdict";
}

// "com_google.com.txt" and "at_samsung.at.pre.txt" were replies for google.com and samsung.at.
QString NameOfTakenFile(const QString &fileName)
{
    QString name = fileName.section(QLatin1Char('_'), 1);
    for (const char *suffix : {".txt", ".pre"}) {
        if (name.endsWith(QLatin1String(suffix)))
            name.chop(static_cast<qsizetype>(qstrlen(suffix)));
    }
    return name;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: orvelle-verdict-score FOLDER (with free/ and taken/ in it)\n");
        return 2;
    }
    const QDir root(arguments.at(1));
    const QDir freeDir(root.filePath(QStringLiteral("free")));
    const QDir takenDir(root.filePath(QStringLiteral("taken")));
    if (!freeDir.exists() || !takenDir.exists()) {
        std::fprintf(stderr, "orvelle-verdict-score: %s has no free/ and taken/ folders\n",
                     qPrintable(root.absolutePath()));
        return 2;
    }
    const auto read = [](const QDir &dir, const QString &fileName) {
        QFile file(dir.filePath(fileName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    int freeCount = 0;
    int freeFound = 0;
    QStringList missed;
    for (const QString &fileName : freeDir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        ++freeCount;
        const Judgement judgement = JudgeReplyBytes(read(freeDir, fileName));
        if (judgement.verdict == Verdict::Free)
            ++freeFound;
        else
            missed << fileName + QStringLiteral(" (") + QLatin1String(VerdictText(judgement)) +
                          QLatin1Char(')');
    }
    int takenCount = 0;
    QStringList calledFree;
    QStringList withoutVerdict;
    for (const QString &fileName : takenDir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        ++takenCount;
        const Judgement judgement = JudgeReplyBytes(read(takenDir, fileName), {NameOfTakenFile(fileName)});
        if (judgement.verdict == Verdict::Free)
            calledFree << fileName;
        else if (judgement.verdict == Verdict::NoVerdict)
            withoutVerdict << fileName + QStringLiteral(" (") + judgement.reason + QLatin1Char(')');
    }

    std::printf("free replies:  %d, read free %d (%.1f%%), missed %lld\n", freeCount, freeFound,
                freeCount > 0 ? 100.0 * freeFound / freeCount : 0.0, static_cast<long long>(missed.size()));
    std::printf("taken replies: %d, called free %lld, without verdict %lld\n", takenCount,
                static_cast<long long>(calledFree.size()), static_cast<long long>(withoutVerdict.size()));
    for (const QString &file : missed)
        std::printf("  free missed: %s\n", qPrintable(file));
    for (const QString &file : calledFree)
        std::printf("  taken called free: %s\n", qPrintable(file));
    for (const QString &file : withoutVerdict)
        std::printf("  taken without verdict: %s\n", qPrintable(file));
    return 0;
}

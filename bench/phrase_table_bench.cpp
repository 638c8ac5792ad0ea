// Cost of a large user phrase file: the time and memory to load it, and the time to read a reply
// with it, against the shipped table alone.
//
//   build/phrase_table_bench [PHRASES]     (default 169000 phrases, about 10 MB)
//
// The phrases are made up the way large collected tables look: most name the domain
// ("... <name> ..."), the rest are statements of a few words.

#include "engine/Verdict.h"
#include "engine/WhoisPhrases.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <sys/resource.h>

namespace {

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double MicrosecondsPerReply(const WhoisPhrases &table, const QStringList &replies, int rounds)
{
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < rounds; ++round) {
        for (const QString &reply : replies)
            JudgeReplyText(reply, {QStringLiteral("example-shop.com"), QString(), &table});
    }
    return double(timer.nsecsElapsed()) / 1000.0 / double(rounds * replies.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 169000;
    QString text;
    for (int i = 0; i < count; ++i) {
        if (i % 3 == 0)
            text += QStringLiteral("not-found\tcontains\tregistry number %1 reports no record for the name\n").arg(i);
        else
            text += QStringLiteral("not-found\tstart\tthe domain <name> is not known to registry %1 at all\n").arg(i);
    }
    std::printf("phrase file: %d phrases, %.1f MB\n", count, double(text.toUtf8().size()) / 1e6);
    const long before = PeakKiB();
    QElapsedTimer timer;
    timer.start();
    WhoisPhrases table = WhoisPhrases::Shipped();
    QStringList problems;
    table.Add(text, QStringLiteral("big.txt"), &problems, WhoisPhrases::Source::User);
    std::printf("load: %.2f s, peak memory +%ld MiB, %lld phrases kept, %lld refused\n",
                double(timer.nsecsElapsed()) / 1e9, (PeakKiB() - before) / 1024, qlonglong(table.size()),
                qlonglong(problems.size()));
    QStringList replies;
    QFile free(QStringLiteral(":/orvelle/registered-examples.txt"));
    free.open(QIODevice::ReadOnly);
    replies << QString::fromUtf8(free.readAll());
    replies << QStringLiteral("No match for \"EXAMPLE-SHOP.COM\".\r\n>>> Last update of whois database <<<\r\n") +
                   QStringLiteral("NOTICE: terms of use apply to every query of this service.\r\n").repeated(30);
    std::printf("read a reply: %.1f us with the large table, %.1f us with the shipped one\n",
                MicrosecondsPerReply(table, replies, 50), MicrosecondsPerReply(WhoisPhrases::Shipped(), replies, 50));
    return 0;
}

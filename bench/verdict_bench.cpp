// The verdict's cost on the short replies a loopback whois server gives at full speed: one
// "no match" reply and one registered record, read as bytes the way the engine reads them.
//
//   build/verdict_bench [ROUNDS]     (default 200000)

#include "engine/Verdict.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    const QByteArray free("No match for \"RATIO0000001.COM\".\r\n>>> Last update of whois database: "
                          "2026-12-08T00:00:00Z <<<\r\n");
    const QByteArray taken("   Domain Name: ratio0000002.com\r\n   Registrar: Example Registrar, Inc.\r\n"
                           "   Creation Date: 1999-04-01T00:00:00Z\r\n");
    const ReplyContext freeName{QStringLiteral("ratio0000001.com"), QStringLiteral("whois.example.com"),
                                nullptr};
    const ReplyContext takenName{QStringLiteral("ratio0000002.com"), QStringLiteral("whois.example.com"),
                                 nullptr};
    int frees = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        frees += JudgeReplyBytes(free, freeName).verdict == Verdict::Free;
        frees += JudgeReplyBytes(taken, takenName).verdict == Verdict::Free;
    }
    std::printf("%.2f us a reply (%d of %d free)\n", double(timer.nsecsElapsed()) / 1000.0 / (2.0 * rounds),
                frees, 2 * rounds);
    return 0;
}

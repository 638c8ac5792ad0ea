// The verdict's cost on the short replies a loopback whois server gives at full speed: one
// "no match" reply and one registered record, read as bytes the way the engine reads them.
// With "cold", the caches are swept before each reply, as the kernel's work between two replies
// sweeps them in a real run; the sweep's own time is measured apart and taken off.
//
//   build/verdict_bench [ROUNDS] [cold]     (default 200000, warm)

#include "engine/Verdict.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <vector>

namespace {

// Writes a buffer larger than the caches; returns a sum so the writes are not left out.
unsigned Sweep(std::vector<unsigned char> &buffer)
{
    unsigned sum = 0;
    for (size_t i = 0; i < buffer.size(); i += 64) {
        buffer[i] = static_cast<unsigned char>(buffer[i] + 1);
        sum += buffer[i];
    }
    return sum;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    const bool cold = argc > 2 && QByteArray(argv[2]) == "cold";
    const QByteArray free("No match for \"RATIO0000001.COM\".\r\n>>> Last update of whois database: "
                          "2026-12-08T00:00:00Z <<<\r\n");
    const QByteArray taken("   Domain Name: ratio0000002.com\r\n   Registrar: Example Registrar, Inc.\r\n"
                           "   Creation Date: 1999-04-01T00:00:00Z\r\n");
    const ReplyContext freeName{QStringLiteral("ratio0000001.com"), QStringLiteral("whois.example.com"),
                                nullptr};
    const ReplyContext takenName{QStringLiteral("ratio0000002.com"), QStringLiteral("whois.example.com"),
                                 nullptr};
    std::vector<unsigned char> buffer(cold ? 1 << 20 : 0);
    unsigned swept = 0;
    qint64 sweeping = 0;
    if (cold) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 2 * rounds; ++i)
            swept += Sweep(buffer);
        sweeping = timer.nsecsElapsed();
    }
    int frees = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        swept += cold ? Sweep(buffer) : 0;
        frees += JudgeReplyBytes(free, freeName).verdict == Verdict::Free;
        swept += cold ? Sweep(buffer) : 0;
        frees += JudgeReplyBytes(taken, takenName).verdict == Verdict::Free;
    }
    const double nanoseconds = double(timer.nsecsElapsed() - sweeping);
    std::printf("%.2f us a reply (%d of %d free)%s\n", nanoseconds / 1000.0 / (2.0 * rounds), frees, 2 * rounds,
                cold ? (swept ? ", caches swept" : "") : "");
    return 0;
}

// Cost of reading candidate n of a long list: at the start against at the end.
//
//   candidate_read_bench LIST [COUNT]
//
// Reads COUNT (default 2000) consecutive positions from the start of LIST and as many from its
// end, and prints the microseconds per read of each.

#include "sources/CandidateFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

static double MicrosecondsPerRead(CandidateFile &file, const QString &path, qint64 first, int count)
{
    QElapsedTimer timer;
    timer.start();
    for (qint64 position = first; position < first + count; ++position) {
        if (!file.ReadCandidate(path, position))
            return -1;
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0 / count;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: candidate_read_bench LIST [COUNT]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 2000;
    CandidateFile file;
    QElapsedTimer timer;
    timer.start();
    const qint64 total = file.CountCandidates(path);
    const double indexMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (total < count) {
        std::fprintf(stderr, "the list has only %lld entries\n", static_cast<long long>(total));
        return 2;
    }
    const double atStart = MicrosecondsPerRead(file, path, 1, count);
    const double atEnd = MicrosecondsPerRead(file, path, total - count + 1, count);
    std::printf("entries %lld, index built in %.1f ms\n", static_cast<long long>(total), indexMs);
    std::printf("read at position 1..%d: %.2f us each\n", count, atStart);
    std::printf("read at position %lld..%lld: %.2f us each (%.0f%% of the start)\n",
                static_cast<long long>(total - count + 1), static_cast<long long>(total), atEnd,
                100.0 * atEnd / atStart);
    return 0;
}

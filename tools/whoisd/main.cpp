// orvelle-whoisd: a whois server on 127.0.0.1 for trying the program and for benchmarks.
//
//   orvelle-whoisd [--port N] [--address 127.0.0.X] [--log-refusals] [--log-queries] [--log-waits]
//                  [--delay MS [--delay-sigma S] [--seed N]] [--pieces N] [--piece-gap MS]
//                  [--free-every N | --free-pattern REGEX]
//                  [--mode answer|close|hang|stream|reset|reset-halfway]
//                  [--throttle K/T | --refuse-first MS] [--refusal TEXT] [--replies FOLDER]
//
// By default a name is free when the sum of its characters is divisible by 3, which marks
// about a third of any list free; --free-pattern decides by a regular expression instead.
// --delay-sigma makes the delay log-normal with median --delay and that spread, as real
// registries answer. --throttle 5/1000 answers a refusal once more than 5 queries arrived within
// 1000 ms; --refuse-first 3000 refuses every query for 3 s from the first one. --replies answers from
// recorded reply files (see WhoisTestServer::setReplyFolder).
// --port 0 (the default) picks a free port. The port is printed on the first line; with
// --log-refusals a line "refused NAME" follows for every refusal, with --log-queries a line
// "asked NAME" for every query, with --log-waits a line "waited NAME MICROSECONDS": how long after
// the server took the connection its query arrived. --address listens on another loopback address (127.0.0.0/8), so
// that two servers are two hosts to the program.

#include "tools/whoisd/WhoisTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvelle-whoisd"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A whois server on 127.0.0.1 for tests and benchmarks."));
    parser.addHelpOption();
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("Port (0: any)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Reply delay in ms."),
                                   QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption pieces(QStringLiteral("pieces"), QStringLiteral("Send each reply in N pieces."),
                                    QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption pieceGap(QStringLiteral("piece-gap"),
                                      QStringLiteral("Gap between pieces in ms."), QStringLiteral("MS"),
                                      QStringLiteral("0"));
    const QCommandLineOption freeEvery(
        QStringLiteral("free-every"),
        QStringLiteral("A name is free when the sum of its characters is divisible by N."),
        QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption freePattern(
        QStringLiteral("free-pattern"),
        QStringLiteral("A name is free when it matches this regular expression."), QStringLiteral("REGEX"));
    const QCommandLineOption mode(
        QStringLiteral("mode"),
        QStringLiteral("answer (default), close (at once, no data), hang (never close), "
                       "stream (data without end), reset (the reply, then a reset), "
                       "reset-halfway (half the reply, then a reset)."),
        QStringLiteral("MODE"), QStringLiteral("answer"));
    const QCommandLineOption delaySigma(
        QStringLiteral("delay-sigma"),
        QStringLiteral("Log-normal delays: the spread around the median --delay."), QStringLiteral("S"),
        QStringLiteral("0"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the log-normal delays."),
                                  QStringLiteral("N"), QStringLiteral("20261208"));
    const QCommandLineOption throttle(QStringLiteral("throttle"),
                                      QStringLiteral("Refuse past K queries within T ms."),
                                      QStringLiteral("K/T"));
    const QCommandLineOption refusal(
        QStringLiteral("refusal"), QStringLiteral("The refusal text of --throttle."), QStringLiteral("TEXT"),
        QStringLiteral("Query rate limit exceeded. Try again later."));
    const QCommandLineOption refuseFirst(QStringLiteral("refuse-first"),
                                         QStringLiteral("Refuse every query for MS ms from the first one."),
                                         QStringLiteral("MS"));
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Loopback address to listen on (default 127.0.0.1)."),
                                     QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption logQueries(QStringLiteral("log-queries"),
                                        QStringLiteral("Print \"asked NAME\" for every query."));
    const QCommandLineOption logWaits(QStringLiteral("log-waits"),
                                      QStringLiteral("Print \"waited NAME MICROSECONDS\": the time from taking a "
                                                     "connection to its query."));
    const QCommandLineOption logRefusals(QStringLiteral("log-refusals"),
                                         QStringLiteral("Print \"refused NAME\" for every refusal."));
    const QCommandLineOption replies(
        QStringLiteral("replies"), QStringLiteral("Answer from recorded replies."), QStringLiteral("FOLDER"));
    parser.addOptions({port, delay, pieces, pieceGap, freeEvery, freePattern, mode, delaySigma, seed,
                       throttle, refusal, replies, refuseFirst, address, logRefusals, logQueries, logWaits});
    parser.process(app);

    bool ok = true;
    const auto number = [&](const QCommandLineOption &option, int minimum) {
        bool parsed = false;
        const int value = parser.value(option).toInt(&parsed);
        if (!parsed || value < minimum) {
            std::fprintf(stderr, "orvelle-whoisd: --%s needs a whole number of at least %d\n",
                         qPrintable(option.names().constLast()), minimum);
            ok = false;
        }
        return value;
    };
    const int portNumber = number(port, 0);
    const int delayMs = number(delay, 0);
    const int pieceCount = number(pieces, 1);
    const int gapMs = number(pieceGap, 0);
    const int every = number(freeEvery, 1);
    const QRegularExpression pattern(parser.value(freePattern));
    if (parser.isSet(freePattern) && !pattern.isValid()) {
        std::fprintf(stderr, "orvelle-whoisd: --free-pattern is not a valid regular expression\n");
        ok = false;
    }
    WhoisReplyRule::Mode replyMode = WhoisReplyRule::Mode::Answer;
    const QString modeName = parser.value(mode);
    if (modeName == QLatin1String("close"))
        replyMode = WhoisReplyRule::Mode::CloseAtOnce;
    else if (modeName == QLatin1String("hang"))
        replyMode = WhoisReplyRule::Mode::NeverClose;
    else if (modeName == QLatin1String("stream"))
        replyMode = WhoisReplyRule::Mode::StreamForever;
    else if (modeName == QLatin1String("reset"))
        replyMode = WhoisReplyRule::Mode::Reset;
    else if (modeName == QLatin1String("reset-halfway"))
        replyMode = WhoisReplyRule::Mode::ResetHalfway;
    else if (modeName != QLatin1String("answer")) {
        std::fprintf(stderr, "orvelle-whoisd: unknown --mode %s\n", qPrintable(modeName));
        ok = false;
    }
    bool sigmaOk = false;
    const double sigma = parser.value(delaySigma).toDouble(&sigmaOk);
    if (!sigmaOk || sigma < 0 || sigma > 5) {
        std::fprintf(stderr, "orvelle-whoisd: --delay-sigma needs a number from 0 to 5\n");
        ok = false;
    }
    bool seedOk = false;
    const quint32 seedValue = parser.value(seed).toUInt(&seedOk);
    if (!seedOk) {
        std::fprintf(stderr, "orvelle-whoisd: --seed needs a whole number\n");
        ok = false;
    }
    int throttleQueries = 0;
    int throttleWindow = 0;
    if (parser.isSet(throttle)) {
        const QStringList parts = parser.value(throttle).split(QLatin1Char('/'));
        bool queriesOk = false;
        bool windowOk = false;
        if (parts.size() == 2) {
            throttleQueries = parts.at(0).toInt(&queriesOk);
            throttleWindow = parts.at(1).toInt(&windowOk);
        }
        if (!queriesOk || !windowOk || throttleQueries < 1 || throttleWindow < 1) {
            std::fprintf(stderr, "orvelle-whoisd: --throttle needs K/T, two whole numbers of at least 1\n");
            ok = false;
        }
    }
    if (parser.isSet(replies) && !QFileInfo(parser.value(replies)).isDir()) {
        std::fprintf(stderr, "orvelle-whoisd: --replies needs a folder\n");
        ok = false;
    }
    if (!ok || portNumber > 65535)
        return 2;

    WhoisTestServer server;
    server.setSeed(seedValue);
    if (throttleQueries > 0)
        server.setThrottle(throttleQueries, throttleWindow, parser.value(refusal).toUtf8() + "\r\n");
    if (parser.isSet(replies))
        server.setReplyFolder(parser.value(replies));
    if (parser.isSet(refuseFirst)) {
        bool msOk = false;
        const int ms = parser.value(refuseFirst).toInt(&msOk);
        if (!msOk || ms < 1) {
            std::fprintf(stderr, "orvelle-whoisd: --refuse-first needs a whole number of ms of at least 1\n");
            return 2;
        }
        server.setRefuseFirst(ms, parser.value(refusal).toUtf8() + "\r\n");
    }
    const bool usePattern = parser.isSet(freePattern);
    server.setRuleChooser([=](const QString &name) {
        bool free = false;
        if (usePattern) {
            free = pattern.match(name).hasMatch();
        } else {
            int sum = 0;
            for (const QChar c : name)
                sum += c.unicode();
            free = sum % every == 0;
        }
        WhoisReplyRule rule = free ? WhoisReplyRule::Free(delayMs) : WhoisReplyRule::Taken(delayMs);
        rule.mode = replyMode;
        rule.delaySigma = sigma;
        rule.pieces = pieceCount;
        rule.pieceGapMs = gapMs;
        return rule;
    });
    const QHostAddress listenAddress(parser.value(address));
    if (!listenAddress.isLoopback()) {
        std::fprintf(stderr, "orvelle-whoisd: --address needs a loopback address (127.0.0.0/8)\n");
        return 2;
    }
    if (!server.Listen(static_cast<quint16>(portNumber), listenAddress)) {
        std::fprintf(stderr, "orvelle-whoisd: cannot listen on %s port %d\n",
                     qPrintable(listenAddress.toString()), portNumber);
        return 1;
    }
    if (parser.isSet(logRefusals)) {
        QObject::connect(&server, &WhoisTestServer::queryReceived, &server, [&server](const QString &name) {
            static int refused = 0;
            if (server.refusedCount() == refused)
                return;
            refused = server.refusedCount();
            std::printf("refused %s\n", qPrintable(name));
            std::fflush(stdout);
        });
    }
    if (parser.isSet(logQueries)) {
        QObject::connect(&server, &WhoisTestServer::queryReceived, &server, [](const QString &name) {
            std::printf("asked %s\n", qPrintable(name));
            std::fflush(stdout);
        });
    }
    if (parser.isSet(logWaits)) {
        QObject::connect(&server, &WhoisTestServer::queryWaited, &server, [](const QString &name, qint64 us) {
            std::printf("waited %s %lld\n", qPrintable(name), static_cast<long long>(us));
            std::fflush(stdout);
        });
    }
    std::printf("%u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

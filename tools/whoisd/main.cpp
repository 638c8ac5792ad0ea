// orvelle-whoisd: a whois server on 127.0.0.1 for trying the program and for benchmarks.
//
//   orvelle-whoisd [--port N] [--delay MS] [--pieces N] [--piece-gap MS]
//                  [--free-every N | --free-pattern REGEX] [--mode answer|close|hang|stream|reset]
//
// By default a name is free when the sum of its characters is divisible by 3, which marks
// about a third of any list free; --free-pattern decides by a regular expression instead.
// --port 0 (the default) picks a free port. The port is printed on the first line.

#include "tools/whoisd/WhoisTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
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
                       "stream (data without end), reset (the reply, then a reset)."),
        QStringLiteral("MODE"), QStringLiteral("answer"));
    parser.addOptions({port, delay, pieces, pieceGap, freeEvery, freePattern, mode});
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
    else if (modeName != QLatin1String("answer")) {
        std::fprintf(stderr, "orvelle-whoisd: unknown --mode %s\n", qPrintable(modeName));
        ok = false;
    }
    if (!ok || portNumber > 65535)
        return 2;

    WhoisTestServer server;
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
        rule.pieces = pieceCount;
        rule.pieceGapMs = gapMs;
        return rule;
    });
    if (!server.Listen(static_cast<quint16>(portNumber))) {
        std::fprintf(stderr, "orvelle-whoisd: cannot listen on 127.0.0.1 port %d\n", portNumber);
        return 1;
    }
    std::printf("%u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// orvelle-dnsd: a DNS server on 127.0.0.1 for trying the name-server check and for benchmarks.
//
//   orvelle-dnsd [--port N] [--mode delegated|nxdomain|nodata|servfail|refused|other-owner|silent]
//                [--delegated-pattern REGEX] [--other-owner-pattern REGEX] [--delay MS] [--log]
//
// Every NS question gets the answer of --mode (default nxdomain); names matching
// --delegated-pattern are delegated, names matching --other-owner-pattern get NS records owned by
// another name; --delay answers every question that many ms late, like a slow resolver. --port 0 (the default) picks a free port; "127.0.0.1:PORT" is printed on the first
// line, and with --log every question on a line of its own.

#include "tools/dnsd/DnsTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvelle-dnsd"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A DNS server on 127.0.0.1 for tests and benchmarks."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("UDP port (0: any free one)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption mode(
        QStringLiteral("mode"),
        QStringLiteral("Answer: delegated, nxdomain, nodata, servfail, refused, other-owner or silent."),
        QStringLiteral("MODE"), QStringLiteral("nxdomain"));
    const QCommandLineOption delegated(QStringLiteral("delegated-pattern"),
                                       QStringLiteral("Names matching this are delegated."),
                                       QStringLiteral("REGEX"));
    const QCommandLineOption otherOwner(
        QStringLiteral("other-owner-pattern"),
        QStringLiteral("Names matching this get records owned by another name."), QStringLiteral("REGEX"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Answer every question MS ms late."),
                                   QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Print every question."));
    parser.addOptions({port, mode, delegated, otherOwner, delay, log});
    parser.process(app);

    const QHash<QString, DnsTestServer::Rule> modes = {
        {QStringLiteral("delegated"), DnsTestServer::Rule::Delegated},
        {QStringLiteral("nxdomain"), DnsTestServer::Rule::NxDomain},
        {QStringLiteral("nodata"), DnsTestServer::Rule::NoData},
        {QStringLiteral("servfail"), DnsTestServer::Rule::ServFail},
        {QStringLiteral("refused"), DnsTestServer::Rule::Refused},
        {QStringLiteral("other-owner"), DnsTestServer::Rule::OtherOwner},
        {QStringLiteral("silent"), DnsTestServer::Rule::Silent},
    };
    bool portOk = false;
    const int portNumber = parser.value(port).toInt(&portOk);
    bool delayOk = false;
    const int delayMs = parser.value(delay).toInt(&delayOk);
    const QRegularExpression delegatedPattern(parser.value(delegated));
    const QRegularExpression otherPattern(parser.value(otherOwner));
    if (!portOk || portNumber < 0 || portNumber > 65535 || !delayOk || delayMs < 0 || !modes.contains(parser.value(mode)) ||
        !delegatedPattern.isValid() || !otherPattern.isValid()) {
        std::fprintf(stderr, "orvelle-dnsd: bad options (see --help)\n");
        return 2;
    }
    DnsTestServer server;
    server.setDelayMs(delayMs);
    const DnsTestServer::Rule fallback = modes.value(parser.value(mode));
    const bool hasDelegated = parser.isSet(delegated);
    const bool hasOther = parser.isSet(otherOwner);
    server.setChooser([=](const QString &name) {
        if (hasOther && otherPattern.match(name).hasMatch())
            return DnsTestServer::Rule::OtherOwner;
        if (hasDelegated && delegatedPattern.match(name).hasMatch())
            return DnsTestServer::Rule::Delegated;
        return fallback;
    });
    if (!server.Listen(static_cast<quint16>(portNumber))) {
        std::fprintf(stderr, "orvelle-dnsd: cannot listen on 127.0.0.1 port %d\n", portNumber);
        return 1;
    }
    std::printf("%s\n", qPrintable(server.address()));
    std::fflush(stdout);
    if (parser.isSet(log)) {
        // The server keeps its questions; a timer prints the new ones.
        auto *printed = new qsizetype(0);
        auto *timer = new QTimer(&app);
        QObject::connect(timer, &QTimer::timeout, [&server, printed] {
            const QStringList questions = server.questions();
            for (; *printed < questions.size(); ++*printed)
                std::printf("%s\n", qPrintable(questions.at(*printed)));
            std::fflush(stdout);
        });
        timer->start(200);
    }
    return QCoreApplication::exec();
}

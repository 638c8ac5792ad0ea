// orvelle-rdapd: an RDAP server on 127.0.0.1 for trying the program's RDAP rows.
//
//   orvelle-rdapd [--port N] [--free-pattern REGEX] [--mode MODE] [--delay MS]
//                 [--rate-limit K [--retry-after S]]
//
// Names matching --free-pattern (default: names whose first label starts with "free") are not
// registered (404); the others get --mode: registered (default), forbidden, unprocessable,
// error, not-json, endless, hang. The base address to put in a row of registrars.txt is printed
// on the first line, e.g. "info|http://127.0.0.1:4080/rdap/|443|Enabled".

#include "tools/rdapd/RdapTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("An RDAP server on 127.0.0.1 for trying Orvelle."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port (0: any free one)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption freePattern(QStringLiteral("free-pattern"),
                                         QStringLiteral("Names matching it are not registered."),
                                         QStringLiteral("REGEX"), QStringLiteral("^free"));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("registered, forbidden, unprocessable, error, not-json, "
                                                 "endless or hang, for the other names."),
                                  QStringLiteral("MODE"), QStringLiteral("registered"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Wait before each answer."),
                                   QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption rateLimit(QStringLiteral("rate-limit"),
                                       QStringLiteral("Answer 429 past K questions a second."),
                                       QStringLiteral("K"));
    const QCommandLineOption retryAfter(QStringLiteral("retry-after"),
                                        QStringLiteral("The 429's Retry-After."), QStringLiteral("S"),
                                        QStringLiteral("1"));
    parser.addOptions({port, freePattern, mode, delay, rateLimit, retryAfter});
    parser.process(app);

    using Mode = RdapReplyRule::Mode;
    const QHash<QString, Mode> modes = {{QStringLiteral("registered"), Mode::Registered},
                                        {QStringLiteral("forbidden"), Mode::Forbidden},
                                        {QStringLiteral("unprocessable"), Mode::Unprocessable},
                                        {QStringLiteral("error"), Mode::ServerError},
                                        {QStringLiteral("not-json"), Mode::NotJson},
                                        {QStringLiteral("endless"), Mode::Endless},
                                        {QStringLiteral("hang"), Mode::Hang}};
    bool portOk = false;
    bool delayOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    const int delayMs = parser.value(delay).toInt(&delayOk);
    const QRegularExpression pattern(parser.value(freePattern));
    bool ok = portOk && portNumber <= 65535 && delayOk && delayMs >= 0 && pattern.isValid() &&
              modes.contains(parser.value(mode));
    bool limitOk = true;
    bool retryOk = true;
    const int limit = parser.isSet(rateLimit) ? parser.value(rateLimit).toInt(&limitOk) : 0;
    const int retrySeconds = parser.value(retryAfter).toInt(&retryOk);
    ok = ok && limitOk && retryOk && limit >= 0 && retrySeconds >= 0;
    if (!ok) {
        std::fprintf(stderr, "orvelle-rdapd: bad options (see --help)\n");
        return 2;
    }

    RdapTestServer server;
    const Mode othersMode = modes.value(parser.value(mode));
    server.setRuleChooser([=](const QString &name) {
        RdapReplyRule rule;
        rule.mode = pattern.match(name).hasMatch() ? Mode::NotRegistered : othersMode;
        rule.delayMs = delayMs;
        return rule;
    });
    if (limit > 0)
        server.setRateLimit(limit, retrySeconds);
    if (!server.Listen(static_cast<quint16>(portNumber))) {
        std::fprintf(stderr, "orvelle-rdapd: cannot listen on port %u\n", portNumber);
        return 1;
    }
    std::printf("%s\n", qPrintable(server.baseAddress()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

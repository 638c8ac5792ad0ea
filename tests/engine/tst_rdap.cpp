#include "engine/DomainName.h"
#include "engine/RdapBootstrap.h"
#include "engine/RdapQuery.h"
#include "platform/TextFile.h"
#include "tools/rdapd/RdapTestServer.h"

#include <QTest>
#include <QTimeZone>

Q_DECLARE_METATYPE(RdapAnswer::Kind)

// The pieces of an RDAP check that need no network: names on the wire, the bootstrap, and what
// a response means.
class TestRdap : public QObject
{
    Q_OBJECT
private slots:
    void asciiNames_data();
    void asciiNames();
    void responses_data();
    void responses();
    void bootstrapFindsTheLongestExtension();
    void malformedBootstrapsAreRefused_data();
    void malformedBootstrapsAreRefused();
    void shippedBootstrapCoversTheInfoRegistry();
    void factsOfADomainObject();
};

void TestRdap::asciiNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ascii"); // empty: refused
    QTest::newRow("sharp s kept (non-transitional)") << "faß.de"
                                                     << "xn--fa-hia.de";
    QTest::newRow("umlaut") << "bücher.com"
                            << "xn--bcher-kva.com";
    QTest::newRow("capital umlaut") << "Bücher.com"
                                    << "xn--bcher-kva.com";
    QTest::newRow("A-label as it is") << "xn--bcher-kva.com"
                                      << "xn--bcher-kva.com";
    QTest::newRow("ASCII keeps its letters") << "Example.COM"
                                             << "Example.COM";
    QTest::newRow("bare extension") << ".com"
                                    << "";
    QTest::newRow("empty label inside") << "free..com"
                                        << "";
    QTest::newRow("empty label beside bad hyphens") << "-free-..com"
                                                    << "";
    QTest::newRow("empty label beside a long label") << QString(300, 'a') + "..com"
                                                     << "";
    QTest::newRow("root alone") << "."
                                << "";
    QTest::newRow("two dots") << ".."
                              << "";
    QTest::newRow("the root dot dropped") << "free.com."
                                          << "free.com";
    QTest::newRow("root dot after a bad label") << "free-.com."
                                                << "";
    QTest::newRow("empty label outside ASCII") << ".deÿ"
                                               << "";
    QTest::newRow("emoji") << "☃.com"
                           << "";
    QTest::newRow("two hyphens at 3-4") << "ab--cd.com"
                                        << "";
    QTest::newRow("leading hyphen") << "-ab.com"
                                    << "";
    QTest::newRow("trailing hyphen, non-ASCII") << "bü-.com"
                                                << "";
    QTest::newRow("underscore") << "a_b.com"
                                << "";
    QTest::newRow("bad punycode") << "xn--zzzz.com"
                                  << "";
    QTest::newRow("64 octets") << QString(64, 'a') + ".com"
                               << "";
    QTest::newRow("63 octets") << QString(63, 'a') + ".com" << QString(63, 'a') + ".com";
}

void TestRdap::asciiNames()
{
    QFETCH(QString, name);
    QFETCH(QString, ascii);
    QCOMPARE(AsciiDomainName(name).value_or(QString()), ascii);
}

void TestRdap::responses_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("finalOrigin");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<RdapAnswer::Kind>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<qint64>("retryAfterMs");
    using Kind = RdapAnswer::Kind;
    const QByteArray domain = RdapTestServer::DomainObject("taken.example");
    const QString rdap = "https://rdap.example:443";
    QTest::newRow("200 domain") << 200 << domain << rdap << QByteArray() << Kind::Registered << ""
                                << qint64(-1);
    QTest::newRow("200 other object")
        << 200 << QByteArray(R"({"objectClassName":"entity"})") << rdap << QByteArray() << Kind::NoVerdict
        << "unexpected RDAP reply from rdap.example" << qint64(-1);
    QTest::newRow("200 not JSON") << 200 << QByteArray("<html>parked</html>") << rdap << QByteArray()
                                  << Kind::NoVerdict << "unexpected RDAP reply from rdap.example"
                                  << qint64(-1);
    QTest::newRow("404 from the service")
        << 404 << QByteArray() << rdap << QByteArray() << Kind::NotRegistered << "" << qint64(-1);
    QTest::newRow("404 after a redirect elsewhere")
        << 404 << QByteArray() << "https://other.example:443" << QByteArray() << Kind::NoVerdict
        << "not found at other.example, where rdap.example sent the question" << qint64(-1);
    QTest::newRow("404 after a redirect to another port")
        << 404 << QByteArray() << "https://rdap.example:8443" << QByteArray() << Kind::NoVerdict
        << "not found at https://rdap.example:8443, where https://rdap.example:443 sent the question"
        << qint64(-1);
    QTest::newRow("429 seconds") << 429 << QByteArray() << rdap << QByteArray(" 2 ") << Kind::RateLimited
                                 << "rate limited" << qint64(2000);
    QTest::newRow("429 date") << 429 << QByteArray() << rdap << QByteArray("Tue, 08 Dec 2026 10:00:30 GMT")
                              << Kind::RateLimited << "rate limited" << qint64(30000);
    QTest::newRow("429 without") << 429 << QByteArray() << rdap << QByteArray() << Kind::RateLimited
                                 << "rate limited" << qint64(-1);
    const qint64 pause = RdapAnswer::kShortPauseMs;
    QTest::newRow("429 garbage") << 429 << QByteArray() << rdap << QByteArray("soon") << Kind::RateLimited
                                 << "rate limited" << pause;
    QTest::newRow("429 zero") << 429 << QByteArray() << rdap << QByteArray("0") << Kind::RateLimited
                              << "rate limited" << pause;
    QTest::newRow("429 negative") << 429 << QByteArray() << rdap << QByteArray("-5") << Kind::RateLimited
                                  << "rate limited" << pause;
    QTest::newRow("429 past date") << 429 << QByteArray() << rdap
                                   << QByteArray("Tue, 08 Dec 2026 09:00:00 GMT") << Kind::RateLimited
                                   << "rate limited" << pause;
    QTest::newRow("429 far beyond") << 429 << QByteArray() << rdap << QByteArray("999999999")
                                    << Kind::RateLimited << "rate limited" << qint64(999999999000);
    QTest::newRow("429 too many digits")
        << 429 << QByteArray() << rdap << QByteArray("99999999999999999999999") << Kind::RateLimited
        << "rate limited" << (qint64(1) << 50);
    QTest::newRow("403") << 403 << QByteArray() << rdap << QByteArray() << Kind::NoVerdict
                         << "rdap.example answered HTTP 403" << qint64(-1);
    QTest::newRow("422") << 422 << QByteArray() << rdap << QByteArray() << Kind::NoVerdict
                         << "rdap.example answered HTTP 422" << qint64(-1);
    QTest::newRow("503") << 503 << domain << rdap << QByteArray() << Kind::NoVerdict
                         << "rdap.example answered HTTP 503" << qint64(-1);
}

void TestRdap::responses()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, finalOrigin);
    QFETCH(QByteArray, retryAfter);
    QFETCH(RdapAnswer::Kind, kind);
    QFETCH(QString, reason);
    QFETCH(qint64, retryAfterMs);
    RdapResponse response;
    response.status = status;
    response.body = body;
    response.finalOrigin = finalOrigin;
    response.retryAfter = retryAfter;
    const qint64 now = QDateTime(QDate(2026, 12, 8), QTime(10, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    const RdapAnswer answer = JudgeRdapResponse(response, "https://rdap.example:443", now);
    QCOMPARE(answer.kind, kind);
    QCOMPARE(answer.reason, reason);
    QCOMPARE(answer.retryAfterMs, retryAfterMs);
}

void TestRdap::bootstrapFindsTheLongestExtension()
{
    const std::optional<RdapBootstrap> bootstrap = RdapBootstrap::Parse(R"({"services": [
        [["uk"], ["http://uk.example/rdap/", "https://uk.example/rdap/"]],
        [["CO.UK", "org.uk"], ["https://co.example/v1"]],
        [["zz"], ["ftp://nothing.example/"]]]})");
    QVERIFY(bootstrap);
    QCOMPARE(bootstrap->ServiceFor("a.co.uk"), QString("https://co.example/v1/"));
    QCOMPARE(bootstrap->ServiceFor("A.Example.UK"), QString("https://uk.example/rdap/"));
    QCOMPARE(bootstrap->ServiceFor("a.zz"), QString());
    QCOMPARE(bootstrap->ServiceFor("a.com"), QString());
}

void TestRdap::malformedBootstrapsAreRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("services: none");
    QTest::newRow("cut off") << QByteArray(R"({"services": [[["com"], ["https://a.example/"]])");
    QTest::newRow("no services") << QByteArray(R"({"description": "x"})");
    QTest::newRow("a service is no pair") << QByteArray(R"({"services": [["com"]]})");
    QTest::newRow("no usable address") << QByteArray(R"({"services": [[["com"], ["mailto:a@b"]]]})");
}

void TestRdap::malformedBootstrapsAreRefused()
{
    QFETCH(QByteArray, json);
    QString error;
    QVERIFY(!RdapBootstrap::Parse(json, &error));
    QVERIFY(!error.isEmpty());
}

void TestRdap::shippedBootstrapCoversTheInfoRegistry()
{
    const std::optional<QByteArray> bytes =
        TextFile::ReadBytes(qEnvironmentVariable("ORVELLE_DATA_DIR") + "/rdap-bootstrap.json");
    QVERIFY(bytes);
    const std::optional<RdapBootstrap> bootstrap = RdapBootstrap::Parse(*bytes);
    QVERIFY(bootstrap && bootstrap->size() > 100);
    QCOMPARE(bootstrap->ServiceFor("shop.info"), QString("https://rdap.identitydigital.services/rdap/"));
    QCOMPARE(bootstrap->ServiceFor("shop.de"), QString());
}

void TestRdap::factsOfADomainObject()
{
    QCOMPARE(RdapFacts(RdapTestServer::DomainObject("taken.example")),
             QString("Domain: taken.example\nStatus: active, client transfer prohibited\n"
                     "Registrar: Example Registrar, Inc.\nregistration: 1997-09-15T04:00:00Z\n"
                     "expiration: 2028-09-14T04:00:00Z\nName servers: ns1.example.net"));
    QCOMPARE(RdapFacts("{\"errorCode\":404}"), QString());
}

QTEST_GUILESS_MAIN(TestRdap)
#include "tst_rdap.moc"

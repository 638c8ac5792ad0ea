#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QNetworkAccessManager;
class QUrl;
#include <QNetworkReply>

// What came back for an RDAP question (RFC 7480, 9083).
struct RdapResponse
{
    int status = 0;        // the HTTP status; 0 when no answer came
    QByteArray body;       // at most RdapQuery::kMaxBody bytes
    QString finalOrigin;   // who answered, after redirects: "scheme://host:port" (RdapQuery::OriginOf)
    QByteArray retryAfter; // the Retry-After header
    QString networkError;  // why no answer came (refused, TLS, too many redirects...)
    bool timedOut = false; // no whole answer within RdapQuery::kTimeoutSeconds
    bool tooLong = false;  // the body passed kMaxBody and was cut off
};

// The meaning of an RDAP response.
struct RdapAnswer
{
    enum class Kind
    {
        Registered,    // 200 with a domain object
        NotRegistered, // 404 from the service that was asked
        RateLimited,   // 429: ask again after the cool-down
        NoVerdict      // anything else, with the reason
    };
    Kind kind = Kind::NoVerdict;
    QString reason;
    QStringList statuses; // with Registered, the domain object's status values ("client hold")
    qint64 retryAfterMs = -1; // with RateLimited, how long the service asked to wait (-1: not said)
    // The wait of a Retry-After that names no time to come (zero, negative, past, unreadable).
    static constexpr qint64 kShortPauseMs = 2000;
};

// Judges a response from the service at serviceOrigin ("scheme://host:port"):
// - 200 with a JSON object whose objectClassName is "domain": registered;
// - 404 from the service itself (same scheme, host and port): not registered (a 404 from
//   another host or port a redirect led to proves nothing about the name);
// - 429: rate limited, with the Retry-After (seconds or an HTTP date; kShortPauseMs when it
//   names no time to come) when given;
// - 403, 422, 5xx, other statuses, no answer, a cut-off or unexpected body: no verdict.
RdapAnswer JudgeRdapResponse(const RdapResponse &response, const QString &serviceOrigin,
                             qint64 nowUtcMs = -1);
// The registration's main facts from a domain object (status, registrar, events), as lines of
// text; empty when the body is no domain object.
QString RdapFacts(const QByteArray &body);

// One RDAP question: GET <base>domain/<name> with Accept: application/rdap+json, at most three
// redirects, kTimeoutSeconds for the whole answer (counted in ticks, so tests can shorten it)
// and kMaxBody bytes of body.
//
//     RdapQuery query(network);
//     connect(&query, &RdapQuery::finished, ...);      // once per Start, unless aborted
//     query.Start("https://rdap.example/", "xn--bcher-kva.example");
class RdapQuery : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutSeconds = 10;
    static constexpr qint64 kMaxBody = 1024 * 1024;
    static constexpr int kMaxRedirects = 3;

    explicit RdapQuery(QNetworkAccessManager &network, int tickMs = 1000, QObject *parent = nullptr);
    ~RdapQuery() override;

    // "scheme://host:port" of an address, lower case, the port always written.
    static QString OriginOf(const QUrl &url);
    // An origin as messages show it: its host.
    static QString HostText(const QString &origin);

    void Start(const QString &base, const QString &asciiName);
    // Drops the question under way without a signal.
    void Abort();
    bool isRunning() const { return m_reply != nullptr; }
    // The service's host, as messages show it.
    QString host() const { return HostText(m_origin); }
    // The body of the last response.
    const QByteArray &body() const { return m_response.body; }

signals:
    void finished(const RdapAnswer &answer);

private:
    void OnReadyRead();
    void OnFinished();
    void OnTimeout();

    QNetworkAccessManager &m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timeout;
    QString m_origin; // of the service asked
    RdapResponse m_response;
};

#include "SearchTestServer.h"

#include "tools/http/HttpRequestHeads.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

namespace {

// The path of each imitated engine's captcha page, and the marker of its challenge page.
QByteArray CaptchaPath(const QString &engine)
{
    if (engine == QLatin1String("google"))
        return "/sorry/index";
    if (engine == QLatin1String("brave"))
        return "/brave/search/captcha";
    return "/" + engine.toUtf8() + "/turing/captcha";
}

QByteArray Marker(const QString &engine)
{
    if (engine == QLatin1String("duckduckgo"))
        return "<div class=\"anomaly-modal__title\">Unfortunately, bots use DuckDuckGo too.</div>";
    if (engine == QLatin1String("mojeek"))
        return "<p>Sorry, your network appears to be sending automated queries.</p>";
    if (engine == QLatin1String("brave"))
        return "<div id=\"pow-captcha\">Checking your browser</div>";
    return "<div id=\"b_captcha\">One last step</div>";
}

QByteArray ChallengePage(const QString &engine)
{
    return "<html><head><title>Prove you are a person</title></head><body>" + Marker(engine) +
           "<p><a href=\"/" + engine.toUtf8() + "/solve\">I am a person</a></p></body></html>";
}

QString ResultKey(SearchTestServer::Engine engine, int offset)
{
    return (engine == SearchTestServer::Engine::Google ? QStringLiteral("google/")
                                                       : QStringLiteral("yahoo/")) +
           QString::number(offset);
}

} // namespace

SearchTestServer::SearchTestServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    ServeRequestHeads(m_server, this,
                      [this](QTcpSocket *socket, const QByteArray &request) { OnRequest(socket, request); });
}

SearchTestServer::~SearchTestServer() = default;

bool SearchTestServer::Listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 SearchTestServer::port() const
{
    return m_server->serverPort();
}

QString SearchTestServer::baseAddress() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void SearchTestServer::setResultPage(Engine engine, int offset, const QByteArray &html)
{
    m_results.insert(ResultKey(engine, offset), html);
}

QByteArray SearchTestServer::PageFor(const QString &target) const
{
    const QString path = target.section(QLatin1Char('?'), 0, 0);
    const QUrlQuery query(target.section(QLatin1Char('?'), 1));
    if (path == QLatin1String("/search"))
        return m_results.value(
            ResultKey(Engine::Google, query.queryItemValue(QStringLiteral("start")).toInt()),
            NoResultsPage());
    if (path == QLatin1String("/search/dir"))
        return m_results.value(ResultKey(Engine::Yahoo, query.queryItemValue(QStringLiteral("b")).toInt()),
                               NoResultsPage());
    return m_pages.value(path, m_defaultPage);
}

QByteArray SearchTestServer::EnginePage(const QString &engine, const QStringList &hosts, int page)
{
    QByteArray items;
    for (const QString &host : hosts) {
        const QByteArray name = host.toUtf8();
        const QByteArray target = "https://www." + name + "/";
        if (engine == QLatin1String("duckduckgo")) {
            const QByteArray wrapped = "//duckduckgo.com/l/?uddg=" + QUrl::toPercentEncoding(target) + "&amp;rut=f00";
            items += "<div class=\"result results_links web-result\"><h2 class=\"result__title\"><a rel=\"nofollow\" "
                     "class=\"result__a\" href=\"" + wrapped + "\">" + name + "</a></h2><a class=\"result__url\" href=\"" +
                     wrapped + "\">www." + name + "</a></div>";
        } else if (engine == QLatin1String("bing")) {
            items += "<li class=\"b_algo\"><h2><a href=\"https://www.bing.com/ck/a?!&amp;&amp;p=c0ffee&amp;u=a1" +
                     target.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals) +
                     "&amp;ntb=1\">" + name + "</a></h2><div class=\"b_caption\"><cite>" + target + "</cite></div></li>";
        } else if (engine == QLatin1String("mojeek")) {
            items += "<li><a class=\"ob\" href=\"" + target + "\">" + name + "</a><p class=\"i\">" + target + "</p></li>";
        } else {
            items += "<div class=\"snippet\" data-type=\"web\"><a href=\"" + target +
                     "\"><img src=\"https://imgs.search.brave.com/fav/" + name + ".png\"><div class=\"title\">" + name +
                     "</div></a></div>";
        }
    }
    QByteArray chrome;
    if (engine == QLatin1String("duckduckgo")) {
        // The next page's form carries the offsets and the vqd token.
        const int next = page == 0 ? 10 : 10 + 15 * page;
        chrome = "<div class=\"result result--ad\"><a href=\"https://duckduckgo.com/y.js?ad_domain=ads.example&amp;u3=x\">"
                 "Ad</a></div>" + items +
                 "<div class=\"nav-link\"><form action=\"/html/\" method=\"post\"><input type=\"hidden\" name=\"q\" "
                 "value=\"x\"><input type=\"hidden\" name=\"s\" value=\"" + QByteArray::number(next) +
                 "\"><input type=\"hidden\" name=\"dc\" value=\"" + QByteArray::number(next + 1) +
                 "\"><input type=\"hidden\" name=\"vqd\" value=\"4-2718281828\"><input type=\"submit\" "
                 "value=\"Next\"></form></div><a href=\"https://duckduckgo.com/feedback\">Feedback</a>";
    } else if (engine == QLatin1String("bing")) {
        chrome = "<ol id=\"b_results\">" + items + "</ol><a href=\"/search?q=x&amp;first=" +
                 QByteArray::number(11 + 10 * page) + "\">Next</a><a href=\"https://go.microsoft.com/fwlink/?LinkId=521839\">"
                 "Privacy</a>";
    } else if (engine == QLatin1String("mojeek")) {
        chrome = "<ul class=\"results-standard\">" + items + "</ul><a href=\"/search?q=x&amp;s=" +
                 QByteArray::number(10 * (page + 1)) + "\">Next</a><a href=\"https://www.mojeek.com/about\">About</a>";
    } else {
        chrome = "<div id=\"results\">" + items + "</div><a href=\"/search?q=x&amp;offset=" + QByteArray::number(page + 1) +
                 "\">Next</a><a href=\"https://search.brave.com/settings\">Settings</a>";
    }
    return "<html><head><title>" + engine.toUtf8() + " results</title></head><body>" + chrome + "</body></html>";
}

std::optional<SearchTestServer::Answer> SearchTestServer::EngineAnswer(const QString &target, const QByteArray &head,
                                                                       const QByteArray &body) const
{
    const QString path = target.section(QLatin1Char('?'), 0, 0);
    const QString engine = path.section(QLatin1Char('/'), 1, 1);
    const bool google = path == QLatin1String("/search"); // Google's result pages
    // The engine whose traps, cookie and challenge page these are ("/sorry/index" is Google's).
    const QString key = google || path == QLatin1String("/sorry/index") ? QStringLiteral("google") : engine;
    if (key != QLatin1String("google") && !m_engineResults.contains(key))
        return std::nullopt;
    if (path.endsWith(QLatin1String("/solve")))
        return Answer{200, "<html><body><p>Thank you.</p></body></html>",
                      "Set-Cookie: orvelle-solved-" + key.toUtf8() + "=1; Path=/\r\n"};
    if (path.endsWith(QLatin1String("captcha")) || path == QLatin1String("/sorry/index"))
        return Answer{200, ChallengePage(key), {}};
    const QUrlQuery query(target.section(QLatin1Char('?'), 1));
    const QUrlQuery form(QString::fromUtf8(body));
    int page = 0;
    bool limited = false;
    if (google) {
        page = query.queryItemValue(QStringLiteral("start")).toInt() / 100;
    } else if (engine == QLatin1String("duckduckgo")) {
        const int s = form.queryItemValue(QStringLiteral("s")).toInt();
        page = s <= 0 ? 0 : 1 + (s - 10) / 15;
        limited = page > 0 && form.queryItemValue(QStringLiteral("vqd")).isEmpty(); // no token: blocked
    } else if (engine == QLatin1String("bing")) {
        page = (query.queryItemValue(QStringLiteral("first")).toInt() - 1) / 10;
    } else if (engine == QLatin1String("mojeek")) {
        limited = query.hasQueryItem(QStringLiteral("s")) && query.queryItemValue(QStringLiteral("s")) == QLatin1String("0");
        page = query.queryItemValue(QStringLiteral("s")).toInt() / 10;
    } else {
        page = query.queryItemValue(QStringLiteral("offset")).toInt();
    }
    const bool solved = head.toLower().contains("orvelle-solved-" + key.toUtf8() + "=1");
    const std::optional<Trap> trap =
        solved || !m_traps.value(key).contains(page) ? std::nullopt : std::optional<Trap>(m_traps.value(key).value(page));
    if (limited || trap == Trap::Marker)
        return Answer{200, ChallengePage(key), {}};
    if (trap == Trap::Redirect)
        return Answer{302, {}, "Location: " + CaptchaPath(key) + "\r\n"};
    if (trap == Trap::TooMany)
        return Answer{429, "<html><body><p>Too Many Requests</p></body></html>", {}};
    if (google)
        return std::nullopt; // its result pages as set
    if (trap == Trap::Repeat)
        page = 0;
    const QList<QStringList> &pages = m_engineResults.value(engine);
    return Answer{200, EnginePage(engine, page < pages.size() ? pages.at(page) : QStringList(), page), {}};
}

void SearchTestServer::OnRequest(QTcpSocket *socket, const QByteArray &request)
{
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString target = words.size() > 1 ? QString::fromUtf8(words.at(1)) : QStringLiteral("/");
    m_targets.append(target);
    const qsizetype headEnd = request.indexOf("\r\n\r\n");
    if (const std::optional<Answer> answer = EngineAnswer(target, request.left(headEnd), request.mid(headEnd + 4))) {
        static const QHash<int, QByteArray> kReasons = {{200, "OK"}, {302, "Found"}, {429, "Too Many Requests"}};
        socket->write("HTTP/1.0 " + QByteArray::number(answer->status) + " " + kReasons.value(answer->status) +
                      "\r\nContent-Type: text/html; charset=utf-8\r\n" + answer->headers +
                      "Content-Length: " + QByteArray::number(answer->body.size()) + "\r\nConnection: close\r\n\r\n" +
                      answer->body);
        socket->disconnectFromHost();
        return;
    }
    if (m_hanging.contains(target.section(QLatin1Char('?'), 0, 0)))
        return;
    if (m_trickling.contains(target.section(QLatin1Char('?'), 0, 0))) {
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
                      "<html><head><title>Still loading</title></head><body><p>The first part" +
                      QByteArray(4096, ' '));
        return;
    }
    const QByteArray body = PageFor(target);
    QTimer::singleShot(m_delayMs, socket, [socket, body] {
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    });
}

QByteArray SearchTestServer::ResultsPage(Engine engine, const QStringList &hosts, const QString &title)
{
    QByteArray items;
    for (const QString &host : hosts) {
        const QByteArray name = host.toUtf8();
        if (engine == Engine::Google) {
            items += "<li class=\"g\"><h3><a href=\"http://www." + name + "/\">" + name +
                     "</a></h3><cite>www." + name + "/</cite></li>";
        } else {
            items += "<li><a href=\"http://www." + name + "/\">" + name + "</a></li>";
        }
    }
    const QByteArray list = engine == Engine::Google ? "<div id=\"search\"><ol>" + items + "</ol></div>"
                                                     : "<ul class=\"dir\">" + items + "</ul>";
    const QByteArray heading = title.isEmpty() ? QByteArray("Results") : title.toUtf8();
    return "<html><head><title>" + heading + "</title></head><body>" + list + "</body></html>";
}

QByteArray SearchTestServer::NoResultsPage()
{
    return "<html><head><title>No results</title></head><body><p>No more results.</p></body></html>";
}

QStringList SearchTestServer::NumberedHosts(int first, int count)
{
    QStringList hosts;
    for (int i = first; i < first + count; ++i)
        hosts << QStringLiteral("site%1.com").arg(i, 4, 10, QLatin1Char('0'));
    return hosts;
}

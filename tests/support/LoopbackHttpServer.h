#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>

class QTcpServer;

// A tiny HTTP server on 127.0.0.1 for browser tests: answers GET requests with the page set
// for the path (or a default page), and records the paths asked for.
class LoopbackHttpServer : public QObject
{
    Q_OBJECT
public:
    explicit LoopbackHttpServer(QObject *parent = nullptr);

    bool Listen();
    quint16 port() const;
    QString url(const QString &path) const;

    void setPage(const QString &path, const QByteArray &html) { m_pages.insert(path, html); }
    void setDefaultPage(const QByteArray &html) { m_defaultPage = html; }
    QStringList requestedPaths() const { return m_requested; }

private:
    QTcpServer *m_server;
    QHash<QString, QByteArray> m_pages;
    QByteArray m_defaultPage = "<html><head><title>Loopback</title></head><body>loopback</body></html>";
    QStringList m_requested;
};

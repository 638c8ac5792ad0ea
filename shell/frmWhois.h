#pragma once

#include "engine/WhoisQuery.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QTextEdit;

// "WHOIS Information": the full whois reply for one name from one fixed whois server, shown
// when the server closes the connection. A server that cannot be reached, breaks the
// connection, sends more than a reply may hold, or does not answer within 30 seconds gets a
// plain message instead.
class frmWhois : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kAnswerTimeoutMs = 30000;

    frmWhois(const QString &domain, const QString &host, quint16 port,
             std::unique_ptr<SocketComponent> socket, QWidget *parent = nullptr);

    // Starts the query; the window shows the reply when it is complete.
    void Load();
    void setAnswerTimeout(int ms) { m_timeout.setInterval(ms); }
    const QByteArray &replyText() const { return m_query.reply(); }

    QTextEdit *Text1;

private:
    void ShowProblem(const QString &message);

    QString m_domain;
    QString m_host;
    quint16 m_port;
    WhoisQuery m_query;
    QTimer m_timeout;
};

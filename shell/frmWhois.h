#pragma once

#include "platform/SocketComponent.h"

#include <QByteArray>
#include <QTimer>
#include <QWidget>

#include <memory>

class QTextEdit;

// "WHOIS Information": the full whois reply for one name from one fixed whois server, shown
// when the server closes the connection. A server that cannot be reached or does not answer
// within 30 seconds gets a plain message instead.
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

    QTextEdit *Text1;
    QByteArray ReplyText;

private:
    void ShowProblem(const QString &message);

    QString m_domain;
    QString m_host;
    quint16 m_port;
    std::unique_ptr<SocketComponent> m_socket;
    QTimer m_timeout;
};

#include "WhoisWindow.h"

#include "Pictures.h"
#include "engine/DnsPrecheck.h"
#include "engine/DomainName.h"
#include "engine/HostTurn.h"
#include "platform/TextFile.h"

#include <QNetworkAccessManager>
#include <QPushButton>
#include <QUrl>
#include <QTextEdit>
#include <QVBoxLayout>

WhoisWindow::WhoisWindow(const QString &domain, const QString &host, quint16 port,
                         std::unique_ptr<SocketComponent> socket, QWidget *parent)
    : QWidget(parent, Qt::Window), m_domain(domain), m_host(host), m_port(port), m_query(std::move(socket), *this)
{
    setObjectName(QStringLiteral("frmWhois"));
    setWindowTitle(QStringLiteral("WHOIS Information"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    setAttribute(Qt::WA_DeleteOnClose);
    m_replyText = new QTextEdit(this);
    m_replyText->setObjectName(QStringLiteral("Text1"));
    m_replyText->setReadOnly(true);
    m_replyText->setAcceptRichText(false);
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    m_replyText->setFont(font);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_replyText);
    m_askWhoisButton = new QPushButton(QStringLiteral("Ask Whois"), this);
    m_askWhoisButton->setObjectName(QStringLiteral("cmdAskWhois"));
    m_askWhoisButton->hide();
    connect(m_askWhoisButton, &QPushButton::clicked, this, [this] {
        m_askWhoisButton->hide();
        m_replyText->clear();
        AskRegistry();
    });
    layout->addWidget(m_askWhoisButton);
    // 8235 x 6555 twips.
    setFixedSize(549, 437);

    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kAnswerTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        m_query.Abort();
        if (m_turn)
            m_turn->Release(false);
        ShowProblem(QStringLiteral("The whois server %1 gave no answer within 30 seconds.").arg(m_host));
    });
}

WhoisWindow::~WhoisWindow() = default;

void WhoisWindow::ReplyComplete()
{
    m_timeout.stop();
    m_query.Abort();
    const QString reply = TextFile::Decode(m_query.reply());
    const Judgement judgement = m_judge ? m_judge(m_query.reply()) : Judgement();
    if (m_turn && judgement.problem == Judgement::Problem::RateLimited)
        m_turn->Refused(); // the run's queries to the host cool down with this one
    else if (m_turn)
        m_turn->Release(true);
    m_replyText->setPlainText(judgement.status == Judgement::Status::None
                                  ? reply
                                  : StatusLine(m_domain, judgement) + QStringLiteral("\n\n") + reply);
}

void WhoisWindow::QueryFailed(WhoisQuery::Failure failure, const QString &detail)
{
    m_timeout.stop();
    m_query.Abort();
    if (m_turn)
        m_turn->Release(false);
    ShowProblem(failure == WhoisQuery::Failure::ReplyTooLong
                    ? QStringLiteral("The whois server %1 sent a reply longer than 1 MiB.").arg(m_host)
                    : QStringLiteral("The whois server ") + WhoisQuery::FailureText(failure, m_host, detail));
}

QString WhoisWindow::StatusLine(const QString &name, const Judgement &judgement)
{
    if (judgement.isPremium())
        return QStringLiteral("%1: free, premium (the registry asks more than its usual fee)").arg(name);
    return QStringLiteral("%1: registered, %2").arg(name, judgement.reason);
}

void WhoisWindow::setTurn(std::unique_ptr<HostTurn> turn)
{
    m_turn = std::move(turn);
}

void WhoisWindow::setRdapService(const QString &rdapBase)
{
    m_rdapBase = rdapBase;
    if (m_rdap)
        return;
    m_network = new QNetworkAccessManager(this);
    m_rdap = new RdapQuery(*m_network, 1000, this);
    connect(m_rdap, &RdapQuery::finished, this, &WhoisWindow::ShowRdapAnswer);
}

void WhoisWindow::setDnsFirst(const CheckSettings &settings)
{
    if (!m_dns)
        m_dns = new DnsPrecheck(Clock::System(), this);
    if (!m_dns->Configure(settings) || !m_dns->isOn()) {
        delete m_dns; // off, or no usable resolver: whois only
        m_dns = nullptr;
    }
}

void WhoisWindow::Load()
{
    const std::optional<QString> ascii = AsciiDomainName(m_domain);
    if (!ascii) {
        ShowProblem(QStringLiteral("\"%1\" is not a valid domain name.").arg(m_domain));
        return;
    }
    if (!m_noServer.isEmpty()) {
        ShowProblem(QStringLiteral("%1 cannot be asked: %2.").arg(m_domain, m_noServer));
        return;
    }
    if (!m_dns) {
        AskRegistry();
        return;
    }
    m_replyText->setPlainText(QStringLiteral("Asking DNS for %1...").arg(m_domain));
    m_dns->Ask(*ascii, [this](const DnsPrecheck::Result &result) {
        if (result.answer == DnsPrecheck::Answer::Delegated)
            ShowDelegation(result.nameServers);
        else
            AskRegistry();
    });
}

void WhoisWindow::ShowDelegation(const QStringList &nameServers)
{
    m_replyText->setPlainText(QStringLiteral("Domain: %1\nregistered: delegated in DNS\nName servers:\n   %2")
                                  .arg(m_domain, nameServers.join(QStringLiteral("\n   "))));
    m_askWhoisButton->show();
}

void WhoisWindow::AskRegistry()
{
    const QString ascii = AsciiDomainName(m_domain).value_or(m_domain);
    if (m_rdap) {
        // The RDAP query keeps its own time limit.
        m_replyText->setPlainText(
            QStringLiteral("Asking the RDAP service %1 for %2...").arg(QUrl(m_rdapBase).host(), m_domain));
        m_rdap->Start(m_rdapBase, ascii);
        return;
    }
    if (!m_turn) {
        AskWhois(ascii);
        return;
    }
    m_turn->Take([this, ascii] { AskWhois(ascii); },
                 [this](qint64 ms) {
                     if (ms == HostPacer::kQuotaSpent) {
                         ShowProblem(m_turn->QuotaReason() + QLatin1Char('.'));
                         return;
                     }
                     m_replyText->setPlainText(
                         ms < 0 ? QStringLiteral("Waiting for %1: its connections are all in use by the search.")
                                      .arg(m_host)
                                : QStringLiteral("Waiting for %1: it allows the next question in %2 s.")
                                      .arg(m_host)
                                      .arg((ms + 999) / 1000));
                 });
}

void WhoisWindow::AskWhois(const QString &asciiName)
{
    m_replyText->setPlainText(QStringLiteral("Asking %1 for %2...").arg(m_host, m_domain));
    m_timeout.start();
    if (!m_query.Start(m_host, m_port, asciiName)) {
        m_timeout.stop();
        if (m_turn)
            m_turn->Release(false);
        ShowProblem(QStringLiteral("The whois server \"%1\" port %2 is not a valid address.")
                        .arg(m_host)
                        .arg(m_port));
    }
}

void WhoisWindow::ShowRdapAnswer(const RdapAnswer &answer)
{
    switch (answer.kind) {
    case RdapAnswer::Kind::Registered:
        m_replyText->setPlainText(RdapFacts(m_rdap->body()));
        return;
    case RdapAnswer::Kind::NotRegistered:
        m_replyText->setPlainText(QStringLiteral("Domain: %1\nnot registered").arg(m_domain));
        return;
    case RdapAnswer::Kind::RateLimited:
    case RdapAnswer::Kind::NoVerdict:
        ShowProblem(QStringLiteral("The RDAP service %1 gave no usable answer: %2")
                        .arg(m_rdap->host(), answer.reason));
        return;
    }
}

void WhoisWindow::ShowProblem(const QString &message)
{
    m_replyText->setPlainText(message);
}

#include "WhoisSlot.h"

#include "sources/xCorrectName.h"
#include "sources/xurlEncode.h"
#include "whois_table/RegistrarTable.h"

namespace {

// Error numbers the messages report, as users of the program know them.
constexpr int kErrorSubscript = 9;
constexpr int kErrorInvalidArgument = 5;

} // namespace

WhoisSlot::WhoisSlot(int index, WhoisSlotHost &host, std::unique_ptr<SocketComponent> socket, int tickMs,
                     QObject *parent)
    : QObject(parent), m_index(index), m_host(host), m_socket(std::move(socket)), m_tickMs(tickMs)
{
    m_timer.setInterval(m_tickMs);
    connect(&m_timer, &QTimer::timeout, this, &WhoisSlot::OnTick);
    connect(m_socket.get(), &SocketComponent::Connected, this, &WhoisSlot::OnConnected);
    connect(m_socket.get(), &SocketComponent::DataArrival, this, &WhoisSlot::OnDataArrival);
    connect(m_socket.get(), &SocketComponent::PeerClosed, this, &WhoisSlot::OnPeerClosed);
}

void WhoisSlot::ReportStartFailure(int errorNumber, const QString &description)
{
    m_host.ReportError(QStringLiteral("Error"), QStringLiteral("An error has occurred.\r\nError #: ") +
                                                    QString::number(errorNumber) +
                                                    QStringLiteral("\r\nDescription: ") + description);
}

bool WhoisSlot::StartQuery(const QString &candidate, const RegistrarTable &table, bool proxyMode,
                           const QString &defaultExtension)
{
    if (m_host.IsStopped())
        return false;
    QString name = candidate;
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        name = name.mid(colon + 1);
    name = NameCleaner(PercentDecoder(name));
    if (!name.contains(QLatin1Char('.')))
        name += defaultExtension;
    m_name = name;

    const int row = table.FindRegistrarIndex(name, proxyMode);
    if (!table.isValidIndex(row)) {
        ReportStartFailure(kErrorSubscript, QStringLiteral("Subscript out of range"));
        return false;
    }
    m_port = table.row(row).Port;
    m_server = table.row(row).Server;
    m_query = name;
    m_reply.clear();
    m_ticks = 0;
    m_timer.start(m_tickMs);

    // An invalid argument is tried once more, then reported; the running timer then retries
    // the connection like after a timeout.
    if (ConnectToServer() == SocketComponent::ConnectResult::InvalidArgument &&
        ConnectToServer() == SocketComponent::ConnectResult::InvalidArgument) {
        ReportStartFailure(kErrorInvalidArgument, QStringLiteral("Invalid procedure call or argument"));
    }
    return true;
}

SocketComponent::ConnectResult WhoisSlot::ConnectToServer()
{
    m_socket->Close();
    return m_socket->Connect(m_server, m_port);
}

void WhoisSlot::CloseConnection()
{
    m_socket->Close();
}

void WhoisSlot::StopTimer()
{
    m_timer.stop();
}

void WhoisSlot::Reset()
{
    m_socket->Close();
    m_timer.stop();
    m_ticks = 0;
}

void WhoisSlot::OnConnected()
{
    if (m_host.IsStopped()) {
        m_socket->Close();
        return;
    }
    m_host.ShowConnectionStatus(QStringLiteral("connecting(") + QString::number(m_index) +
                                QStringLiteral("): - Search String: ") + m_query);
    m_ticks = 0;
    if (!m_timer.isActive())
        m_timer.start(m_tickMs);
    if (!m_socket->SendData(m_query + QStringLiteral("\r\n")))
        ConnectToServer(); // to the row's own port, like every reconnect
}

void WhoisSlot::OnDataArrival()
{
    if (m_host.IsStopped()) {
        m_socket->Close();
        return;
    }
    const QByteArray data = m_socket->GetData();
    const qsizetype room = kReplyLimit - m_reply.size();
    if (room > 0)
        m_reply.append(data.left(room));
}

void WhoisSlot::OnPeerClosed()
{
    m_host.ReplyComplete(*this);
}

void WhoisSlot::OnTick()
{
    ++m_ticks;
    if (m_host.IsStopped()) {
        m_timer.stop();
        return;
    }
    if (m_ticks >= kTimeoutTicks) {
        m_socket->Close();
        m_ticks = 0;
        m_timer.start(m_tickMs);
        ConnectToServer();
    }
}

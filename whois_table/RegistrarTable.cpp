#include "RegistrarTable.h"

static const QString kProxy = QStringLiteral("proxy");

template<typename Visit> void RegistrarTable::ForEachExtension(Visit visit) const
{
    for (const RegistrarEntry &row : m_rows) {
        if (row.Enabled && row.Extension != kProxy) {
            if (!visit(row.Extension))
                return;
        }
    }
}

void RegistrarTable::setRows(QList<RegistrarEntry> rows)
{
    m_rows = std::move(rows);
    m_firstRowOf.clear();
    m_lastExtension.clear();
    m_lastComRow = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_firstRowOf.contains(m_rows.at(i).Extension))
            m_firstRowOf.insert(m_rows.at(i).Extension, i);
        if (m_rows.at(i).Extension == QLatin1String("com"))
            m_lastComRow = i;
    }
}

namespace {

// The part of a name after its last dot, lower case: the extension whose row is asked.
QString ExtensionOf(const QString &name)
{
    return name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toLower();
}

} // namespace

int RegistrarTable::FindRegistrarIndex(const QString &name, bool proxyMode) const
{
    const int row = FirstRowOf(proxyMode ? kProxy : ExtensionOf(name));
    return row >= 0 ? row : m_lastComRow;
}

bool RegistrarTable::IsRdapServer(const QString &server)
{
    // Asked for every name: a whois host name rarely begins with an h.
    if (server.isEmpty() || (server.front().unicode() | 0x20) != u'h')
        return false;
    return server.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
           server.startsWith(QLatin1String("http://"), Qt::CaseInsensitive);
}

RegistrarTable::Route RegistrarTable::RouteFor(const QString &name, bool proxyMode) const
{
    if (m_rows.isEmpty())
        return {-1, QStringLiteral("the whois server table is empty")};
    int row = -1;
    if (proxyMode) {
        row = FindRegistrarIndex(name, true);
    } else {
        // A list asks one extension name after name: its row is kept.
        const QStringView asked = QStringView(name).sliced(name.lastIndexOf(QLatin1Char('.')) + 1);
        if (m_lastExtension.isEmpty() || asked != m_lastExtension) {
            m_lastExtension = ExtensionOf(name);
            m_lastExtensionRow = FirstRowOf(m_lastExtension);
        }
        row = m_lastExtensionRow;
        if (row < 0)
            return {-1, QStringLiteral("no whois server for .") + m_lastExtension};
    }
    if (m_rows.at(row).Server == kNoService)
        return {-1, QStringLiteral("no whois service for .") + m_rows.at(row).Extension};
    return {row, QString()};
}

QString RegistrarTable::SplitAfterExtensions(QString text) const
{
    // What may follow a name: a blank, a path, quotes, a port or query, and the punctuation of
    // running text and markup (a comma, semicolon, closing parenthesis or tag).
    static const QString kFollowers = QStringLiteral(" /\"':?,;)<");
    static const QString kComQuote = QStringLiteral(".com\"");
    static const QString kComQuoteBreak = QStringLiteral(".com\"\r\n");
    ForEachExtension([&](const QString &extension) {
        for (const QChar follower : kFollowers) {
            const QString found = extension + follower;
            text.replace(found, found + QStringLiteral("\r\n"), Qt::CaseSensitive);
        }
        text.replace(kComQuote, kComQuoteBreak, Qt::CaseSensitive);
        return true;
    });
    return text;
}

bool RegistrarTable::HasKnownExtension(const QString &text) const
{
    bool found = false;
    ForEachExtension([&](const QString &extension) {
        found = text.contains(QLatin1Char('.') + extension, Qt::CaseInsensitive);
        return !found;
    });
    return found;
}

int RegistrarTable::EndOfExtension(const QString &text) const
{
    int end = 0;
    ForEachExtension([&](const QString &extension) {
        const qsizetype dot = text.indexOf(QLatin1Char('.') + extension, 0, Qt::CaseInsensitive);
        if (dot < 0)
            return true;
        end = static_cast<int>(dot + 1 + extension.size() + 1);
        return false;
    });
    return end;
}

QString RegistrableDomain(const QString &host)
{
    static const QStringList kTwoLabelEndings = {
        QStringLiteral("com"), QStringLiteral("org"),  QStringLiteral("info"), QStringLiteral("name"),
        QStringLiteral("biz"), QStringLiteral("coop"), QStringLiteral("edu"),  QStringLiteral("aero")};
    if (!host.contains(QLatin1Char('.')))
        return host;
    const QStringList labels = host.split(QLatin1Char('.'));
    const qsizetype last = labels.size() - 1;
    if (last < 2)
        return host;
    const auto joinFrom = [&](qsizetype first) {
        return labels.mid(first).join(QLatin1Char('.'));
    };
    if (kTwoLabelEndings.contains(labels.at(last)))
        return joinFrom(last - 1);
    if (labels.at(last - 1) == QLatin1String("co"))
        return joinFrom(last - 2);
    if (labels.at(last) == QLatin1String("us"))
        return joinFrom(last - 1);
    return QString();
}

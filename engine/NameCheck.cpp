#include "NameCheck.h"

#include "DomainName.h"
#include "RdapBootstrap.h"
#include "sources/CandidateFile.h"
#include "sources/NameCleaner.h"
#include "sources/PercentDecoding.h"
#include "whois_table/RegistrarTable.h"

#include <QUrl>

#include <algorithm>

namespace {

bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// The name as it may be shown and kept: every control character percent-encoded again.
QString WithControlsEncoded(const QString &name)
{
    QString shown;
    for (const QChar c : name) {
        if (IsControl(c))
            shown += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

CheckedName Refused(CheckedName name, CheckedName::Problem problem, const QString &reason)
{
    name.problem = problem;
    name.reason = reason;
    return name;
}

} // namespace

bool HasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), IsControl);
}

QString CheckedName::DecidedBy() const
{
    // Asked for every name checked, and most names in a row share their host: the text made
    // last is given again (shared, not copied) while the host stays the same.
    thread_local QString lastHost;
    thread_local bool lastRdap = false;
    thread_local QString lastText;
    if (host != lastHost || isRdap() != lastRdap || lastText.isEmpty()) {
        lastHost = host;
        lastRdap = isRdap();
        lastText = (lastRdap ? QStringLiteral("RDAP ") : QStringLiteral("whois ")) + host;
    }
    return lastText;
}

NameCheck::LineNames NameCheck::NamesOfLine(const QString &line) const
{
    // A list line may carry blanks around the name, and after a tab a note (the reason a name of
    // "Unchecked.txt" got no verdict); neither is part of the name.
    // Made from a view: the name gets a block of its own size, and the lists keep that block.
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    const QString candidate = QStringView(line).left(tab < 0 ? line.size() : tab).trimmed().toString();
    if (candidate.size() > kMaxLineLength)
        return {{candidate}, false};
    const QString name = NameCleaner(candidate);
    if (name == CandidateFile::kEndMarker)
        return {{}, true};
    if (name.contains(QLatin1Char('.')) || m_settings.extensions.isEmpty())
        return {{name}, false};
    QStringList names;
    for (const QString &extension : m_settings.extensions.mid(0, kMostExtensions))
        names << name + QLatin1Char('.') + extension;
    return {names, false};
}

CheckedName NameCheck::Prepare(const QString &candidate) const
{
    using Problem = CheckedName::Problem;
    CheckedName prepared;
    if (candidate.size() > kMaxLineLength) {
        prepared.name = WithControlsEncoded(candidate.left(kShownOfLongLine)) + QStringLiteral("...");
        return Refused(prepared, Problem::InvalidName, QStringLiteral("line too long"));
    }
    QString name = candidate;
    if (const qsizetype colon = name.indexOf(QLatin1Char(':')); colon >= 0)
        name = name.mid(colon + 1);
    name = NameCleaner(PercentDecoder(name));
    if (!name.contains(QLatin1Char('.'))) {
        name += CheckSettings::kDefaultExtension;
        prepared.extensionAdded = true;
    }
    // A decoded line break would put a second query line on the wire and a forged line into the
    // result files and output; such a name is refused, and shown with the characters encoded.
    if (HasControlCharacter(name)) {
        prepared.name = WithControlsEncoded(name);
        return Refused(prepared, Problem::InvalidName, QStringLiteral("not a valid domain name"));
    }
    prepared.name = name;
    const std::optional<QString> ascii = AsciiDomainName(name);
    if (!ascii)
        return Refused(prepared, Problem::InvalidName, QStringLiteral("not a valid domain name"));
    prepared.wireName = *ascii;
    const RegistrarTable &table = m_tables.registrars;
    if (table.size() == 0)
        return Refused(prepared, Problem::EmptyTable, QStringLiteral("the whois server table is empty"));
    const RegistrarTable::Route route = table.RouteFor(prepared.wireName, m_settings.proxyMode);
    QString server = route.row >= 0 ? table.row(route.row).Server : QString();
    if (route.row < 0 && !m_settings.proxyMode && m_tables.rdapBootstrap)
        server = m_tables.rdapBootstrap->ServiceFor(prepared.wireName);
    if (server.isEmpty())
        return Refused(prepared, Problem::NoServer, route.reason);
    if (RegistrarTable::IsRdapServer(server)) {
        prepared.rdapBase = server.endsWith(QLatin1Char('/')) ? server : server + QLatin1Char('/');
        // A row's service is the registry's own unless the bootstrap names another for the
        // extension (the row's is then a redirector, which answers 404 for what it does not know).
        const QString own = m_tables.rdapBootstrap ? m_tables.rdapBootstrap->ServiceFor(prepared.wireName) : QString();
        prepared.rdapAuthoritative = own.isEmpty() || QUrl(own).host() == QUrl(prepared.rdapBase).host();
        // Paced apart from a whois server on the same host: the port is part of the key.
        const QUrl url(prepared.rdapBase);
        prepared.host = url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
        prepared.port = 0;
        return prepared;
    }
    prepared.host = server;
    prepared.port = table.row(route.row).Port;
    return prepared;
}

Judgement NameCheck::JudgeReply(const QByteArray &reply, const CheckedName &name) const
{
    return JudgeReplyBytes(reply, {name.name, name.host, m_tables.phrases});
}

Judgement NameCheck::JudgeRdap(const RdapAnswer &answer, const CheckedName &name)
{
    // Registered, and on its way out or held: the words users know, in the order they matter.
    static const std::pair<const char *, const char *> kGrace[] = {{"redemption period", "in redemption"},
                                                                   {"pending delete", "pending delete"},
                                                                   {"server hold", "on hold (server hold)"},
                                                                   {"client hold", "on hold (client hold)"},
                                                                   {"inactive", "inactive"}};
    switch (answer.kind) {
    case RdapAnswer::Kind::Registered:
        for (const auto &[status, reason] : kGrace) {
            if (answer.statuses.contains(QLatin1String(status)))
                return Judgement::WithStatus(Verdict::Taken, Judgement::Status::Grace, QString::fromLatin1(reason));
        }
        return Judgement::Of(Verdict::Taken);
    case RdapAnswer::Kind::NotRegistered:
        if (!name.rdapAuthoritative)
            return {Verdict::NoVerdict, Judgement::Problem::NotUnderstood,
                    QStringLiteral("%1 is not the registry's own RDAP service: its \"not found\" proves nothing")
                        .arg(name.host)};
        return Judgement::Of(Verdict::Free);
    case RdapAnswer::Kind::RateLimited:
        return Judgement::Without(Judgement::Problem::RateLimited);
    case RdapAnswer::Kind::NoVerdict:
        break;
    }
    return {Verdict::NoVerdict, Judgement::Problem::NotUnderstood, answer.reason};
}

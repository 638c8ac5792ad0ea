#include "ProgramSettings.h"

#include "platform/WholeNumber.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

using Key = ProgramSettings::Key;

// Each stored setting: its key, the application name it is kept under, its default.
struct KeySpec
{
    Key key;
    const char *name;
    bool positions; // kept under "Velquist" with the run positions
    const char *defaultValue;
};
constexpr KeySpec kKeys[] = {
    {Key::WordNumber, "wordNumber", true, "0"},
    {Key::FiledUpTo, "filedUpTo", true, "0"},
    {Key::FiledList, "filedList", true, ""},
    {Key::ExtensionAt, "extensionAt", true, ""},
    {Key::ExtensionsToTry, "extensionsToTry", false, ""},
    {Key::ProxyMode, "chkProxy", false, "0"},
    {Key::DnsFirst, "chkDns", false, "1"},
    {Key::ControlQueries, "controlQueries", false, "1"},
    {Key::DnsServers, "dnsServers", false, ""},
    {Key::HostLimits, "hostLimits", false, ""},
    {Key::LearnedPaces, "learnedPaces", false, ""},
    {Key::QuotaUsage, "quotaUsage", false, ""},
    {Key::ShowHelp, "showHelp", false, "1"},
    {Key::ExtensionChoice, "chkExt", false, "1"},
    {Key::AffixChoice, "chkAdd", false, "1"},
    {Key::BaseWord, "txtMake", false, ""},
    {Key::CustomExtension, "txtCustom", false, ".co.uk"},
    // "mainGeometry": the window's name comes first.
    {Key::WindowPlace, "Geometry", false, ""},
};

const KeySpec &SpecOf(Key key)
{
    for (const KeySpec &spec : kKeys) {
        if (spec.key == key)
            return spec;
    }
    Q_UNREACHABLE();
}

QString NameOf(Key key, const QString &suffix)
{
    const QString name = QLatin1String(SpecOf(key).name);
    return key == Key::WindowPlace ? suffix + name : name + suffix;
}

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

const QString ProgramSettings::kPositionsApp = QStringLiteral("Velquist");
const QString ProgramSettings::kSection = QStringLiteral("Settings");

ProgramSettings::ProgramSettings(const QString &root, QString productApp)
    : m_store(root), m_productApp(std::move(productApp))
{
}

QString ProgramSettings::ApplicationOf(Key key) const
{
    return SpecOf(key).positions ? kPositionsApp : m_productApp;
}

QString ProgramSettings::Read(Key key, const QString &suffix) const
{
    return m_store.ReadSetting(ApplicationOf(key), kSection, NameOf(key, suffix),
                               QLatin1String(SpecOf(key).defaultValue));
}

bool ProgramSettings::Write(Key key, const QString &value, const QString &suffix)
{
    return m_store.WriteSetting(ApplicationOf(key), kSection, NameOf(key, suffix), value);
}

QString ProgramSettings::ResumePosition(const QString &resumeKey) const
{
    return m_store.ReadSetting(kPositionsApp, kSection, resumeKey, QStringLiteral("1"));
}

FiledMark ProgramSettings::StoredFiledMark() const
{
    return {Read(Key::FiledList), ParseWhole(Read(Key::FiledUpTo)).value_or(0)};
}

qint64 ProgramSettings::RunPosition() const
{
    return ParseWhole(Read(Key::WordNumber)).value_or(0);
}

int ProgramSettings::StoredExtension(const QString &listPath, qint64 position) const
{
    if (StoredFiledMark().listPath != listPath)
        return 0;
    const QStringList at = Read(Key::ExtensionAt).split(QLatin1Char(':'));
    if (at.size() != 2 || ParseWhole(at.at(0)) != position)
        return 0;
    return static_cast<int>(std::clamp<qint64>(ParseWhole(at.at(1)).value_or(0), 0, 63));
}

bool ProgramSettings::StoreRunPosition(const QString &resumeKey, qint64 position, const FiledMark &filed,
                                       int extension)
{
    const QString value = QString::number(position);
    SettingsStore::Values values;
    if (!resumeKey.isEmpty())
        values.append({resumeKey, value});
    values.append({NameOf(Key::WordNumber, {}), value});
    values.append({NameOf(Key::FiledUpTo, {}), QString::number(filed.upTo)});
    values.append({NameOf(Key::FiledList, {}), filed.listPath});
    values.append({NameOf(Key::ExtensionAt, {}), QStringLiteral("%1:%2").arg(position).arg(extension)});
    return m_store.WriteSettings(kPositionsApp, kSection, values);
}

CheckSettings ProgramSettings::ReadCheckSettings(QStringList *problems) const
{
    CheckSettings settings;
    const auto problem = [problems](const QString &text) {
        if (problems)
            problems->append(text);
    };
    settings.proxyMode = Read(Key::ProxyMode) == QLatin1String("1");
    settings.dnsFirst = Read(Key::DnsFirst) != QLatin1String("0");
    settings.controlQueries = Read(Key::ControlQueries) != QLatin1String("0");
    settings.extensions = CheckSettings::ParseExtensions(Read(Key::ExtensionsToTry));
    QString error;
    const QString servers = Read(Key::DnsServers);
    if (const std::optional<QList<DnsServer>> parsed = CheckSettings::ParseDnsServers(servers, &error))
        settings.dnsServers = *parsed;
    else
        problem(QStringLiteral("The DNS servers \"%1\" in the settings cannot be read (%2); the system's "
                               "resolvers are used.")
                    .arg(servers, error));
    const QString limits = Read(Key::HostLimits);
    if (const std::optional<QHash<QString, HostLimit>> parsed = CheckSettings::ParseHostLimits(limits, &error))
        settings.hostLimits = *parsed;
    else
        problem(QStringLiteral("The whois host limits \"%1\" in the settings cannot be read (%2); the "
                               "built-in limits are used.")
                    .arg(limits, error));
    return settings;
}

bool ProgramSettings::SetProxyMode(bool on)
{
    return Write(Key::ProxyMode, Flag(on));
}

bool ProgramSettings::SetControlQueries(bool on)
{
    return Write(Key::ControlQueries, Flag(on));
}

bool ProgramSettings::SetDnsFirst(bool on)
{
    return Write(Key::DnsFirst, Flag(on));
}

bool ProgramSettings::SetExtensionsToTry(const QStringList &extensions)
{
    return Write(Key::ExtensionsToTry, extensions.join(QStringLiteral(", ")));
}

bool ProgramSettings::SetHostLimits(const QString &text)
{
    return Write(Key::HostLimits, text);
}

bool ProgramSettings::ShowHelp() const
{
    return Read(Key::ShowHelp) == QLatin1String("1");
}

bool ProgramSettings::SetShowHelp(bool show)
{
    return Write(Key::ShowHelp, Flag(show));
}

QByteArray ProgramSettings::WindowGeometry(const QString &window) const
{
    return QByteArray::fromBase64(Read(Key::WindowPlace, window).toLatin1());
}

bool ProgramSettings::SetWindowGeometry(const QString &window, const QByteArray &geometry)
{
    return Write(Key::WindowPlace, QString::fromLatin1(geometry.toBase64()), window);
}

bool ProgramSettings::SetExtensionChoice(int option, bool chosen)
{
    return Write(Key::ExtensionChoice, Flag(chosen), QString::number(option));
}

bool ProgramSettings::SetAffixChoice(int option, bool chosen)
{
    return Write(Key::AffixChoice, Flag(chosen), QString::number(option));
}

QHash<QString, RememberedPace> ProgramSettings::LearnedPaces(const QDateTime &now) const
{
    static const QRegularExpression kEntry(QStringLiteral(
        "^\\s*([A-Za-z0-9.:-]+)\\s*=\\s*([0-9]+(?:\\.[0-9]+)?)\\s*/\\s*([0-9]+)\\s*@\\s*(\\S+)\\s*$"));
    QHash<QString, RememberedPace> paces;
    const QString text = Read(Key::LearnedPaces);
    for (const QString &entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = kEntry.match(entry);
        if (!match.hasMatch())
            continue;
        const QDateTime learnedAt = QDateTime::fromString(match.captured(4), Qt::ISODate);
        const double perSecond = match.captured(2).toDouble();
        const int maxOpen = match.captured(3).toInt();
        const qint64 ageSeconds = learnedAt.isValid() ? learnedAt.secsTo(now) : -1;
        if (ageSeconds < 0 || ageSeconds >= kPaceKeptForSeconds || perSecond <= 0 || maxOpen < 1)
            continue;
        paces.insert(match.captured(1).toLower(), {{perSecond, std::min(maxOpen, HostLimit::kMostOpen)}, ageSeconds * 1000});
    }
    return paces;
}

bool ProgramSettings::StoreLearnedPaces(const QHash<QString, RememberedPace> &paces, const QDateTime &now)
{
    QHash<QString, RememberedPace> kept = LearnedPaces(now);
    for (auto it = paces.cbegin(); it != paces.cend(); ++it)
        kept.insert(it.key().toLower(), *it);
    QStringList hosts = kept.keys();
    hosts.sort();
    QStringList entries;
    for (const QString &host : std::as_const(hosts)) {
        const RememberedPace &pace = kept.value(host);
        if (pace.ageMs >= kPaceKeptForSeconds * 1000)
            continue;
        entries << QStringLiteral("%1=%2/%3@%4")
                       .arg(host, QString::number(pace.limit.perSecond, 'g', 4))
                       .arg(pace.limit.maxOpen)
                       .arg(now.addMSecs(-pace.ageMs).toUTC().toString(Qt::ISODate));
    }
    return Write(Key::LearnedPaces, entries.join(QStringLiteral("; ")));
}

::QuotaUsage ProgramSettings::QuotaUsage(const QDateTime &now) const
{
    static const QRegularExpression kEntry(QStringLiteral("^\\s*([A-Za-z0-9.:-]+)\\s*=\\s*([0-9:,\\s]*)$"));
    const qint64 nowMs = now.toMSecsSinceEpoch();
    ::QuotaUsage usage;
    for (const QString &entry : Read(Key::QuotaUsage).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = kEntry.match(entry);
        if (!match.hasMatch())
            continue;
        QList<QuotaUse> uses;
        for (const QString &stretch : match.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool startOk = false;
            bool countOk = false;
            const qint64 start = stretch.section(QLatin1Char(':'), 0, 0).trimmed().toLongLong(&startOk) * 1000;
            const int count = stretch.section(QLatin1Char(':'), 1, 1).trimmed().toInt(&countOk);
            // Starts are kept rounded up to the second: one within that second is now.
            const qint64 age = nowMs - start;
            if (startOk && countOk && count > 0 && age > -1000 && age < QueryQuota::kDayMs + QueryQuota::kStretchMs)
                uses.append({std::max<qint64>(0, age), count});
        }
        if (!uses.isEmpty())
            usage.insert(match.captured(1).toLower(), uses);
    }
    return usage;
}

bool ProgramSettings::StoreQuotaUsage(const ::QuotaUsage &usage, const QDateTime &now)
{
    const qint64 nowMs = now.toMSecsSinceEpoch();
    QStringList hosts = usage.keys();
    hosts.sort();
    QStringList entries;
    for (const QString &host : std::as_const(hosts)) {
        QStringList stretches;
        for (const QuotaUse &use : usage.value(host))
            stretches << QStringLiteral("%1:%2").arg((nowMs - use.ageMs + 999) / 1000).arg(use.count);
        entries << host + QLatin1Char('=') + stretches.join(QLatin1Char(','));
    }
    return Write(Key::QuotaUsage, entries.join(QStringLiteral("; ")));
}

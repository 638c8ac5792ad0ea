#include "ProgramSettings.h"

#include "engine/DomainName.h"

#include "platform/WholeNumber.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kWordNumber = QStringLiteral("wordNumber");
// The furthest position filed of the list last run, and that list.
const QString kFiledUpTo = QStringLiteral("filedUpTo");
const QString kFiledList = QStringLiteral("filedList");
// "position:extension" of the run stored last.
const QString kExtensionAt = QStringLiteral("extensionAt");
const QString kExtensionsToTry = QStringLiteral("extensionsToTry");
const QString kChkProxy = QStringLiteral("chkProxy");
const QString kShowHelp = QStringLiteral("showHelp");
const QString kHostLimits = QStringLiteral("hostLimits");
const QString kLearnedPaces = QStringLiteral("learnedPaces");
const QString kChkDns = QStringLiteral("chkDns");
const QString kDnsServers = QStringLiteral("dnsServers");
const QString kChkExt = QStringLiteral("chkExt");
const QString kChkAdd = QStringLiteral("chkAdd");
const QString kTxtMake = QStringLiteral("txtMake");
const QString kTxtCustom = QStringLiteral("txtCustom");
// "mainGeometry", "browseGeometry", "websiteGeometry": where a window was, as Qt saves it.
const QString kGeometrySuffix = QStringLiteral("Geometry");

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

QString ProgramSettings::Read(const QString &application, const QString &key,
                              const QString &defaultValue) const
{
    return m_store.ReadSetting(application, kSection, key, defaultValue);
}

bool ProgramSettings::Write(const QString &application, const QString &key, const QString &value)
{
    return m_store.WriteSetting(application, kSection, key, value);
}

QString ProgramSettings::ResumePosition(const QString &resumeKey) const
{
    return Read(kPositionsApp, resumeKey, QStringLiteral("1"));
}

FiledMark ProgramSettings::StoredFiledMark() const
{
    return {Read(kPositionsApp, kFiledList, QString()),
            ParseWhole(Read(kPositionsApp, kFiledUpTo, QStringLiteral("0"))).value_or(0)};
}

qint64 ProgramSettings::RunPosition() const
{
    return ParseWhole(Read(kPositionsApp, kWordNumber, QStringLiteral("0"))).value_or(0);
}

int ProgramSettings::StoredExtension(const QString &listPath, qint64 position) const
{
    if (StoredFiledMark().listPath != listPath)
        return 0;
    const QStringList at = Read(kPositionsApp, kExtensionAt, QString()).split(QLatin1Char(':'));
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
    values.append({kWordNumber, value});
    values.append({kFiledUpTo, QString::number(filed.upTo)});
    values.append({kFiledList, filed.listPath});
    values.append({kExtensionAt, QStringLiteral("%1:%2").arg(position).arg(extension)});
    return m_store.WriteSettings(kPositionsApp, kSection, values);
}

bool ProgramSettings::ProxyMode() const
{
    return Read(m_productApp, kChkProxy, QStringLiteral("0")) == QLatin1String("1");
}

bool ProgramSettings::SetProxyMode(bool on)
{
    return Write(m_productApp, kChkProxy, Flag(on));
}

bool ProgramSettings::ShowHelp() const
{
    return Read(m_productApp, kShowHelp, QStringLiteral("1")) == QLatin1String("1");
}

bool ProgramSettings::SetShowHelp(bool show)
{
    return Write(m_productApp, kShowHelp, Flag(show));
}

QByteArray ProgramSettings::WindowGeometry(const QString &window) const
{
    return QByteArray::fromBase64(Read(m_productApp, window + kGeometrySuffix, QString()).toLatin1());
}

bool ProgramSettings::SetWindowGeometry(const QString &window, const QByteArray &geometry)
{
    return Write(m_productApp, window + kGeometrySuffix, QString::fromLatin1(geometry.toBase64()));
}

QString ProgramSettings::ExtensionChoice(int option) const
{
    return Read(m_productApp, kChkExt + QString::number(option), QStringLiteral("1"));
}

bool ProgramSettings::SetExtensionChoice(int option, bool chosen)
{
    return Write(m_productApp, kChkExt + QString::number(option), Flag(chosen));
}

QString ProgramSettings::AffixChoice(int option) const
{
    return Read(m_productApp, kChkAdd + QString::number(option), QStringLiteral("1"));
}

bool ProgramSettings::SetAffixChoice(int option, bool chosen)
{
    return Write(m_productApp, kChkAdd + QString::number(option), Flag(chosen));
}

QString ProgramSettings::BaseWord() const
{
    return Read(m_productApp, kTxtMake, QString());
}

bool ProgramSettings::SetBaseWord(const QString &word)
{
    return Write(m_productApp, kTxtMake, word);
}

QString ProgramSettings::CustomExtension() const
{
    return Read(m_productApp, kTxtCustom, QStringLiteral(".co.uk"));
}

bool ProgramSettings::SetCustomExtension(const QString &extension)
{
    return Write(m_productApp, kTxtCustom, extension);
}

bool ProgramSettings::DnsFirst() const
{
    return Read(m_productApp, kChkDns, QStringLiteral("1")) != QLatin1String("0");
}

bool ProgramSettings::SetDnsFirst(bool on)
{
    return Write(m_productApp, kChkDns, Flag(on));
}

QString ProgramSettings::DnsServers() const
{
    return Read(m_productApp, kDnsServers, QString());
}

QStringList ProgramSettings::ExtensionList(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    QStringList extensions;
    if (text.trimmed().isEmpty())
        return extensions;
    for (const QString &part : text.split(QLatin1Char(','))) {
        QString extension = part.trimmed().toLower();
        if (extension.startsWith(QLatin1Char('.')))
            extension.remove(0, 1);
        // Each must be a label of a domain name ("c%m" is none), in A-label or U-label form.
        if (extension.isEmpty() || extension.contains(QLatin1Char('.')) ||
            !AsciiDomainName(QStringLiteral("x.") + extension)) {
            if (ok)
                *ok = false;
            continue;
        }
        if (!extensions.contains(extension))
            extensions << extension;
    }
    return extensions;
}

QStringList ProgramSettings::ExtensionsToTry() const
{
    return ExtensionList(Read(m_productApp, kExtensionsToTry, QString()));
}

bool ProgramSettings::SetExtensionsToTry(const QStringList &extensions)
{
    return Write(m_productApp, kExtensionsToTry, extensions.join(QStringLiteral(", ")));
}

QString ProgramSettings::HostLimits() const
{
    return Read(m_productApp, kHostLimits, QString());
}

bool ProgramSettings::SetHostLimits(const QString &text)
{
    return Write(m_productApp, kHostLimits, text);
}

QHash<QString, RememberedPace> ProgramSettings::LearnedPaces(const QDateTime &now) const
{
    static const QRegularExpression kEntry(QStringLiteral(
        "^\\s*([A-Za-z0-9.:-]+)\\s*=\\s*([0-9]+(?:\\.[0-9]+)?)\\s*/\\s*([0-9]+)\\s*@\\s*(\\S+)\\s*$"));
    QHash<QString, RememberedPace> paces;
    const QString text = Read(m_productApp, kLearnedPaces, QString());
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
        paces.insert(match.captured(1).toLower(), {{perSecond, std::min(maxOpen, 25)}, ageSeconds * 1000});
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
    return Write(m_productApp, kLearnedPaces, entries.join(QStringLiteral("; ")));
}

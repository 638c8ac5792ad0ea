#include "ProgramSettings.h"

#include "platform/WholeNumber.h"

namespace {

const QString kWordNumber = QStringLiteral("wordNumber");
const QString kChkProxy = QStringLiteral("chkProxy");
const QString kShowHelp = QStringLiteral("showHelp");
const QString kHostLimits = QStringLiteral("hostLimits");
const QString kChkExt = QStringLiteral("chkExt");
const QString kChkAdd = QStringLiteral("chkAdd");
const QString kTxtMake = QStringLiteral("txtMake");
const QString kTxtCustom = QStringLiteral("txtCustom");

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

qint64 ProgramSettings::RunPosition() const
{
    return ParseWhole(Read(kPositionsApp, kWordNumber, QStringLiteral("0"))).value_or(0);
}

bool ProgramSettings::StoreRunPosition(const QString &resumeKey, qint64 position)
{
    const QString value = QString::number(position);
    SettingsStore::Values values;
    if (!resumeKey.isEmpty())
        values.append({resumeKey, value});
    values.append({kWordNumber, value});
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

QString ProgramSettings::HostLimits() const
{
    return Read(m_productApp, kHostLimits, QString());
}

bool ProgramSettings::SetHostLimits(const QString &text)
{
    return Write(m_productApp, kHostLimits, text);
}

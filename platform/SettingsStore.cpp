#include "SettingsStore.h"

#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

// One parsed settings file: sections in file order, each with its key/value pairs in order.
struct IniSection
{
    QString name;
    SettingsStore::Values values;
};
using IniFile = QList<IniSection>;

// Characters that would change the structure of a line are stored percent-encoded.
QString Escape(const QString &text, bool isKeyOrSection)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool edge = (i == 0 || i == text.size() - 1);
        bool encode = c == QLatin1Char('%') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
                      (edge && c.isSpace());
        if (isKeyOrSection) {
            encode = encode || c == QLatin1Char('=') || c == QLatin1Char(']') ||
                     (i == 0 && (c == QLatin1Char('[') || c == QLatin1Char(';') || c == QLatin1Char('#')));
        }
        if (!encode) {
            out += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            out += QStringLiteral("%%1").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString Unescape(const QString &text)
{
    if (!text.contains(QLatin1Char('%')))
        return text;
    // A value may begin with U+FEFF; fromUtf8() would take it for a byte-order mark and drop it.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(QByteArray::fromPercentEncoding(text.toUtf8()));
}

IniFile Parse(const QString &content)
{
    IniFile file;
    for (const QString &rawLine : TextFile::SplitLines(content)) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            file.append({Unescape(line.mid(1, line.size() - 2)), {}});
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || file.isEmpty())
            continue; // a stray line outside any section is skipped
        file.last().values.append({Unescape(line.left(equals)), Unescape(line.mid(equals + 1))});
    }
    return file;
}

QString Serialize(const IniFile &file)
{
    QString out;
    for (const IniSection &section : file) {
        if (!out.isEmpty())
            out += QStringLiteral("\r\n");
        out += QLatin1Char('[') + Escape(section.name, true) + QStringLiteral("]\r\n");
        for (const auto &[key, value] : section.values)
            out += Escape(key, true) + QLatin1Char('=') + Escape(value, false) + QStringLiteral("\r\n");
    }
    return out;
}

SettingsError CheckAddress(const QString &application, const QString &section)
{
    if (application.trimmed().isEmpty())
        return {SettingsStore::kEmptyAppName, QStringLiteral("AppName may not be empty")};
    if (section.trimmed().isEmpty())
        return {SettingsStore::kEmptySection, QStringLiteral("Section may not be empty")};
    return {};
}

} // namespace

SettingsStore::SettingsStore(QString root) : m_root(std::move(root)) {}

QString SettingsStore::DefaultRoot(const QString &companyName)
{
    const QString fromEnvironment = qEnvironmentVariable("ORVELLE_SETTINGS_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           companyName.trimmed();
}

QString SettingsStore::FilePath(const QString &application) const
{
    // The application name becomes a file name: path separators in it must not leave the root.
    QString name = application.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return m_root + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QString SettingsStore::ReadSetting(const QString &application, const QString &section, const QString &key,
                                   const QString &defaultValue, SettingsError *error) const
{
    SettingsError failure = CheckAddress(application, section);
    if (!failure && key.trimmed().isEmpty())
        failure = {kEmptyKey, QStringLiteral("Key may not be empty")};
    if (!failure) {
        const QString path = FilePath(application);
        if (!QFile::exists(path))
            return defaultValue;
        const std::optional<QString> content = TextFile::ReadAll(path);
        if (!content) {
            failure = {kOpenFailed + 5, QStringLiteral("Could not open registry section")};
        } else {
            const QString sectionName = section.trimmed();
            for (const IniSection &block : Parse(*content)) {
                if (block.name != sectionName)
                    continue;
                for (const auto &[storedKey, value] : block.values) {
                    if (storedKey == key)
                        return value;
                }
            }
            return defaultValue;
        }
    }
    if (error)
        *error = failure;
    return defaultValue;
}

bool SettingsStore::WriteSetting(const QString &application, const QString &section, const QString &key,
                                 const QString &value)
{
    return WriteSettings(application, section, {{key, value}});
}

bool SettingsStore::WriteSettings(const QString &application, const QString &section, const Values &values)
{
    if (CheckAddress(application, section))
        return false;
    for (const auto &entry : values) {
        if (entry.first.trimmed().isEmpty())
            return false;
    }
    if (!QDir().mkpath(m_root))
        return false;
    const QString path = FilePath(application);
    IniFile file;
    if (QFile::exists(path)) {
        const std::optional<QString> content = TextFile::ReadAll(path);
        if (!content)
            return false; // never replace a file we could not read: it would lose the other values
        file = Parse(*content);
    }
    const QString sectionName = section.trimmed();
    auto block = std::find_if(file.begin(), file.end(),
                              [&](const IniSection &candidate) { return candidate.name == sectionName; });
    if (block == file.end()) {
        file.append({sectionName, {}});
        block = file.end() - 1;
    }
    for (const auto &entry : values) {
        auto existing = std::find_if(block->values.begin(), block->values.end(),
                                     [&](const auto &pair) { return pair.first == entry.first; });
        if (existing != block->values.end())
            existing->second = entry.second;
        else
            block->values.append(entry);
    }
    return TextFile::WriteAll(path, Serialize(file));
}

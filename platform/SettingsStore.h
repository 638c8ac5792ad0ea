#pragma once

#include <QList>
#include <QString>

#include <utility>

// An error raised by the settings store, with the number and text the program reports.
struct SettingsError
{
    quint32 number = 0;
    QString text;

    explicit operator bool() const { return number != 0; }
};

// The program's small persistent settings: string values addressed by an application name, a
// section name and a key, with a default on read.
//
// Each application name has one INI file below the settings root (ORVELLE_SETTINGS_DIR, or the
// user's config folder), with one "[section]" block per section. Every write goes to disk at
// once through an atomic rewrite; nothing is cached, so a value written is what the next start
// reads.
//
//     SettingsStore store(SettingsStore::DefaultRoot("Velquist"));
//     store.WriteSetting("Velquist", "Settings", "wordNumber", "12");
//     store.ReadSetting("Velquist", "Settings", "wordNumber", "0");   // "12"
class SettingsStore
{
public:
    using Values = QList<std::pair<QString, QString>>;

    static constexpr quint32 kErrorBase = 0x80040000u;
    static constexpr quint32 kEmptyAppName = kErrorBase + 1000;
    static constexpr quint32 kEmptySection = kErrorBase + 1001;
    static constexpr quint32 kEmptyKey = kErrorBase + 1002;
    static constexpr quint32 kOpenFailed = kErrorBase + 2000;

    explicit SettingsStore(QString root);

    // ORVELLE_SETTINGS_DIR when set, otherwise the user's config folder joined with the company.
    static QString DefaultRoot(const QString &companyName);

    const QString &root() const { return m_root; }
    QString FilePath(const QString &application) const;

    // The stored text, or defaultValue when the value was never written. Empty names and an
    // unreadable store fail: the default is returned and *error (when given) is set.
    QString ReadSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue, SettingsError *error = nullptr) const;

    // Stores the value, creating the file and section as needed. Returns false when the value
    // could not be stored; callers that do not care may ignore it.
    bool WriteSetting(const QString &application, const QString &section, const QString &key,
                      const QString &value);

    // Stores several values of one section in a single write.
    bool WriteSettings(const QString &application, const QString &section, const Values &values);

private:
    QString m_root;
};

#pragma once

#include "engine/HostPacer.h"
#include "engine/RunRequest.h"
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QHash>
#include <QString>

// Typed access to every setting the program stores. Each key is spelled here and nowhere else
// (the sources' resume keys are in the source table).
//
// Two application names: "Velquist" keeps the run positions; the product name keeps the
// generator's choices, the proxy switch and the help flag. The section is always "Settings".
//
//     ProgramSettings settings(root, "Orvelle");
//     settings.StoreRunPosition("FullWordNum", 26);   // FullWordNum and wordNumber
//     settings.ProxyMode();                           // "chkProxy" is "1"
class ProgramSettings
{
public:
    static const QString kPositionsApp;
    static const QString kSection;

    ProgramSettings(const QString &root, QString productApp);

    SettingsStore &store() { return m_store; }
    const QString &productApp() const { return m_productApp; }
    // Where the values of an application name are kept.
    QString FilePath(const QString &application) const { return m_store.FilePath(application); }

    // The position a source's runs continue from, as text ("1" when none is stored).
    QString ResumePosition(const QString &resumeKey) const;
    // The position the last run reached ("wordNumber", 0 when none).
    qint64 RunPosition() const;
    // Stores a run's position under its resume key (when not empty) and as the last run's.
    // extension: of the names of the position's line (one per extension to try), the first
    // without a verdict.
    bool StoreRunPosition(const QString &resumeKey, qint64 position, const FiledMark &filed = {},
                          int extension = 0);
    FiledMark StoredFiledMark() const;
    // The extension stored with a position of a list: 0 unless the last run stored was of that
    // list and stopped at that position.
    int StoredExtension(const QString &listPath, qint64 position) const;

    // The text "1" means on; anything else, or nothing, off.
    bool ProxyMode() const;
    bool SetProxyMode(bool on);
    bool ShowHelp() const;
    bool SetShowHelp(bool show);
    // Where a window ("main", "browse", "website") was when it closed, as QWidget::saveGeometry()
    // gives it; empty when never kept.
    QByteArray WindowGeometry(const QString &window) const;
    bool SetWindowGeometry(const QString &window, const QByteArray &geometry);
    // The user's limits per whois host, "host=perSecond/maxOpen; ..." (empty: the built-in ones).
    QString HostLimits() const;
    bool SetHostLimits(const QString &text);
    // "Check DNS First" (on unless "0" is stored), and the resolvers "host:port, ..." (empty:
    // the system's).
    bool DnsFirst() const;
    bool SetDnsFirst(bool on);
    QString DnsServers() const;
    // The extensions a name without one is tried with ("com, io, ai"); empty: ".com" alone.
    QStringList ExtensionsToTry() const;
    // "io, .COM,ai" -> io, com, ai: lower case, without a leading dot, each once. Items that are
    // empty, hold a dot or are no label of a domain name ("c%m") are left out, and *ok (when
    // given) becomes false.
    static QStringList ExtensionList(const QString &text, bool *ok = nullptr);
    bool SetExtensionsToTry(const QStringList &extensions);
    // The paces whois hosts learned in earlier runs, "host=perSecond/maxOpen@time; ...", with the
    // time they were learned (UTC). Entries older than kPaceKeptFor at `now`, and entries that
    // cannot be read, are left out.
    static constexpr qint64 kPaceKeptForSeconds = 24 * 60 * 60;
    QHash<QString, RememberedPace> LearnedPaces(const QDateTime &now) const;
    // Keeps `paces` (ages at `now`) in place of the stored ones of the same hosts; the others
    // stay while they are young enough.
    bool StoreLearnedPaces(const QHash<QString, RememberedPace> &paces, const QDateTime &now);

    // The generator's choices: check values ("1" ticked, "0" clear, "2" grey) of its extension
    // options 0 to 8 and its affix options 0 to 2, its base word and its custom extension.
    QString ExtensionChoice(int option) const;
    bool SetExtensionChoice(int option, bool chosen);
    QString AffixChoice(int option) const;
    bool SetAffixChoice(int option, bool chosen);
    QString BaseWord() const;
    bool SetBaseWord(const QString &word);
    QString CustomExtension() const;
    bool SetCustomExtension(const QString &extension);

private:
    QString Read(const QString &application, const QString &key, const QString &defaultValue) const;
    bool Write(const QString &application, const QString &key, const QString &value);

    SettingsStore m_store;
    QString m_productApp;
};

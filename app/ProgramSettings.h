#pragma once

#include "engine/CheckSettings.h"
#include "engine/QueryQuota.h"
#include "engine/RunRequest.h"
#include "platform/SettingsStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

// Every setting the program stores, with its key and default in one table (Key and
// ProgramSettings.cpp's kKeys), and typed access to them. The sources' resume keys are in the
// source table.
//
// Two application names: "Velquist" keeps the run positions; the product name keeps the rest
// (the generator's choices, the check settings, the help flag, where windows were). The section
// is always "Settings".
//
//     ProgramSettings settings(root, "Orvelle");
//     settings.StoreRunPosition("FullWordNum", 26);   // FullWordNum and wordNumber
//     const CheckSettings check = settings.ReadCheckSettings(&problems);
class ProgramSettings
{
public:
    static const QString kPositionsApp;
    static const QString kSection;

    // The stored settings. Keys that end in a number or a window's name (the generator's
    // options, window places) take it as a suffix.
    enum class Key
    {
        WordNumber,      // the position the last run reached
        FiledUpTo,       // the furthest position filed of the list last run...
        FiledList,       // ...and that list
        ExtensionAt,     // "position:extension" of the run stored last
        ExtensionsToTry, // "com, io, ai"
        ProxyMode,       // "1": on
        DnsFirst,        // "0": off
        ControlQueries,  // "0": off
        DnsServers,      // "host:port, ..."
        HostLimits,      // "host=perSecond/maxOpen; ..."
        LearnedPaces,    // "host=perSecond/maxOpen@time; ..."
        QuotaUsage,      // "host=seconds:count,seconds:count; ...": queries counted against quotas
        ShowHelp,        // "1": help opens at start-up
        ExtensionChoice, // + 0..8: the generator's extension options
        AffixChoice,     // + 0..2: its affix options
        BaseWord,        // its base word
        CustomExtension, // its custom extension
        WindowPlace      // + "main", "browse", "website": QWidget::saveGeometry()
    };

    ProgramSettings(const QString &root, QString productApp);

    SettingsStore &store() { return m_store; }
    const QString &productApp() const { return m_productApp; }
    // Where the values of an application name are kept.
    QString FilePath(const QString &application) const { return m_store.FilePath(application); }

    QString Read(Key key, const QString &suffix = QString()) const;
    bool Write(Key key, const QString &value, const QString &suffix = QString());

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

    // How names are checked, read and checked once: a stored value that cannot be read is left
    // at its default, with a problem text (naming it) added to *problems.
    CheckSettings ReadCheckSettings(QStringList *problems = nullptr) const;
    bool SetProxyMode(bool on);
    bool SetDnsFirst(bool on);
    bool SetControlQueries(bool on);
    bool SetExtensionsToTry(const QStringList &extensions);
    bool SetHostLimits(const QString &text);

    bool ShowHelp() const;
    bool SetShowHelp(bool show);
    // Where a window ("main", "browse", "website") was when it closed, as QWidget::saveGeometry()
    // gives it; empty when never kept.
    QByteArray WindowGeometry(const QString &window) const;
    bool SetWindowGeometry(const QString &window, const QByteArray &geometry);

    // The paces whois hosts learned in earlier runs, "host=perSecond/maxOpen@time; ...", with the
    // time they were learned (UTC). Entries older than kPaceKeptFor at `now`, and entries that
    // cannot be read, are left out.
    static constexpr qint64 kPaceKeptForSeconds = 24 * 60 * 60;
    QHash<QString, RememberedPace> LearnedPaces(const QDateTime &now) const;
    // Keeps `paces` (ages at `now`) in place of the stored ones of the same hosts; the others
    // stay while they are young enough.
    bool StoreLearnedPaces(const QHash<QString, RememberedPace> &paces, const QDateTime &now);
    // The queries counted against the hosts' quotas (see QueryQuota), each stretch stored with
    // its start in seconds since 1970 (UTC), and read back with its age at `now`; stretches
    // older than a day or in the future, and entries that cannot be read, are left out.
    ::QuotaUsage QuotaUsage(const QDateTime &now) const;
    bool StoreQuotaUsage(const ::QuotaUsage &usage, const QDateTime &now);

    // The generator's choices: check values ("1" ticked, "0" clear, "2" grey) of its extension
    // options 0 to 8 and its affix options 0 to 2, its base word and its custom extension.
    QString ExtensionChoice(int option) const { return Read(Key::ExtensionChoice, QString::number(option)); }
    bool SetExtensionChoice(int option, bool chosen);
    QString AffixChoice(int option) const { return Read(Key::AffixChoice, QString::number(option)); }
    bool SetAffixChoice(int option, bool chosen);
    QString BaseWord() const { return Read(Key::BaseWord); }
    bool SetBaseWord(const QString &word) { return Write(Key::BaseWord, word); }
    QString CustomExtension() const { return Read(Key::CustomExtension); }
    bool SetCustomExtension(const QString &extension) { return Write(Key::CustomExtension, extension); }

private:
    QString ApplicationOf(Key key) const;

    SettingsStore m_store;
    QString m_productApp;
};

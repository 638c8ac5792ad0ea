#pragma once

#include "CheckSettings.h"
#include "RdapQuery.h"
#include "RunRequest.h"
#include "Verdict.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class RdapBootstrap;
class RegistrarTable;
class WhoisPhrases;

// A name made ready for its question: as it is shown and filed, as it goes on the wire, and
// where it is asked.
struct CheckedName
{
    enum class Problem
    {
        InvalidName, // a control character, an empty label, a line too long...
        EmptyTable,  // the whois server table has no row
        NoServer     // no server to ask for it (see RegistrarTable::RouteFor)
    };
    QString name;     // as shown and filed (control characters shown encoded)
    QString wireName; // as sent: the A-label form
    QString host;     // the whois server, or the RDAP service's host (with its port, if any)
    quint16 port = 43;
    QString rdapBase; // the RDAP service's base address ending in "/"; empty for whois
    // The RDAP service is the registry's own (the bootstrap's, or a row's for an extension the
    // bootstrap does not know): only its "not found" makes a name free. A redirector's proves
    // nothing.
    bool rdapAuthoritative = true;
    std::optional<Problem> problem; // why it cannot be asked; nothing when it can
    QString reason;                 // the problem in words
    bool extensionAdded = false;    // it had none: ".com" was added

    bool isRdap() const { return !rdapBase.isEmpty(); }
    // Who decides it: "whois HOST" or "RDAP HOST".
    QString DecidedBy() const;
};

// A name's way from a list line to its verdict, the same for every checker (the run, the browse
// window's checker, the details window): a list line becomes names, a name its server, a reply or
// an RDAP answer a verdict. DNS first is DnsPrecheck's.
//
//     NameCheck check({table, &bootstrap, &phrases}, settings);
//     for (const QString &candidate : check.NamesOfLine(line).names) {
//         const CheckedName name = check.Prepare(candidate);  // name.host, name.wireName...
//         ...
//         const Judgement judgement = check.JudgeReply(reply, name);
//     }
class NameCheck
{
public:
    // A longer candidate line cannot clean to a domain name: it is refused unread ("line too
    // long"), shown by its first kShownOfLongLine characters.
    static constexpr qsizetype kMaxLineLength = 4096;
    static constexpr qsizetype kShownOfLongLine = 64;
    // More extensions to try than this are not tried (each has its ordinal).
    static constexpr qsizetype kMostExtensions = Ordinal::kPerLine;

    struct Tables
    {
        const RegistrarTable &registrars;
        const RdapBootstrap *rdapBootstrap = nullptr; // the RDAP services of extensions without a row
        const WhoisPhrases *phrases = nullptr;        // how replies are read; none: the shipped table
    };

    NameCheck(Tables tables, CheckSettings settings) : m_tables(tables), m_settings(std::move(settings)) {}

    const CheckSettings &settings() const { return m_settings; }
    const Tables &tables() const { return m_tables; }

    // The names a list line stands for: without a note after a tab and blanks around it, cleaned,
    // once per extension to try when it has none. A line too long to be a name stands for itself
    // (Prepare() refuses it). A line that reads "endoffileffile" once cleaned ends the list.
    struct LineNames
    {
        QStringList names;
        bool endOfList = false;
    };
    LineNames NamesOfLine(const QString &line) const;
    // A candidate made ready: what follows a ":" only, percent escapes decoded, cleaned, ".com"
    // when it has no extension, its A-label, and the server its row (or the RDAP bootstrap)
    // names; or the problem that keeps it from being asked.
    CheckedName Prepare(const QString &candidate) const;
    // What a whois reply says of the name.
    Judgement JudgeReply(const QByteArray &reply, const CheckedName &name) const;
    // What an RDAP answer says: registered (in its grace cycle or on hold, with that status as
    // the reason), free (from the registry's own service only), rate limited (RateLimited; its
    // wait is the answer's), or no verdict with the answer's reason.
    static Judgement JudgeRdap(const RdapAnswer &answer, const CheckedName &name);

private:
    Tables m_tables;
    CheckSettings m_settings;
};

// True when the text holds a control character (below U+0020, or U+007F): such a name is never
// sent to a server nor filed.
bool HasControlCharacter(const QString &text);

#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One row of the whois server table.
struct RegistrarEntry
{
    QString Extension; // last label without the dot ("com"), or "proxy"; lower case
    QString Server;    // host name or dotted address of the whois server; lower case
    quint16 Port = 43;
    bool Enabled = false; // whether the extension counts as known when names are picked from text

    friend bool operator==(const RegistrarEntry &, const RegistrarEntry &) = default;
};

// The whois server table in memory: rows in file order, addressed by a 0-based index.
// Lookups take the first row of an extension; extensions may repeat.
//
// Besides the server lookup it answers the questions that picking domain names out of page
// text asks. Those use only the "extension rows": rows that are enabled and not "proxy".
class RegistrarTable
{
public:
    RegistrarTable() = default;
    explicit RegistrarTable(QList<RegistrarEntry> rows) { setRows(std::move(rows)); }

    const QList<RegistrarEntry> &rows() const { return m_rows; }
    void setRows(QList<RegistrarEntry> rows);
    qsizetype size() const { return m_rows.size(); }
    bool isValidIndex(qsizetype index) const { return index >= 0 && index < m_rows.size(); }
    const RegistrarEntry &row(qsizetype index) const { return m_rows.at(index); }

    // The row whose server is asked about `name`: the first row of the name's extension (or of
    // "proxy" in proxy mode); failing that the last "com" row, or row 0 when there is none.
    // Status is not consulted.
    int FindRegistrarIndex(const QString &name, bool proxyMode) const;

    // Where the check engine asks about `name`: the row, or why no server is asked. In proxy
    // mode that is the row FindRegistrarIndex gives. Otherwise it is the first row of the
    // name's extension; an extension without a row is not sent to another registry's server
    // (it would answer "No match" for a name it does not hold), and a row whose server is
    // "none" names a registry without a whois service.
    struct Route
    {
        int row = -1;
        QString reason; // when row is -1
    };
    Route RouteFor(const QString &name, bool proxyMode) const;
    static inline const QString kNoService = QStringLiteral("none");
    // A server field that is an RDAP service's base address ("https://rdap.example/").
    static bool IsRdapServer(const QString &server);

    // Inserts CR LF after every extension directly followed by a space, "/", '"', "'", ":" or
    // "?" (case-sensitive), and after every ".com" followed by '"' once per extension row.
    QString SplitAfterExtensions(QString text) const;

    // True when "." + some extension occurs in the text, ignoring case.
    bool HasKnownExtension(const QString &text) const;

    // For the first extension row (in table order) whose "." + extension occurs in the text,
    // the 1-based position just after that extension; 0 when none occurs.
    int EndOfExtension(const QString &text) const;

private:
    template<typename Visit> void ForEachExtension(Visit visit) const;

    // The first row of each extension and that of the last "com" row: every name asked looks its
    // row up here.
    int FirstRowOf(const QString &extension) const { return m_firstRowOf.value(extension, -1); }

    QList<RegistrarEntry> m_rows;
    QHash<QString, int> m_firstRowOf;
    // The extension asked last and its first row.
    mutable QString m_lastExtension;
    mutable int m_lastExtensionRow = -1;
    int m_lastComRow = 0;
};

// Reduces a host name to the name that is registered: mail.sample.com gives sample.com,
// mail.sample.co.uk gives sample.co.uk; a host whose rule is unknown gives the empty text.
QString RegistrableDomain(const QString &host);

#pragma once

#include "RegistrarTable.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The file "registrars.txt", master copy of the whois server table: one row per line,
// Extension|Server|Port|Status with Status "Enabled" or "Disabled". Empty lines and lines of a
// single space may stand anywhere and are skipped. Every edit goes to the file first; the table
// in memory is then reloaded from it.
//
// A line with fewer than four fields, or whose Port is not a whole number from 1 to 65535, is
// skipped when loading; the rows after it still load.
class RegistrarFile
{
public:
    explicit RegistrarFile(QString path);
    const QString &path() const { return m_path; }

    // The file text WriteDefaultRegistrars writes: the built-in rows (data/whois-servers.txt,
    // shipped inside the program), CR LF after each, then an empty line.
    static QString DefaultFileText();
    // A port typed or read as text: a whole number from 1 to 65535 (spaces around it allowed).
    static std::optional<quint16> ParsePort(const QString &text);
    // A field a row may hold: not empty, no "|" (it separates the fields) and no control
    // character (a line break would split the row).
    static bool IsValidField(const QString &text);
    // A valid field for a server: also, for an RDAP service (http:// or https://), a whole
    // address with a host and without blanks.
    static bool IsValidServer(const QString &text);

    // The rows of the file's lines, skipping blank and malformed lines (counted in *skipped).
    static QList<RegistrarEntry> ParseRows(const QStringList &lines, int *skipped = nullptr);

    // Replaces the table with the rows of the file. A file without any usable row leaves the
    // table as it was. False when the file cannot be read. *skippedLines counts the malformed
    // lines passed over.
    bool LoadRegistrarTable(RegistrarTable &table, int *skippedLines = nullptr) const;

    // With restore, deletes the file first; then writes the default rows when the file is
    // missing.
    bool WriteDefaultRegistrars(bool restore) const;

    // Replaces every row of the (lower-cased) extension by the new row, or appends it when no
    // row matched. Refuses an invalid field or port before writing anything.
    bool SaveRegistrarRow(const QString &extension, const QString &server, const QString &port,
                          bool enabled) const;

    // Appends one row at the end of the file.
    // Drops every row of an extension after its first (the table only ever uses the first; the
    // file of earlier versions held some twice). False when the file could not be rewritten.
    bool RemoveDuplicateRows() const;
    bool AppendRegistrarRow(const QString &extension, const QString &server, const QString &port,
                            const QString &status) const;

    // The rows of the file with their four fields as they stand (no lower-casing), for a list
    // view. Lines that loading skips are left out.
    QList<QStringList> ListRegistrarRows() const;

    // The non-blank lines of the file in order: a row (its four fields), or a line that loading
    // skips (as it stands, so that a rewrite can keep it).
    struct Line
    {
        QStringList fields; // empty for a skipped line
        QString text;
    };
    std::optional<QList<Line>> ReadRowLines() const;

    // Rewrites the file from its lines, each followed by an empty line: the rows in the order
    // given take the places of the file's rows; skipped lines keep their places.
    bool RewriteRegistrars(const QList<Line> &fileLines, const QList<QStringList> &rows) const;

private:
    std::optional<QStringList> ReadLines() const;

    QString m_path;
};

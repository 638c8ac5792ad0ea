#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The result lists as a table for other programs: one row per name, with the list it stands in,
// the reason it got no verdict (for unchecked names), who decided it ("whois HOST", "RDAP HOST",
// "DNS") and when, where that is known.
struct ExportRow
{
    QString name;
    QString list; // High, Mid, Low, Registered, Saved or Unchecked
    QString reason;
    QString decidedBy;
    QDateTime decidedAt; // invalid when not known
};

namespace ResultExport {

enum class Format
{
    Tsv,
    Csv,
    Json
};
// The format of a file name's suffix (".csv", ".json"); nothing for another.
std::optional<Format> FormatOfPath(const QString &path);
// "tsv", "csv", "json"; nothing for another text.
std::optional<Format> FormatOfName(const QString &name);

// The field names, in their order.
const QStringList &Fields();
// RFC 4180: a header row, CRLF line ends, fields quoted when they hold a comma, a quote or a
// line break, quotes doubled. UTF-8. A field that begins with =, +, -, @, a tab or a CR gets a
// leading ' so that a spreadsheet does not run it as a formula.
QByteArray ToCsv(const QList<ExportRow> &rows);
QByteArray CsvLine(const QStringList &fields);
// An array of objects with the field names as keys ("decidedAt" in ISO 8601 UTC, or empty).
QByteArray ToJson(const QList<ExportRow> &rows);
QByteArray JsonObject(const ExportRow &row);
// One line of tab-separated fields ending in LF, for a terminal or a pipe: control characters
// within a field become blanks, so a field never splits the line; empty fields at the end are
// left out. The line is added to the end of `into`, where a run's lines gather.
void AppendTsvLine(QByteArray &into, std::initializer_list<QStringView> fields);
// The row's fields as text, in Fields() order.
QStringList FieldsOf(const ExportRow &row);

} // namespace ResultExport

#include "ResultExport.h"

#include "UncheckedNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ResultExport {

std::optional<Format> FormatOfName(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("tsv"))
        return Format::Tsv;
    if (lower == QLatin1String("csv"))
        return Format::Csv;
    if (lower == QLatin1String("json"))
        return Format::Json;
    return std::nullopt;
}

std::optional<Format> FormatOfPath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return std::nullopt;
    const std::optional<Format> format = FormatOfName(path.mid(dot + 1));
    return format == Format::Tsv ? std::nullopt : format;
}

const QStringList &Fields()
{
    static const QStringList fields = {QStringLiteral("name"), QStringLiteral("list"),
                                       QStringLiteral("reason"), QStringLiteral("decidedBy"),
                                       QStringLiteral("decidedAt")};
    return fields;
}

QStringList FieldsOf(const ExportRow &row)
{
    return {row.name, row.list, row.reason, row.decidedBy,
            row.decidedAt.isValid() ? row.decidedAt.toUTC().toString(Qt::ISODate) : QString()};
}

void AppendTsvLine(QByteArray &into, std::initializer_list<QStringView> fields)
{
    qsizetype count = qsizetype(fields.size());
    while (count > 0 && fields.begin()[count - 1].isEmpty())
        --count;
    // One line is written for each name checked. A field of visible ASCII, as names and list
    // names are, goes in as it is; only the others are converted.
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            into += '\t';
        const QStringView field = fields.begin()[i];
        const bool plain = std::all_of(field.begin(), field.end(),
                                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
        if (plain) {
            const qsizetype at = into.size();
            into.resize(at + field.size());
            std::transform(field.begin(), field.end(), into.begin() + at, [](QChar c) { return char(c.unicode()); });
        } else {
            into += UncheckedNames::OneLine(field.toString()).toUtf8();
        }
    }
    into += '\n';
}

QByteArray CsvLine(const QStringList &fields)
{
    QStringList quoted;
    for (QString field : fields) {
        // A spreadsheet takes a cell that starts with one of these for a formula: the leading
        // quote makes it text.
        static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
        if (!field.isEmpty() && kFormulaStarts.contains(field.front()))
            field.prepend(QLatin1Char('\''));
        const bool needsQuotes = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                                 field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'));
        quoted << (needsQuotes ? QLatin1Char('"') +
                                     QString(field).replace(QLatin1String("\""), QLatin1String("\"\"")) +
                                     QLatin1Char('"')
                               : field);
    }
    return quoted.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

QByteArray ToCsv(const QList<ExportRow> &rows)
{
    QByteArray out = CsvLine(Fields());
    for (const ExportRow &row : rows)
        out += CsvLine(FieldsOf(row));
    return out;
}

QByteArray JsonObject(const ExportRow &row)
{
    QJsonObject object;
    const QStringList values = FieldsOf(row);
    for (qsizetype i = 0; i < Fields().size(); ++i)
        object.insert(Fields().at(i), values.at(i));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray ToJson(const QList<ExportRow> &rows)
{
    QJsonArray array;
    for (const ExportRow &row : rows)
        array.append(QJsonDocument::fromJson(JsonObject(row)).object());
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace ResultExport

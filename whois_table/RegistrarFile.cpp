#include "RegistrarFile.h"

#include "RegistrarTable.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kEnabled = QStringLiteral("Enabled");
const QString kDisabled = QStringLiteral("Disabled");

bool IsBlankLine(const QString &line)
{
    return line.isEmpty() || line == QLatin1String(" ");
}

// A usable row line: four or more fields with a valid port. Returns its fields.
std::optional<QStringList> SplitRow(const QString &line)
{
    if (IsBlankLine(line))
        return std::nullopt;
    QStringList fields = line.split(QLatin1Char('|'));
    if (fields.size() < 4 || !RegistrarFile::ParsePort(fields.at(2)))
        return std::nullopt;
    return fields;
}

QString JoinRow(const QString &extension, const QString &server, const QString &port, const QString &status)
{
    return extension + QLatin1Char('|') + server + QLatin1Char('|') + port + QLatin1Char('|') + status;
}

} // namespace

RegistrarFile::RegistrarFile(QString path) : m_path(std::move(path)) {}

QString RegistrarFile::DefaultFileText()
{
    // The built-in rows are data shipped inside the program, in the file's own format: each row
    // names its registry's whois host, its RDAP service's base address where the registry answers
    // RDAP only, or "none" where it runs neither.
    static const QString text = [] {
        QFile file(QStringLiteral(":/orvelle/whois-servers.txt"));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        QString rows;
        for (const QString &line : TextFile::SplitLines(QString::fromUtf8(bytes))) {
            if (!IsBlankLine(line))
                rows += line + kCrLf;
        }
        return rows + kCrLf;
    }();
    return text;
}

std::optional<quint16> RegistrarFile::ParsePort(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int port = digits.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

bool RegistrarFile::IsValidField(const QString &text)
{
    if (text.isEmpty())
        return false;
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return c == QLatin1Char('|') || c.unicode() < 0x20 || c.unicode() == 0x7F;
    });
}

bool RegistrarFile::IsValidServer(const QString &text)
{
    // A host name holds no blanks: one made of blanks is no host at all.
    if (!IsValidField(text) || std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }))
        return false;
    if (!RegistrarTable::IsRdapServer(text))
        return true;
    // An RDAP service's base address: a whole URL with a host, without blanks.
    const QUrl url(text, QUrl::StrictMode);
    return !text.contains(QLatin1Char(' ')) && url.isValid() && !url.host().isEmpty() && !url.hasQuery() &&
           !url.hasFragment();
}

std::optional<QStringList> RegistrarFile::ReadLines() const
{
    return TextFile::ReadLines(m_path);
}

QList<RegistrarEntry> RegistrarFile::ParseRows(const QStringList &lines, int *skipped)
{
    QList<RegistrarEntry> rows;
    int malformed = 0;
    for (const QString &line : lines) {
        if (IsBlankLine(line))
            continue;
        const std::optional<QStringList> fields = SplitRow(line);
        if (!fields) {
            ++malformed;
            continue;
        }
        rows.append({fields->at(0).toLower(), fields->at(1).toLower(), *ParsePort(fields->at(2)),
                     fields->at(3) == kEnabled});
    }
    if (skipped)
        *skipped = malformed;
    return rows;
}

bool RegistrarFile::LoadRegistrarTable(RegistrarTable &table, int *skippedLines) const
{
    const std::optional<QStringList> lines = ReadLines();
    if (!lines)
        return false;
    QList<RegistrarEntry> rows = ParseRows(*lines, skippedLines);
    if (!rows.isEmpty())
        table.setRows(std::move(rows));
    return true;
}

bool RegistrarFile::WriteDefaultRegistrars(bool restore) const
{
    if (restore && QFile::exists(m_path) && !QFile::remove(m_path))
        return false;
    if (QFile::exists(m_path))
        return true;
    return TextFile::WriteAll(m_path, DefaultFileText());
}

bool RegistrarFile::SaveRegistrarRow(const QString &extension, const QString &server, const QString &port,
                                     bool enabled) const
{
    if (!IsValidField(extension) || !IsValidServer(server) || !ParsePort(port))
        return false;
    const QString lowerExtension = extension.toLower();
    const QString newRow = JoinRow(lowerExtension, server, port, enabled ? kEnabled : kDisabled);
    const std::optional<QStringList> lines = ReadLines();
    if (!lines && QFile::exists(m_path))
        return false;
    // The rewritten file starts with an empty line and ends with one; rows that did not change
    // are kept byte for byte.
    QString text = kCrLf;
    bool matched = false;
    for (const QString &line : lines.value_or(QStringList())) {
        if (IsBlankLine(line))
            continue;
        if (line.section(QLatin1Char('|'), 0, 0) == lowerExtension) {
            text += newRow + kCrLf;
            matched = true;
        } else {
            text += line + kCrLf;
        }
    }
    text += kCrLf;
    if (!matched)
        text += newRow + kCrLf;
    return TextFile::WriteAll(m_path, text);
}

bool RegistrarFile::RemoveDuplicateRows() const
{
    const std::optional<QList<Line>> lines = ReadRowLines();
    if (!lines)
        return false;
    QList<QStringList> rows;
    QSet<QString> seen;
    for (const Line &line : *lines) {
        if (line.fields.isEmpty())
            continue;
        const QString extension = line.fields.at(0).toLower();
        if (!seen.contains(extension))
            rows.append(line.fields);
        seen.insert(extension);
    }
    const qsizetype all = std::count_if(lines->begin(), lines->end(), [](const Line &line) {
        return !line.fields.isEmpty();
    });
    return rows.size() == all || RewriteRegistrars(*lines, rows);
}

bool RegistrarFile::AppendRegistrarRow(const QString &extension, const QString &server, const QString &port,
                                       const QString &status) const
{
    if (!IsValidField(extension) || !IsValidServer(server) || !IsValidField(status) || !ParsePort(port))
        return false;
    return TextFile::Append(m_path, JoinRow(extension.toLower(), server, port, status) + kCrLf);
}

QList<QStringList> RegistrarFile::ListRegistrarRows() const
{
    QList<QStringList> rows;
    for (const Line &line : ReadRowLines().value_or(QList<Line>())) {
        if (!line.fields.isEmpty())
            rows.append(line.fields);
    }
    return rows;
}

std::optional<QList<RegistrarFile::Line>> RegistrarFile::ReadRowLines() const
{
    const std::optional<QStringList> lines = ReadLines();
    if (!lines)
        return std::nullopt;
    QList<Line> rowLines;
    for (const QString &line : *lines) {
        if (IsBlankLine(line))
            continue;
        const std::optional<QStringList> fields = SplitRow(line);
        rowLines.append({fields ? fields->mid(0, 4) : QStringList(), line});
    }
    return rowLines;
}

bool RegistrarFile::RewriteRegistrars(const QList<Line> &fileLines, const QList<QStringList> &rows) const
{
    QString text;
    qsizetype next = 0;
    const auto appendRow = [&](const QStringList &row) {
        text += JoinRow(row.at(0), row.at(1), row.at(2), row.at(3)) + kCrLf + kCrLf;
    };
    for (const Line &line : fileLines) {
        if (line.fields.isEmpty())
            text += line.text + kCrLf + kCrLf;
        else if (next < rows.size())
            appendRow(rows.at(next++));
    }
    while (next < rows.size())
        appendRow(rows.at(next++));
    return TextFile::WriteAll(m_path, text);
}

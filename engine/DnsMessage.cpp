#include "DnsMessage.h"

#include <QtEndian>

#include <algorithm>

namespace DnsMessage {
namespace {

constexpr int kHeaderSize = 12;
constexpr int kMostJumps = 16;

void PutName(QByteArray &out, const QString &name)
{
    for (const QString &label : Canonical(name).split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        const QByteArray bytes = label.toLatin1().left(63);
        out += static_cast<char>(bytes.size());
        out += bytes;
    }
    out += '\0';
}

void Put16(QByteArray &out, quint16 value)
{
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

std::optional<quint16> Get16(const QByteArray &bytes, int at)
{
    if (at < 0 || at + 2 > bytes.size())
        return std::nullopt;
    return qFromBigEndian<quint16>(bytes.constData() + at);
}

// A name's bytes as Latin-1 text in lower case: plain ASCII is lowered as bytes, without a pass of
// the general case mapping.
QString Lowered(QByteArray &bytes)
{
    bool ascii = true;
    for (char &c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        ascii = ascii && byte < 0x80;
        if (byte >= 'A' && byte <= 'Z')
            c = static_cast<char>(byte - 'A' + 'a');
    }
    return ascii ? QString::fromLatin1(bytes) : QString::fromLatin1(bytes).toLower();
}

// Reads a name at `at`; `at` moves past it (past the first pointer, when compressed).
std::optional<QString> GetName(const QByteArray &bytes, int &at)
{
    QByteArray dotted; // the labels as they stand, joined by dots
    int position = at;
    int jumps = 0;
    bool jumped = false;
    for (;;) {
        if (position >= bytes.size())
            return std::nullopt;
        const auto length = static_cast<quint8>(bytes.at(position));
        if ((length & 0xC0) == 0xC0) {
            const std::optional<quint16> pointer = Get16(bytes, position);
            if (!pointer || ++jumps > kMostJumps)
                return std::nullopt;
            if (!jumped)
                at = position + 2;
            jumped = true;
            position = *pointer & 0x3FFF;
            continue;
        }
        if (length > 63)
            return std::nullopt;
        if (length == 0) {
            if (!jumped)
                at = position + 1;
            return Lowered(dotted);
        }
        if (position + 1 + length > bytes.size())
            return std::nullopt;
        if (!dotted.isEmpty())
            dotted += '.';
        dotted.append(bytes.constData() + position + 1, length);
        position += 1 + length;
    }
}

} // namespace

QString Canonical(const QString &name)
{
    const bool lower = std::all_of(name.begin(), name.end(), [](QChar c) { return c.toLower() == c; });
    if (lower && !name.endsWith(QLatin1Char('.')))
        return name; // most names are canonical already: no copy
    QString canonical = name.toLower();
    while (canonical.endsWith(QLatin1Char('.')))
        canonical.chop(1);
    return canonical;
}

QByteArray Query(quint16 id, const QString &name, quint16 type)
{
    QByteArray out;
    Put16(out, id);
    Put16(out, 0x0100); // recursion desired
    Put16(out, 1);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    PutName(out, name);
    Put16(out, type);
    Put16(out, kClassIn);
    return out;
}

QByteArray Answer(const Parsed &query, Rcode rcode, const QList<Record> &records)
{
    QByteArray out;
    Put16(out, query.id);
    Put16(out, static_cast<quint16>(0x8180 | static_cast<quint16>(rcode))); // response, RD, RA
    Put16(out, 1);
    Put16(out, static_cast<quint16>(records.size()));
    Put16(out, 0);
    Put16(out, 0);
    PutName(out, query.question);
    Put16(out, query.questionType);
    Put16(out, kClassIn);
    for (const Record &record : records) {
        PutName(out, record.owner);
        Put16(out, record.type);
        Put16(out, kClassIn);
        Put16(out, 0);
        Put16(out, 300); // TTL
        QByteArray data;
        PutName(data, record.target);
        Put16(out, static_cast<quint16>(data.size()));
        out += data;
    }
    return out;
}

std::optional<Parsed> Parse(const QByteArray &bytes)
{
    if (bytes.size() < kHeaderSize)
        return std::nullopt;
    Parsed parsed;
    parsed.id = *Get16(bytes, 0);
    const quint16 flags = *Get16(bytes, 2);
    parsed.response = flags & 0x8000;
    parsed.rcode = static_cast<Rcode>(flags & 0x000F);
    const quint16 questions = *Get16(bytes, 4);
    const quint16 answers = *Get16(bytes, 6);
    int at = kHeaderSize;
    for (int i = 0; i < questions; ++i) {
        const std::optional<QString> name = GetName(bytes, at);
        const std::optional<quint16> type = Get16(bytes, at);
        if (!name || !type || at + 4 > bytes.size())
            return std::nullopt;
        if (i == 0) {
            parsed.question = *name;
            parsed.questionType = *type;
        }
        at += 4;
    }
    for (int i = 0; i < answers; ++i) {
        Record record;
        const std::optional<QString> owner = GetName(bytes, at);
        const std::optional<quint16> type = Get16(bytes, at);
        const std::optional<quint16> length = Get16(bytes, at + 8);
        if (!owner || !type || !length || at + 10 + *length > bytes.size())
            return std::nullopt;
        record.owner = *owner;
        record.type = *type;
        int data = at + 10;
        if (record.type == kTypeNs) {
            const std::optional<QString> target = GetName(bytes, data);
            if (!target)
                return std::nullopt;
            record.target = *target;
        }
        at += 10 + *length;
        parsed.answers.append(record);
    }
    return parsed;
}

QStringList NameServersOf(const Parsed &answer, const QString &name)
{
    const QString asked = Canonical(name);
    QStringList servers;
    for (const Record &record : answer.answers) {
        if (record.type == kTypeNs && record.owner == asked && !record.target.isEmpty())
            servers << record.target;
    }
    return servers;
}

} // namespace DnsMessage

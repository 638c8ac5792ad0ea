#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The few pieces of DNS messages (RFC 1035) the name-server check needs: a question for a name's
// NS records, an answer to it, and what an answer says. Names are compared in lower case without
// a final dot; compressed names are followed, with a bound on the jumps.
namespace DnsMessage {

constexpr quint16 kTypeNs = 2;
constexpr quint16 kTypeA = 1;
constexpr quint16 kClassIn = 1;

enum class Rcode : quint8
{
    NoError = 0,
    ServFail = 2,
    NxDomain = 3,
    Refused = 5
};

struct Record
{
    QString owner;
    quint16 type = 0;
    QString target; // for NS records: the name server
};

struct Parsed
{
    quint16 id = 0;
    bool response = false;
    Rcode rcode = Rcode::NoError;
    QString question; // the first question's name
    quint16 questionType = 0;
    QList<Record> answers;
};

// A query for the name's records of one type, with recursion desired.
QByteArray Query(quint16 id, const QString &name, quint16 type = kTypeNs);
// An answer to a query: its question echoed, and the records given (NS records with a target).
QByteArray Answer(const Parsed &query, Rcode rcode, const QList<Record> &records);
// Nothing for bytes that are no DNS message (cut short, a name that loops or runs past the end).
std::optional<Parsed> Parse(const QByteArray &bytes);
// The name servers that an answer gives for the asked name itself (NS records it owns).
QStringList NameServersOf(const Parsed &answer, const QString &name);
// Lower case, without a final dot.
QString Canonical(const QString &name);

} // namespace DnsMessage

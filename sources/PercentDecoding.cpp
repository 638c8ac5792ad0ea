#include "PercentDecoding.h"

#include <array>
#include <utility>

// Replacing "%25" by "%" until none is left, in one pass: a "%" produced by a replacement can
// only begin a new "%25" with the characters after it, so reducing the tail of the output as
// each character is appended reaches the same text without rescanning.
static QString CollapsePercentEscapes(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        out += c;
        const qsizetype n = out.size();
        if (n >= 3 && out.at(n - 1) == QLatin1Char('5') && out.at(n - 2) == QLatin1Char('2') &&
            out.at(n - 3) == QLatin1Char('%'))
            out.chop(2);
    }
    return out;
}

QString PercentDecoder(const QString &text)
{
    static const std::array<std::pair<QLatin1StringView, QChar>, 23> kTable = {{
        {QLatin1StringView("%20"), QLatin1Char(' ')},  {QLatin1StringView("%3C"), QLatin1Char('<')},
        {QLatin1StringView("%3E"), QLatin1Char('>')},  {QLatin1StringView("%23"), QLatin1Char('#')},
        {QLatin1StringView("%7B"), QLatin1Char('{')},  {QLatin1StringView("%7D"), QLatin1Char('}')},
        {QLatin1StringView("%7C"), QLatin1Char('|')},  {QLatin1StringView("%5C"), QLatin1Char('\\')},
        {QLatin1StringView("%5E"), QLatin1Char('^')},  {QLatin1StringView("%7E"), QLatin1Char('~')},
        {QLatin1StringView("%5B"), QLatin1Char('[')},  {QLatin1StringView("%5D"), QLatin1Char(']')},
        {QLatin1StringView("%60"), QLatin1Char('`')},  {QLatin1StringView("%3B"), QLatin1Char(';')},
        {QLatin1StringView("%2F"), QLatin1Char('/')},  {QLatin1StringView("%3F"), QLatin1Char('?')},
        {QLatin1StringView("%3A"), QLatin1Char(':')},  {QLatin1StringView("%40"), QLatin1Char('@')},
        {QLatin1StringView("%3D"), QLatin1Char('=')},  {QLatin1StringView("%26"), QLatin1Char('&')},
        {QLatin1StringView("%24"), QLatin1Char('$')},  {QLatin1StringView("%0A"), QLatin1Char('\n')},
        {QLatin1StringView("%0D"), QLatin1Char('\r')},
    }};

    if (!text.contains(QLatin1Char('%')))
        return text;
    QString decoded = CollapsePercentEscapes(text);
    // The other codes decode to characters that cannot start or finish another code, so one
    // pass leaves none behind.
    for (const auto &[code, character] : kTable)
        decoded.replace(code, QString(character), Qt::CaseInsensitive);
    return decoded;
}

#include "DomainName.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <idn2.h>

namespace {

// Letters, digits and hyphens of any script. libidn2 is not asked to enforce this: its STD3
// option drops some characters silently instead of refusing the name.
bool LettersDigitsHyphens(const QString &label)
{
    for (const uint c : label.toUcs4()) {
        if (c < 0x80) {
            const bool ldh =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
            if (!ldh)
                return false;
            continue;
        }
        switch (QChar::category(c)) {
        case QChar::Letter_Uppercase:
        case QChar::Letter_Lowercase:
        case QChar::Letter_Titlecase:
        case QChar::Letter_Modifier:
        case QChar::Letter_Other:
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Number_DecimalDigit:
        case QChar::Number_Letter:
        case QChar::Number_Other:
            break;
        default:
            return false;
        }
    }
    return true;
}

// Letters, digits and inner hyphens, of 1 to 63 characters, and not shaped like an encoded label
// ("ab--"): a label IDNA takes as it is, with no conversion to check.
bool PlainLdhLabel(QStringView label)
{
    if (label.isEmpty() || label.size() > 63 || label.front() == QLatin1Char('-') || label.back() == QLatin1Char('-'))
        return false;
    if (label.size() >= 4 && label.at(2) == QLatin1Char('-') && label.at(3) == QLatin1Char('-'))
        return false;
    return std::all_of(label.begin(), label.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-';
    });
}

} // namespace

std::optional<QString> AsciiDomainName(const QString &name)
{
    const QString bare = name.endsWith(QLatin1Char('.')) ? name.chopped(1) : name; // the root
    // The common case, a name of plain ASCII labels, needs no conversion. Its labels are looked
    // at in place: every name read comes here.
    const auto allPlain = [](QStringView name) {
        for (qsizetype from = 0;;) {
            const qsizetype dot = name.indexOf(QLatin1Char('.'), from);
            if (!PlainLdhLabel(name.sliced(from, (dot < 0 ? name.size() : dot) - from)))
                return false;
            if (dot < 0)
                return true;
            from = dot + 1;
        }
    };
    if (bare.size() <= 253 && allPlain(bare))
        return bare;
    const bool isAscii = std::all_of(bare.begin(), bare.end(), [](QChar c) { return c.unicode() < 0x80; });
    for (const QString &label : bare.split(QLatin1Char('.'))) {
        if (label.isEmpty() || !LettersDigitsHyphens(label))
            return std::nullopt;
    }
    char *converted = nullptr;
    const QByteArray utf8 = bare.toUtf8();
    const int status =
        idn2_lookup_u8(reinterpret_cast<const uint8_t *>(utf8.constData()),
                       reinterpret_cast<uint8_t **>(&converted), IDN2_NONTRANSITIONAL | IDN2_NFC_INPUT);
    if (status != IDN2_OK) {
        idn2_free(converted);
        return std::nullopt;
    }
    const QString ascii = QString::fromLatin1(converted);
    idn2_free(converted);
    // An ASCII name keeps its own letters; the conversion only checked it.
    return isAscii ? bare : ascii;
}

QString UnicodeDomainName(const QString &name)
{
    if (!name.contains(QLatin1String("xn--"), Qt::CaseInsensitive))
        return name;
    char *converted = nullptr;
    const QByteArray ascii = name.toLower().toUtf8();
    const int status = idn2_to_unicode_8z8z(ascii.constData(), &converted, 0);
    const QString unicode = status == IDN2_OK ? QString::fromUtf8(converted) : name;
    idn2_free(converted);
    return unicode;
}

QString LowerCaseName(const QString &name)
{
    const bool lower = QtPrivate::isAscii(name) &&
                       std::none_of(name.begin(), name.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    return lower ? name : name.toLower();
}

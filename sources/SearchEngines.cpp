#include "SearchEngines.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QUrlQuery>

QString SearchEngineRow::ShortName() const
{
    QString name = caption;
    if (name.endsWith(QLatin1String(" Search")))
        name.chop(7);
    return name;
}

QString SearchChallenge::Message(const QString &engine) const
{
    switch (kind) {
    case Kind::Person:
        return QStringLiteral("%1 asks to prove you are a person: solve it in the browse window, then continue")
            .arg(engine);
    case Kind::Consent:
        return QStringLiteral("%1 asks for consent first: answer it in the browse window, then continue").arg(engine);
    case Kind::NotNow:
        return QStringLiteral("%1 refuses more searches for now (HTTP %2): try again later, or open the page in "
                              "the browse window")
            .arg(engine, sign);
    case Kind::Repeated:
        return QStringLiteral("%1 sent the page before again: it limits searches now").arg(engine);
    }
    return QString();
}

namespace SearchEngines {
namespace {

QStringList ListOf(const QString &value)
{
    QStringList items;
    for (const QString &item : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (const QString trimmed = item.trimmed(); !trimmed.isEmpty())
            items << trimmed;
    }
    return items;
}

// Reads one "key=value" field into the row; false, with why, when it cannot.
bool ReadField(SearchEngineRow &row, const QString &key, const QString &value, QString *why)
{
    const auto number = [&](qint64 &into, qint64 least) {
        bool ok = false;
        const qint64 read = value.toLongLong(&ok);
        if (!ok || read < least) {
            *why = QStringLiteral("%1 is not a number of at least %2").arg(key).arg(least);
            return false;
        }
        into = read;
        return true;
    };
    qint64 read = 0;
    if (key == QLatin1String("base"))
        row.base = value;
    else if (key == QLatin1String("url"))
        row.url = value;
    else if (key == QLatin1String("post"))
        row.post = value;
    else if (key == QLatin1String("first-url"))
        row.firstUrl = value;
    else if (key == QLatin1String("first-post"))
        row.firstPost = value;
    else if (key == QLatin1String("first"))
        return number(row.first, 0);
    else if (key == QLatin1String("step"))
        return number(row.step, 1);
    else if (key == QLatin1String("per-page")) {
        if (!number(read, 1))
            return false;
        row.perPage = int(std::min<qint64>(read, 1000));
    } else if (key == QLatin1String("pages")) {
        if (!number(read, 1))
            return false;
        row.pages = int(std::min<qint64>(read, 1000));
    } else if (key == QLatin1String("pause")) {
        static const QRegularExpression kRange(QStringLiteral("^(\\d{1,6})(?:-(\\d{1,6}))?$"));
        const QRegularExpressionMatch match = kRange.match(value);
        if (!match.hasMatch()) {
            *why = QStringLiteral("pause is not milliseconds or a range such as 2000-5000");
            return false;
        }
        row.pauseMinMs = match.captured(1).toInt();
        row.pauseMaxMs = match.captured(2).isEmpty() ? row.pauseMinMs : match.captured(2).toInt();
        if (row.pauseMaxMs < row.pauseMinMs)
            std::swap(row.pauseMinMs, row.pauseMaxMs);
    } else if (key == QLatin1String("results")) {
        if (value != QLatin1String("links") && value != QLatin1String("page")) {
            *why = QStringLiteral("results is neither links nor page");
            return false;
        }
        row.linksOnly = value == QLatin1String("links");
    } else if (key == QLatin1String("skip-hosts"))
        row.skipHosts = ListOf(value.toLower());
    else if (key == QLatin1String("skip-paths"))
        row.skipPaths = ListOf(value);
    else if (key == QLatin1String("unwrap"))
        row.unwrap = ListOf(value);
    else if (key == QLatin1String("challenge-hosts"))
        row.challengeHosts = ListOf(value.toLower());
    else if (key == QLatin1String("challenge-paths"))
        row.challengePaths = ListOf(value);
    else if (key == QLatin1String("challenge-markers"))
        row.challengeMarkers = ListOf(value);
    else if (key == QLatin1String("challenge-status")) {
        for (const QString &status : ListOf(value)) {
            bool ok = false;
            const int code = status.toInt(&ok);
            if (!ok || code < 100 || code > 599) {
                *why = QStringLiteral("challenge-status \"%1\" is no HTTP status").arg(status);
                return false;
            }
            row.challengeStatus << code;
        }
    } else {
        *why = QStringLiteral("unknown field \"%1\"").arg(key);
        return false;
    }
    return true;
}

bool IsWebAddress(const QString &text)
{
    return text.startsWith(QLatin1String("http://")) || text.startsWith(QLatin1String("https://"));
}

// The text with every match of the pattern replaced by what `replace` makes of it.
template<typename Replace> QString ReplaceMatches(const QString &text, const QRegularExpression &pattern, Replace replace)
{
    QString out;
    qsizetype last = 0;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        out += replace(match);
        last = match.capturedEnd();
    }
    return out + text.mid(last);
}

QString HtmlUnescaped(const QString &text)
{
    static const QRegularExpression kNumeric(QStringLiteral("&#(x[0-9a-fA-F]{1,6}|[0-9]{1,7});"));
    QString out = ReplaceMatches(text, kNumeric, [](const QRegularExpressionMatch &match) {
        const QString digits = match.captured(1);
        bool ok = false;
        const uint code = digits.startsWith(QLatin1Char('x')) ? digits.mid(1).toUInt(&ok, 16) : digits.toUInt(&ok);
        return ok && code > 0 && code < 0x110000 ? QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1)
                                                 : QString();
    });
    out.replace(QLatin1String("&quot;"), QLatin1String("\""));
    out.replace(QLatin1String("&lt;"), QLatin1String("<"));
    out.replace(QLatin1String("&gt;"), QLatin1String(">"));
    out.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return out;
}

QString Filled(QString text, const SearchEngineRow &row, const QString &term, qint64 offset, const QString &previous)
{
    text.replace(QLatin1String("{base}"), row.base);
    text.replace(QLatin1String("{query}"), term);
    text.replace(QLatin1String("{offset}"), QString::number(offset));
    static const QRegularExpression kField(QStringLiteral("\\{field:([A-Za-z0-9_-]+)\\}"));
    return ReplaceMatches(text, kField, [&](const QRegularExpressionMatch &match) {
        return QString::fromLatin1(QUrl::toPercentEncoding(FormField(previous, match.captured(1))));
    });
}

} // namespace

QList<SearchEngineRow> Parse(const QString &text, const QString &source, QStringList *problems)
{
    QList<SearchEngineRow> rows;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QStringLiteral(" | "));
        SearchEngineRow row;
        row.caption = fields.first().trimmed();
        QString why;
        if (row.caption.isEmpty() || row.caption.contains(QLatin1Char('=')))
            why = QStringLiteral("no caption first");
        for (qsizetype f = 1; why.isEmpty() && f < fields.size(); ++f) {
            const QString field = fields.at(f).trimmed();
            const qsizetype equals = field.indexOf(QLatin1Char('='));
            if (equals <= 0)
                why = QStringLiteral("\"%1\" is not key=value").arg(field);
            else
                ReadField(row, field.left(equals).trimmed(), field.mid(equals + 1).trimmed(), &why);
        }
        if (why.isEmpty() && !IsWebAddress(Filled(row.url, row, QString(), 0, QString())))
            why = QStringLiteral("no url=http(s)://... (with {base}, {query}, {offset})");
        if (why.isEmpty() && !row.url.contains(QLatin1String("{query}")) && !row.post.contains(QLatin1String("{query}")))
            why = QStringLiteral("the url or post template has no {query}");
        if (!why.isEmpty()) {
            if (problems)
                problems->append(QStringLiteral("%1 line %2: %3").arg(source).arg(i + 1).arg(why));
            continue;
        }
        rows << row;
    }
    return rows;
}

QList<SearchEngineRow> Merge(QList<SearchEngineRow> rows, const QList<SearchEngineRow> &own)
{
    for (const SearchEngineRow &row : own) {
        const auto same = std::find_if(rows.begin(), rows.end(),
                                       [&](const SearchEngineRow &each) { return each.caption == row.caption; });
        if (same != rows.end())
            *same = row;
        else
            rows << row;
    }
    return rows;
}

const QList<SearchEngineRow> &BuiltIn()
{
    static const QList<SearchEngineRow> rows = [] {
        QFile file(QStringLiteral(":/orvelle/search-engines.txt"));
        const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        return Parse(text, QStringLiteral("search-engines.txt"), nullptr);
    }();
    return rows;
}

SearchPageRequest PageRequest(const SearchEngineRow &row, int page, const QString &term, const QString &previousMarkup)
{
    const qint64 offset = row.first + qint64(page) * row.step;
    const bool first = page == 0 && !row.firstUrl.isEmpty();
    const QString url = first ? row.firstUrl : row.url;
    const QString post = page == 0 && !row.firstPost.isEmpty() ? row.firstPost : row.post;
    return {Filled(url, row, term, offset, previousMarkup), Filled(post, row, term, offset, previousMarkup)};
}

QString FormField(const QString &markup, const QString &name)
{
    // <input ... name="NAME" ... value="VALUE">, the attributes in either order.
    const QRegularExpression input(QStringLiteral("<input\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression named(QStringLiteral("\\bname\\s*=\\s*[\"']?%1[\"'\\s>/]").arg(QRegularExpression::escape(name)),
                                   QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kValue(QStringLiteral("\\bvalue\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]*))"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString value;
    for (auto it = input.globalMatch(markup); it.hasNext();) {
        const QString tag = it.next().captured(0);
        if (!named.match(tag).hasMatch())
            continue;
        const QRegularExpressionMatch found = kValue.match(tag);
        value = found.hasMatch() ? HtmlUnescaped(found.captured(1) + found.captured(2) + found.captured(3)) : QString();
    }
    return value;
}

bool IsSkippedHost(const SearchEngineRow &row, const QString &host)
{
    const QString lower = host.toLower();
    return std::any_of(row.skipHosts.cbegin(), row.skipHosts.cend(), [&](const QString &skip) {
        return lower == skip || lower.endsWith(QLatin1Char('.') + skip);
    });
}

std::optional<QString> Unwrap(const SearchEngineRow &row, const QString &address)
{
    const QUrlQuery query(QUrl(address).query(QUrl::FullyEncoded));
    for (const QString &wrapper : row.unwrap) {
        const QString parameter = wrapper.section(QLatin1Char(':'), 0, 0);
        const bool base64 = wrapper.section(QLatin1Char(':'), 1) == QLatin1String("base64");
        if (!query.hasQueryItem(parameter))
            continue;
        QString value = query.queryItemValue(parameter, QUrl::FullyDecoded);
        if (base64) {
            // Bing writes "a1" before the base64 of the address.
            for (const QString &candidate : {value, value.mid(2)}) {
                const QByteArray decoded =
                    QByteArray::fromBase64(candidate.toLatin1(), QByteArray::Base64UrlEncoding);
                if (IsWebAddress(QString::fromUtf8(decoded))) {
                    value = QString::fromUtf8(decoded);
                    break;
                }
            }
        }
        if (IsWebAddress(value))
            return value;
    }
    return std::nullopt;
}

QStringList ResultLinks(const SearchEngineRow &row, const QString &markup)
{
    static const QRegularExpression kHref(QStringLiteral("\\bhref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QUrl base(row.base.isEmpty() ? QStringLiteral("https://invalid.") : row.base);
    QStringList links;
    QSet<QString> seen;
    for (auto it = kHref.globalMatch(markup); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString address = HtmlUnescaped(match.captured(1) + match.captured(2)).trimmed();
        address = base.resolved(QUrl(address)).toString(QUrl::FullyEncoded);
        // A wrapper of the engine's own ("/l/?uddg=...") or of a tracker gives its target.
        for (int depth = 0; depth < 3; ++depth) {
            const std::optional<QString> target = Unwrap(row, address);
            if (!target)
                break;
            address = *target;
        }
        const QUrl url(address);
        if (!IsWebAddress(address) || url.host().isEmpty() || IsSkippedHost(row, url.host()))
            continue;
        const QString path = url.path();
        if (std::any_of(row.skipPaths.cbegin(), row.skipPaths.cend(),
                        [&](const QString &skip) { return path.contains(skip, Qt::CaseInsensitive); }))
            continue;
        if (!seen.contains(address)) {
            seen.insert(address);
            links << address;
        }
    }
    return links;
}

std::optional<SearchChallenge> DetectChallenge(const SearchEngineRow &row, const QString &finalAddress,
                                               int httpStatus, const QString &markup)
{
    using Kind = SearchChallenge::Kind;
    const auto kindOf = [](const QString &sign) {
        return sign.contains(QLatin1String("consent"), Qt::CaseInsensitive) ? Kind::Consent : Kind::Person;
    };
    if (row.challengeStatus.contains(httpStatus))
        return SearchChallenge{Kind::NotNow, QString::number(httpStatus)};
    const QUrl url(finalAddress);
    const QString host = url.host().toLower();
    for (const QString &sign : row.challengeHosts) {
        if (host == sign || host.endsWith(QLatin1Char('.') + sign))
            return SearchChallenge{kindOf(sign), sign};
    }
    for (const QString &sign : row.challengePaths) {
        if (url.path().contains(sign, Qt::CaseInsensitive))
            return SearchChallenge{kindOf(sign), sign};
    }
    for (const QString &sign : row.challengeMarkers) {
        if (markup.contains(sign, Qt::CaseInsensitive))
            return SearchChallenge{kindOf(sign), sign};
    }
    return std::nullopt;
}

} // namespace SearchEngines

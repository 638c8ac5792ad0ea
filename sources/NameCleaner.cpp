#include "NameCleaner.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

// Removes every occurrence of item, left to right, in one pass: QString::remove moves the rest
// of the text at every match, which costs the square of the length on a long line full of them.
void RemoveAll(QString &text, QStringView item, Qt::CaseSensitivity cs)
{
    qsizetype at = text.indexOf(item, 0, cs);
    if (at < 0)
        return;
    QString kept;
    kept.reserve(text.size());
    qsizetype from = 0;
    for (; at >= 0; at = text.indexOf(item, from, cs)) {
        kept += QStringView(text).mid(from, at - from);
        from = at + item.size();
    }
    kept += QStringView(text).mid(from);
    text = std::move(kept);
}

} // namespace

QString NameCleaner(const QString &text)
{
    // Removed in this order, case-sensitively. Some items repeat on purpose: an earlier removal
    // can join characters into an item further down the list.
    static const QStringList kRemovals = {
        QStringLiteral("&nbsp;"), QStringLiteral("related:"), QStringLiteral("site:"), QStringLiteral(" "),
        QStringLiteral("/"),      QStringLiteral("."),        QStringLiteral("%"),     QStringLiteral("!"),
        QStringLiteral("/"),      QStringLiteral("~"),        QStringLiteral("#"),     QStringLiteral("'"),
        QStringLiteral("\""),     QStringLiteral("$"),        QStringLiteral("%"),     QStringLiteral("^"),
        QStringLiteral("&"),      QStringLiteral("*"),        QStringLiteral("("),     QStringLiteral(")"),
        QStringLiteral("="),      QStringLiteral("\\"),       QStringLiteral("|"),     QStringLiteral("+"),
        QStringLiteral("`"),      QStringLiteral("?"),        QStringLiteral(">"),     QStringLiteral("<"),
        QStringLiteral(","),      QStringLiteral("'"),        QStringLiteral("\""),    QStringLiteral("."),
        QStringLiteral("nbsp;"),  QStringLiteral(";"),        QStringLiteral(":"),     QString(QChar(0x00AB)),
        QString(QChar(0x00B4)),   QString(QChar(0x00AF)),     QString(QChar(0x00BA)),  QString(QChar(0x00B8)),
        QStringLiteral("_")};

    // Every item on the list holds at least one of these characters: a name without any of them
    // (the usual word or host name) has nothing to remove before its first dot.
    static const QString kListCharacters = [] {
        QString characters;
        for (const QString &item : kRemovals) {
            for (const QChar c : item) {
                // The words of the longer items ("site:") cannot match without their sign.
                if ((item.size() == 1 || !c.isLetter()) && !characters.contains(c))
                    characters += c;
            }
        }
        return characters;
    }();
    // The ASCII ones by character, looked up without a search: every name read comes here.
    static const std::array<bool, 128> kAsciiListCharacters = [] {
        std::array<bool, 128> table{};
        for (const QChar c : kListCharacters) {
            if (c.unicode() < table.size())
                table[c.unicode()] = true;
        }
        return table;
    }();
    const auto isListCharacter = [](QChar c) {
        return c.unicode() < kAsciiListCharacters.size() ? kAsciiListCharacters[c.unicode()]
                                                         : kListCharacters.contains(c);
    };
    QString name = text;
    const qsizetype firstDot = name.indexOf(QLatin1Char('.'));
    const QStringView label = QStringView(name).left(firstDot < 0 ? name.size() : firstDot);
    if (std::none_of(label.begin(), label.end(), isListCharacter))
        return name.contains(QLatin1Char('?')) ? QString(name).remove(QLatin1Char('?')) : name;

    QString extension;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        extension = name.mid(dot);
        RemoveAll(name, extension, Qt::CaseInsensitive);
    }
    for (const QString &item : kRemovals)
        RemoveAll(name, item, Qt::CaseSensitive);
    name += extension;
    name.remove(QLatin1Char('?'));
    return name;
}

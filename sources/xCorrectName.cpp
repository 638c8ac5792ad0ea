#include "xCorrectName.h"

#include <QStringList>

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

    QString name = text;
    QString extension;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        extension = name.mid(dot);
        name.remove(extension, Qt::CaseInsensitive);
    }
    for (const QString &item : kRemovals)
        name.remove(item, Qt::CaseSensitive);
    name += extension;
    name.remove(QLatin1Char('?'));
    return name;
}

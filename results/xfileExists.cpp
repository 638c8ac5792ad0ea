#include "xfileExists.h"

#include "platform/AppFolder.h"

#include <QFileInfo>

QString FileNamePart(const QString &path)
{
    return path.section(QLatin1Char('\\'), -1);
}

bool xfileExists(const QString &path)
{
    // Both separators count on this platform; the name part decides what is looked for.
    const QString name = FileNamePart(QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')));
    if (name.isEmpty() || name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')))
        return false;
    const QFileInfo info(ResolvePathIgnoringCase(path));
    return info.isFile() && !info.isHidden() && info.fileName().compare(name, Qt::CaseInsensitive) == 0;
}

#include "FileUtilities.h"

#include "platform/AppFolder.h"
#include "platform/TextFile.h"

#include <QFileInfo>

QString FileNamePart(const QString &path)
{
    return path.section(QLatin1Char('\\'), -1);
}

bool FileExists(const QString &path)
{
    // Both separators count on this platform; the name part decides what is looked for.
    const QString name = FileNamePart(QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')));
    if (name.isEmpty() || name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')))
        return false;
    const QFileInfo info(ResolvePathIgnoringCase(path));
    return info.isFile() && !info.isHidden() && info.fileName().compare(name, Qt::CaseInsensitive) == 0;
}

bool DirectoryExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(ResolvePathIgnoringCase(path)).isDir();
}

void CopyFileOver(const QString &sourcePath, const QString &destinationPath)
{
    const std::optional<QByteArray> bytes = TextFile::ReadBytes(sourcePath);
    if (bytes)
        TextFile::WriteBytes(destinationPath, *bytes); // atomic: a failed copy leaves the old file
}

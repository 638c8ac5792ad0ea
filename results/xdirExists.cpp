#include "xdirExists.h"

#include "platform/AppFolder.h"

#include <QFileInfo>

bool xdirExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(ResolvePathIgnoringCase(path)).isDir();
}

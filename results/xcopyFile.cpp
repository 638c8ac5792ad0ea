#include "xcopyFile.h"

#include "platform/TextFile.h"

void xcopyFile(const QString &sourcePath, const QString &destinationPath)
{
    const std::optional<QByteArray> bytes = TextFile::ReadBytes(sourcePath);
    if (bytes)
        TextFile::WriteBytes(destinationPath, *bytes); // atomic: a failed copy leaves the old file
}

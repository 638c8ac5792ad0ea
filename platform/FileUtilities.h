#pragma once

#include <QString>

// Small file routines the program's features share. None of them fails loudly: each reports
// through its result, or (CopyFileOver) leaves things as they were.

// The part of a path after its last backslash; the whole text when it has none. A forward
// slash does not count as a separator here.
QString FileNamePart(const QString &path);

// True when the path names an ordinary file (not a folder, not a hidden file). The name is
// matched without regard to case, as every name of the program is. Never fails: any error
// gives false.
bool FileExists(const QString &path);

// True when the path names an existing folder, with or without a trailing separator; the name
// is matched without regard to case. Any error gives false.
bool DirectoryExists(const QString &path);

// Copies the source file over the destination. Never reports anything: a missing source, a
// missing destination folder or a file in use simply leaves the destination as it was.
void CopyFileOver(const QString &sourcePath, const QString &destinationPath);

#pragma once

#include <QString>

// The part of a path after its last backslash; the whole text when it has none. A forward
// slash does not count as a separator here.
QString FileNamePart(const QString &path);

// True when the path names an ordinary file (not a folder, not a hidden file). The name is
// matched without regard to case, as every name of the program is. Never fails: any error
// gives false.
bool xfileExists(const QString &path);

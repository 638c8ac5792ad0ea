#pragma once

#include <QString>

// Copies the source file over the destination. Never reports anything: a missing source, a
// missing destination folder or a file in use simply leaves the destination as it was.
void xcopyFile(const QString &sourcePath, const QString &destinationPath);

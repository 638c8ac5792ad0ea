#pragma once

#include <QString>

// True when the path names an existing folder, with or without a trailing separator; the name
// is matched without regard to case. Any error gives false.
bool xdirExists(const QString &path);

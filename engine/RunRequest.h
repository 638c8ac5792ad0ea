#pragma once

#include "CheckSettings.h"

#include <QString>

// A name's place in its list: its line, counting non-empty lines from 1, and of the line's names
// (one per extension to try) its index. Ordinals order a list's names.
namespace Ordinal {
constexpr qint64 kPerLine = 64; // more extensions than this are not tried
constexpr qint64 Of(qint64 line, qint64 extension)
{
    return line * kPerLine + extension;
}
constexpr qint64 LineOf(qint64 ordinal)
{
    return ordinal / kPerLine;
}
constexpr int ExtensionOf(qint64 ordinal)
{
    return static_cast<int>(ordinal % kPerLine);
}
} // namespace Ordinal

// What a search run is asked to do: check a list from a position to its end, with the check
// settings of the moment it was asked for.
//
//     engine.Start({.listPath = path, .firstPosition = 26, .total = 5000, .resumeKey = "FullWordNum"});
struct RunRequest
{
    QString listPath;         // the candidate list file
    qint64 firstPosition = 1; // position of the first name, counting non-empty lines from 1
    qint64 total = 0;         // entries shown in the progress; the run does not stop there
    QString resumeKey;        // the setting its position is kept under besides the run-wide one
    // Of the first line's names, one per extension to try, the first to ask (a run stopped
    // between the extensions of a word goes on with the next).
    int firstExtension = 0;
    CheckSettings settings = {};
};

// How far a list's names have been filed: a run that resumes it before that mark does not file
// again what already stands in the lists (the names a crash left filed beyond the position).
struct FiledMark
{
    QString listPath;
    qint64 upTo = 0;
};

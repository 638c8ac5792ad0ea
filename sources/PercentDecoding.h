#pragma once

#include <QString>

// Replaces the percent escapes of a fixed table by their characters. Codes are matched in any
// letter case and each is replaced until it no longer occurs, so "%2520" ends as a space.
// No other escape is decoded and nothing is encoded.
//
//     PercentDecoder("%2525")  // "%"
//     PercentDecoder("%41")    // "%41"
QString PercentDecoder(const QString &text);

#pragma once

#include <QString>

// Cleans a candidate word or host name of punctuation and markup remnants. The extension part
// (from the first dot to the end) is set aside, the rest is stripped of the characters on the
// removal list, the extension part is put back unchanged, and every "?" is removed.
//
//     NameCleaner("my shop!.com")     // "myshop.com"
//     NameCleaner("Sunrise Bakery!")  // "SunriseBakery"
QString NameCleaner(const QString &text);

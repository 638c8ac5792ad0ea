#pragma once

#include <QString>

#include <optional>

// A whole number typed or stored as text ("12", " 12 "), as a 64-bit value; nothing for text
// that is not a whole number or lies outside the 64-bit range.
std::optional<qint64> ParseWhole(const QString &text);

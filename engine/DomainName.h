#pragma once

#include <QString>

#include <optional>

// The form of a domain name that goes on the wire: names with letters outside ASCII become their
// A-labels ("bücher.com" -> "xn--bcher-kva.com", IDNA2008 non-transitional processing); ASCII
// names go as they are. Nothing for a name that is no valid domain name: a character that is not
// a letter, digit or hyphen (emoji, "_"), a label that starts or ends with "-", "--" in
// positions 3-4 outside "xn--", an "xn--" label that is not valid punycode, a label over 63
// octets, or an empty label ("free..com", ".com", "."). One dot at the end stands for the root and
// is dropped ("free.com." -> "free.com").
std::optional<QString> AsciiDomainName(const QString &name);

// The form of a domain name to show and compare with what people write: A-labels become their
// letters ("xn--bcher-kva.com" -> "bücher.com"); a name without A-labels, or one that cannot be
// converted, stays as it is.
QString UnicodeDomainName(const QString &name);

// A name or host in lower case, as a key and for comparing. One in lower case already (most are)
// is shared, not copied.
QString LowerCaseName(const QString &name);

#pragma once

#include <QString>

// The three profile classes of free names, by the length of the label before the first dot, in
// characters: High below kMidFrom, Mid up to kMidUpTo, Low beyond.
enum class ProfileClass
{
    High,
    Mid,
    Low
};

namespace ProfileClasses {
constexpr int kMidFrom = 5;
constexpr int kMidUpTo = 7;
} // namespace ProfileClasses

ProfileClass ProfileClassOf(const QString &name);

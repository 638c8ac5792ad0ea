#include "ProfileClass.h"

#include <algorithm>

ProfileClass ProfileClassOf(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QStringView label = QStringView(name).left(dot < 0 ? name.size() : dot);
    // Characters, not UTF-16 units: a character outside the basic plane counts once.
    const auto length = std::count_if(label.begin(), label.end(), [](QChar c) { return !c.isLowSurrogate(); });
    if (length < ProfileClasses::kMidFrom)
        return ProfileClass::High;
    if (length <= ProfileClasses::kMidUpTo)
        return ProfileClass::Mid;
    return ProfileClass::Low;
}

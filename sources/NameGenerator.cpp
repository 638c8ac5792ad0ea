#include "NameGenerator.h"

#include "AffixFile.h"

const std::array<const char *, 8> GeneratorChoices::kExtensions = {".com",  ".net",  ".org",  ".biz",
                                                                   ".info", ".name", ".aero", ".coop"};

QStringList GeneratorChoices::ChosenExtensions() const
{
    QStringList chosen;
    for (int i = 0; i < kCustomExtension; ++i) {
        if (extensions.at(i))
            chosen.append(QLatin1String(kExtensions.at(i)));
    }
    if (extensions.at(kCustomExtension))
        chosen.append(customExtension.toLower());
    return chosen;
}

NameGenerator::NameGenerator(QString baseWord, QStringList affixLines, GeneratorChoices choices)
    : m_baseWord(std::move(baseWord)), m_choices(std::move(choices)),
      m_extensions(m_choices.ChosenExtensions())
{
    for (QString &line : affixLines) {
        if (AffixFile::IsAffixLine(line))
            m_affixes.append(std::move(line));
    }
}

QStringList NameGenerator::NamesForAffix(const QString &baseWord, const QString &affix,
                                         const GeneratorChoices &choices, const QStringList &extensions)
{
    QStringList names;
    const auto addForms = [&](QString joined) {
        joined.remove(QLatin1Char(' '));
        for (const QString &extension : extensions)
            names.append(joined + extension);
    };
    if (choices.prefixes) {
        addForms(affix + baseWord);
        if (choices.hyphens)
            addForms(affix + QLatin1Char('-') + baseWord);
    }
    if (choices.suffixes) {
        addForms(baseWord + affix);
        if (choices.hyphens)
            addForms(baseWord + QLatin1Char('-') + affix);
    }
    return names;
}

QStringList NameGenerator::Step()
{
    QStringList added;
    int sincePause = 0;
    while (!finished()) {
        const QStringList names =
            NamesForAffix(m_baseWord, m_affixes.at(m_nextAffix++), m_choices, m_extensions);
        added.append(names);
        m_created += static_cast<int>(names.size());
        sincePause += static_cast<int>(names.size());
        if (sincePause >= kPauseEvery)
            break;
    }
    return added;
}

QString NameGenerator::ProgressText() const
{
    return QStringLiteral("Creating Domains - Created ") + QString::number(m_created) +
           QStringLiteral(" so far...");
}

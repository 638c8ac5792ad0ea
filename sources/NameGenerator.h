#pragma once

#include <QString>
#include <QStringList>

#include <array>

// What the generator joins and appends: the affix forms and the extensions chosen.
struct GeneratorChoices
{
    static constexpr int kExtensionCount = 9;
    static constexpr int kCustomExtension = 8;
    // The extensions of options 0 to 7; option 8 is the custom text.
    static const std::array<const char *, 8> kExtensions;

    bool prefixes = true;
    bool suffixes = true;
    bool hyphens = true;
    std::array<bool, kExtensionCount> extensions{};
    QString customExtension;

    // The chosen extensions in option order, lower-cased ("Custom" as typed, no dot added).
    QStringList ChosenExtensions() const;
};

// Builds candidate names from a base word and affixes: each affix as a prefix and/or suffix,
// with or without a hyphen, each form with every chosen extension. Spaces are removed from the
// joined name.
//
// Generation runs in steps so the window stays responsive: Step() goes on affix by affix until
// at least 1000 names were added since the last pause, then returns the names it added.
//
//     NameGenerator generator("shop", {"my", "best"}, choices);
//     while (!generator.finished())
//         list.append(generator.Step());
class NameGenerator
{
public:
    static constexpr int kPauseEvery = 1000;

    NameGenerator(QString baseWord, QStringList affixLines, GeneratorChoices choices);

    // The names one affix gives, in generation order.
    static QStringList NamesForAffix(const QString &baseWord, const QString &affix,
                                     const GeneratorChoices &choices, const QStringList &extensions);

    QStringList Step();
    bool finished() const { return m_nextAffix >= m_affixes.size(); }
    int createdCount() const { return m_created; }
    // "Creating Domains - Created N so far..." after a step that paused.
    QString ProgressText() const;

private:
    QString m_baseWord;
    QStringList m_affixes;
    GeneratorChoices m_choices;
    QStringList m_extensions;
    qsizetype m_nextAffix = 0;
    int m_created = 0;
};

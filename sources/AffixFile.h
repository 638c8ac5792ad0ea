#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The generator's affix file "Appends.txt": one prefix or suffix per line, in the order shown
// and used. A line that is empty or a single space is no affix; duplicates are allowed.
//
//     AffixFile file(paths.appends());
//     file.Add("best");
//     file.Remove("my");   // every line "my" goes
class AffixFile
{
public:
    explicit AffixFile(QString path) : m_path(std::move(path)) {}

    static bool IsAffixLine(const QString &line);

    // Every line of the file, affix or not; nothing when it cannot be read.
    std::optional<QStringList> Lines() const;
    // The affixes in file order (an unreadable file has none).
    QStringList Affixes() const;

    // Appends the affix as one line. A file whose last line has no line break gets one first,
    // so the affix is never joined onto it.
    bool Add(const QString &affix) const;
    // Removes every line equal to the affix (exact comparison), closes up the empty lines this
    // leaves ("CR LF CR LF" becomes "CR LF", once, left to right) and ends the file with a line
    // break.
    bool Remove(const QString &affix) const;

private:
    QString m_path;
};

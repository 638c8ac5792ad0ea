#include "AffixFile.h"

#include "platform/TextFile.h"

bool AffixFile::IsAffixLine(const QString &line)
{
    return !line.isEmpty() && line != QLatin1String(" ");
}

std::optional<QStringList> AffixFile::Lines() const
{
    return TextFile::ReadLines(m_path);
}

QStringList AffixFile::Affixes() const
{
    QStringList affixes;
    for (const QString &line : Lines().value_or(QStringList())) {
        if (IsAffixLine(line))
            affixes.append(line);
    }
    return affixes;
}

bool AffixFile::Add(const QString &affix) const
{
    const QByteArray existing = TextFile::ReadBytes(m_path).value_or(QByteArray());
    const bool needsBreak = !existing.isEmpty() && !existing.endsWith('\n') && !existing.endsWith('\r');
    return TextFile::Append(m_path, (needsBreak ? QStringLiteral("\r\n") : QString()) + affix +
                                        QStringLiteral("\r\n"));
}

bool AffixFile::Remove(const QString &affix) const
{
    const std::optional<QStringList> lines = Lines();
    if (!lines)
        return false;
    QString text;
    for (const QString &line : *lines) {
        if (line != affix)
            text += line + QStringLiteral("\r\n");
    }
    text.replace(QStringLiteral("\r\n\r\n"), QStringLiteral("\r\n"));
    return TextFile::WriteAll(m_path, text + QStringLiteral("\r\n"));
}

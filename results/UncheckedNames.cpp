#include "UncheckedNames.h"

#include "platform/TextFile.h"

#include <QFileInfo>

#include <algorithm>

QString UncheckedNames::NameOf(const QString &line)
{
    return line.section(QLatin1Char('\t'), 0, 0).trimmed();
}

QSet<QString> UncheckedNames::ReadNames() const
{
    QSet<QString> names;
    for (const QString &line : TextFile::ReadLines(m_path).value_or(QStringList())) {
        if (const QString name = NameOf(line); !name.isEmpty())
            names.insert(name);
    }
    return names;
}

QString UncheckedNames::OneLine(QString reason)
{
    // The control characters (C0, DEL and C1) are blanks; a reason without any is not copied.
    const auto isControl = [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
    };
    if (std::none_of(reason.cbegin(), reason.cend(), isControl))
        return reason;
    std::replace_if(reason.begin(), reason.end(), isControl, QLatin1Char(' '));
    return reason;
}

void UncheckedNames::BeginRun(const QString &listPath)
{
    m_answered.clear();
    m_inFile = ReadNames();
    m_inFileRead = true;
    m_runsOverFile = QFileInfo(listPath).canonicalFilePath() == QFileInfo(m_path).canonicalFilePath() &&
                     QFileInfo::exists(m_path);
}

bool UncheckedNames::Keep(const QString &name, const QString &reason)
{
    if (!m_inFileRead) {
        m_inFile = ReadNames();
        m_inFileRead = true;
    }
    if (m_inFile.contains(name))
        return true;
    // Appended, never rewritten, so a run that reads this file keeps its positions.
    QString line = name;
    if (!reason.isEmpty())
        line += QLatin1Char('\t') + OneLine(reason);
    if (!TextFile::Append(m_path, line + QStringLiteral("\r\n")))
        return false;
    m_inFile.insert(name);
    return true;
}

void UncheckedNames::Answered(const QString &name)
{
    if (m_runsOverFile)
        m_answered.insert(name);
}

bool UncheckedNames::EndRun(bool reachedEnd)
{
    const bool prune = m_runsOverFile && reachedEnd && !m_answered.isEmpty();
    m_runsOverFile = false;
    if (!prune)
        return true;
    QString text;
    for (const QString &line : TextFile::ReadLines(m_path).value_or(QStringList())) {
        if (const QString name = NameOf(line); !name.isEmpty() && !m_answered.contains(name))
            text += line + QStringLiteral("\r\n");
    }
    m_answered.clear();
    return TextFile::WriteAll(m_path, text);
}

#include "UncheckedNames.h"

#include "platform/TextFile.h"

#include <QFileInfo>

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
    for (QChar &c : reason) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
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

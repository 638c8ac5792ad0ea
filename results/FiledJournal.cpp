#include "FiledJournal.h"

#include "platform/TextFile.h"
#include "platform/WholeNumber.h"

#include <charconv>
#include <utility>


namespace {

// "list<TAB>name": the list's index (one digit, 1 to 5), a tab and the name.
QString &AppendKey(QString &to, ResultList list, const QString &name)
{
    static_assert(ControlIndex(ResultList::Low) >= 1 && ControlIndex(ResultList::Saved) <= 9);
    return to.append(QLatin1Char(char('0' + ControlIndex(list)))).append(QLatin1Char('\t')).append(name);
}

} // namespace

QString FiledJournal::Key(ResultList list, const QString &name)
{
    QString key;
    key.reserve(2 + name.size());
    return AppendKey(key, list, name);
}

QSet<QString> FiledJournal::Load(const QString &candidateList, qint64 fromOrdinal)
{
    m_entries.clear();
    m_unwritten.clear();
    m_forgottenInFile = 0;
    QSet<QString> keys;
    QStringList lines = TextFile::ReadLines(m_path).value_or(QStringList());
    if (lines.isEmpty() || lines.takeFirst() != QStringLiteral("list\t") + candidateList) {
        Reset(candidateList);
        return keys;
    }
    m_header = QStringLiteral("list\t") + candidateList;
    for (const QString &line : std::as_const(lines)) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        const std::optional<qint64> ordinal = ParseWhole(line.left(tab));
        const QString key = line.mid(tab + 1);
        const std::optional<qint64> list = ParseWhole(key.section(QLatin1Char('\t'), 0, 0));
        if (tab < 0 || !ordinal || !list || !ResultListAt(static_cast<int>(*list)) ||
            key.section(QLatin1Char('\t'), 1).isEmpty())
            continue; // a line torn by a crash, or not ours
        if (*ordinal < fromOrdinal) {
            ++m_forgottenInFile;
            continue;
        }
        m_entries.emplace(*ordinal, line);
        keys.insert(key);
    }
    return keys;
}

bool FiledJournal::Reset(const QString &candidateList)
{
    m_entries.clear();
    m_forgottenInFile = 0;
    m_header = QStringLiteral("list\t") + candidateList;
    return Rewrite();
}

bool FiledJournal::Add(qint64 ordinal, ResultList list, const QString &name)
{
    Note(ordinal, list, name);
    return Flush();
}

void FiledJournal::Note(qint64 ordinal, ResultList list, const QString &name)
{
    // "ordinal<TAB>key", put together in one buffer: a fast run notes thousands a second.
    char digits[24];
    const char *const digitsEnd = std::to_chars(digits, digits + sizeof digits, ordinal).ptr;
    QString line;
    line.reserve(qsizetype(digitsEnd - digits) + 4 + name.size());
    AppendKey(line.append(QLatin1StringView(digits, digitsEnd)).append(QLatin1Char('\t')), list, name);
    m_unwritten += TextFile::Encode(line);
    m_unwritten += "\r\n";
    m_entries.emplace(ordinal, std::move(line));
}

bool FiledJournal::Flush()
{
    if (m_unwritten.isEmpty())
        return true;
    // What could not be written stays in m_entries, and goes to the file with the next rewrite.
    return m_file.Append(std::exchange(m_unwritten, QByteArray()));
}

bool FiledJournal::Forget(qint64 beforeOrdinal)
{
    const auto end = m_entries.lower_bound(beforeOrdinal);
    m_forgottenInFile += static_cast<qsizetype>(std::distance(m_entries.begin(), end));
    m_entries.erase(m_entries.begin(), end);
    if (m_forgottenInFile < kRewriteAfter || m_forgottenInFile < size())
        return true;
    return Rewrite();
}

bool FiledJournal::Rewrite()
{
    QString text = m_header + QStringLiteral("\r\n");
    for (const auto &[ordinal, line] : m_entries)
        text += line + QStringLiteral("\r\n");
    if (!TextFile::WriteAll(m_path, text))
        return false;
    m_unwritten.clear(); // the rewrite holds them
    m_forgottenInFile = 0;
    return true;
}

#include "WhoisPhrases.h"

#include "platform/TextFile.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

bool IsCommentMark(QChar c)
{
    return c == u'%' || c == u'#' || c == u'*' || c == u'>' || c == u'[' || c.isSpace();
}

struct Named
{
    const char *word;
    WhoisPhrases::Kind kind;
};
constexpr Named kKindNames[] = {{"not-found", WhoisPhrases::Kind::NotFound},
                                {"registered-field", WhoisPhrases::Kind::Registered},
                                {"refusal", WhoisPhrases::Kind::Refusal},
                                {"not-served", WhoisPhrases::Kind::NotServed},
                                {"reserved", WhoisPhrases::Kind::Reserved},
                                {"blocked", WhoisPhrases::Kind::Blocked},
                                {"grace", WhoisPhrases::Kind::Grace},
                                {"premium", WhoisPhrases::Kind::Premium}};

std::optional<WhoisPhrases::Kind> KindNamed(const QString &word)
{
    for (const Named &named : kKindNames) {
        if (word == QLatin1String(named.word))
            return named.kind;
    }
    return std::nullopt;
}

QString KindWords()
{
    QStringList words;
    for (const Named &named : kKindNames)
        words << QString::fromLatin1(named.word);
    return words.join(QStringLiteral(", "));
}

std::optional<WhoisPhrases::Anchor> AnchorNamed(const QString &word)
{
    using Anchor = WhoisPhrases::Anchor;
    if (word == QLatin1String("line"))
        return Anchor::Line;
    if (word == QLatin1String("start"))
        return Anchor::Start;
    if (word == QLatin1String("contains"))
        return Anchor::Contains;
    if (word == QLatin1String("name-line"))
        return Anchor::NameLine;
    if (word == QLatin1String("short-reply"))
        return Anchor::ShortReply;
    return std::nullopt;
}

// "no match for <name>." -> "no match for ", <name>, "."
QList<WhoisPhrases::Piece> PiecesOf(const QString &text)
{
    using Type = WhoisPhrases::Piece::Type;
    static const QRegularExpression kPlaceholder(QStringLiteral("<(name|ext|db)>"));
    QList<WhoisPhrases::Piece> pieces;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = kPlaceholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedStart() > from)
            pieces.append({Type::Literal, text.mid(from, match.capturedStart() - from)});
        const QStringView which = match.capturedView(1);
        pieces.append({which == u"name" ? Type::Name : which == u"ext" ? Type::Ext : Type::Db, QString()});
        from = match.capturedEnd();
    }
    if (from < text.size())
        pieces.append({Type::Literal, text.mid(from)});
    return pieces;
}

// The first run of letters and digits in a text, and where it starts; an empty view when none.
QStringView FirstWord(QStringView text, qsizetype *at = nullptr)
{
    qsizetype begin = 0;
    while (begin < text.size() && !text.at(begin).isLetterOrNumber())
        ++begin;
    qsizetype end = begin;
    while (end < text.size() && text.at(end).isLetterOrNumber())
        ++end;
    if (at)
        *at = begin;
    return text.sliced(begin, end - begin);
}

int LettersOf(const WhoisPhrases::Phrase &phrase)
{
    int letters = 0;
    for (const WhoisPhrases::Piece &piece : phrase.pieces) {
        if (piece.type == WhoisPhrases::Piece::Type::Literal)
            letters += int(std::count_if(piece.text.begin(), piece.text.end(), [](QChar c) { return c.isLetter(); }));
    }
    return letters;
}

QStringView WithoutTrailingPunctuation(QStringView text)
{
    while (!text.isEmpty() && QStringView(u".!:;").contains(text.back()))
        text.chop(1);
    return text;
}

// Where a statement begins on a line that starts with an error mark and a code: "error:101: no
// entries found", "error 404 - domain not found", "- 550 not found"; -1 for other lines.
qsizetype AfterErrorCode(const QString &line)
{
    static const QRegularExpression kErrorCode(
        QStringLiteral("^(?:-\\s*)?(?:(?:error|err|erro|fehler)\\s*[:#-]?\\s*(?:\\d{1,5}\\s*[:.)-]?\\s*)?|"
                       "\\d{1,5}\\s*[:.)-]\\s*|\\d{3}\\s+)"));
    const QRegularExpressionMatch match = kErrorCode.match(line);
    return match.hasMatch() && match.capturedLength() > 0 && match.capturedLength() < line.size()
               ? match.capturedLength()
               : -1;
}

bool IsNameCharacter(QChar c)
{
    return !c.isSpace() && !QStringView(u"\"'()[],").contains(c);
}

} // namespace

QString WhoisPhrases::Folded(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();
    // Decomposed, the accents are marks of their own and go; the rest is case-folded.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c;
    }
    return folded.toCaseFolded();
}

QString WhoisPhrases::NormalisedLine(QStringView line)
{
    qsizetype from = 0;
    while (from < line.size() && IsCommentMark(line.at(from)))
        ++from;
    QString out;
    out.reserve(line.size() - from);
    bool blank = false;
    for (const QChar c : line.sliced(from)) {
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out += QLatin1Char(' ');
        blank = false;
        out += c;
    }
    return out;
}

QString WhoisPhrases::Normalised(const QString &text)
{
    const QString folded = Folded(text);
    QStringList lines;
    for (const QStringView line : QStringView(folded).split(QLatin1Char('\n')))
        lines << NormalisedLine(line);
    return lines.join(QLatin1Char('\n'));
}

const WhoisPhrases &WhoisPhrases::Shipped()
{
    static const WhoisPhrases shipped = [] {
        QFile file(QStringLiteral(":/orvelle/whois-phrases.txt"));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return Parse(QString::fromUtf8(bytes), QStringLiteral("whois-phrases.txt"));
    }();
    return shipped;
}

WhoisPhrases WhoisPhrases::Parse(const QString &text, const QString &source, QStringList *problems)
{
    WhoisPhrases phrases;
    phrases.Add(text, source, problems);
    return phrases;
}

void WhoisPhrases::Add(const QString &text, const QString &source, QStringList *problems, Source from)
{
    WhoisPhrases added;
    QStringList refused;
    const auto refuse = [&](int lineNumber, const QString &problem) {
        refused << QStringLiteral("%1 line %2: %3").arg(source).arg(lineNumber).arg(problem);
    };
    int lineNumber = 0;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QChar(0xFEFF)))
            line = line.sliced(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        Phrase phrase;
        const QString problem = ReadPhrase(line, phrase, from);
        if (!problem.isEmpty()) {
            refuse(lineNumber, problem);
            continue;
        }
        phrase.sourceLine = lineNumber;
        added.m_phrases.append(std::move(phrase));
        added.IndexPhrase(int(added.m_phrases.size() - 1));
    }
    QList<int> unsafe;
    if (from == Source::User)
        unsafe = RefusedByExamples(added);
    for (int i = 0; i < added.m_phrases.size(); ++i) {
        if (unsafe.contains(i)) {
            refuse(added.m_phrases.at(i).sourceLine,
                   QStringLiteral("the not-found phrase stands in a reply for a registered name"));
            continue;
        }
        m_phrases.append(std::move(added.m_phrases[i]));
        IndexPhrase(int(m_phrases.size() - 1));
    }
    if (problems)
        *problems << refused;
}

QString WhoisPhrases::ReadPhrase(QStringView line, Phrase &phrase, Source from)
{
    const QList<QStringView> fields = line.split(QLatin1Char('\t'));
    if (fields.size() < 3 || fields.size() > 4)
        return QStringLiteral("needs kind, anchor and phrase, separated by tabs, and at most a host");
    const std::optional<Kind> kind = KindNamed(fields.at(0).trimmed().toString());
    if (!kind)
        return QStringLiteral("the kind \"%1\" is none of %2").arg(fields.at(0).trimmed(), KindWords());
    const std::optional<Anchor> anchor = AnchorNamed(fields.at(1).trimmed().toString());
    if (!anchor)
        return QStringLiteral("the anchor \"%1\" is none of line, start, contains, name-line, short-reply")
            .arg(fields.at(1).trimmed());
    phrase.kind = *kind;
    phrase.anchor = *anchor;
    phrase.text = NormalisedLine(Folded(fields.at(2).toString()));
    phrase.host = fields.size() >= 4 ? fields.at(3).trimmed().toString().toLower() : QString();
    phrase.pieces = PiecesOf(phrase.text);
    const bool placeholders = phrase.pieces.size() != 1 || phrase.pieces.first().type != Piece::Type::Literal;
    phrase.namesTheDomain = phrase.text.contains(QLatin1String("<name>"));
    if (phrase.text.isEmpty())
        return QStringLiteral("the phrase is empty");
    if (placeholders && (phrase.anchor == Anchor::NameLine || phrase.anchor == Anchor::ShortReply))
        return QStringLiteral("a name-line or short-reply phrase takes no <name>, <ext> or <db>");
    if (LettersOf(phrase) == 0)
        return QStringLiteral("the phrase has no word");
    if (from == Source::User && phrase.kind == Kind::NotFound && !phrase.namesTheDomain &&
        LettersOf(phrase) < kLeastNotFoundLetters)
        return QStringLiteral("a not-found phrase of fewer than %1 letters would stand in too many replies")
            .arg(kLeastNotFoundLetters);
    return QString();
}

void WhoisPhrases::IndexPhrase(int i)
{
    Phrase &phrase = m_phrases[i];
    const bool plain = phrase.pieces.size() == 1 && phrase.pieces.first().type == Piece::Type::Literal;
    if (plain && phrase.anchor == Anchor::Line) {
        m_index.lines[WithoutTrailingPunctuation(phrase.text).toString()].append(i);
        return;
    }
    const Piece &lead = phrase.pieces.first();
    qsizetype at = 0;
    const QStringView word = lead.type == Piece::Type::Literal ? FirstWord(lead.text, &at) : QStringView();
    if (!word.isEmpty()) {
        phrase.keyOffset = at;
        if (at + word.size() < lead.text.size())
            m_index.exact[word.toString()].append(i);
        else
            m_index.prefix[word.left(2).toString()].append(i);
        return;
    }
    // It begins with a placeholder (or marks without a word): found by its first later word.
    phrase.keyOffset = -1;
    for (const Piece &piece : phrase.pieces) {
        const QStringView later = piece.type == Piece::Type::Literal ? FirstWord(piece.text) : QStringView();
        if (!later.isEmpty()) {
            m_index.floating[later.toString()].append(i);
            return;
        }
    }
}

void WhoisPhrases::ForEachMatch(const Reading &reading, const std::function<void(int phrase, int line)> &take) const
{
    const auto usable = [&](int i) {
        const Phrase &phrase = m_phrases.at(i);
        return phrase.host.isEmpty() || phrase.host == reading.host;
    };
    for (int li = 0; li < reading.lines.size(); ++li) {
        const QString line = reading.lines.at(li).left(kLongestLineRead);
        const qsizetype afterCode = AfterErrorCode(line);
        // A statement may begin the line, or follow an error mark and code.
        const auto startsHere = [&](qsizetype start) { return start == 0 || start == afterCode; };
        for (const qsizetype start : {qsizetype(0), afterCode}) {
            if (start < 0)
                continue;
            for (const int i : m_index.lines.value(WithoutTrailingPunctuation(QStringView(line).sliced(start)).toString())) {
                if (usable(i))
                    take(i, li);
            }
        }
        const auto tryAt = [&](int i, qsizetype start) {
            const Phrase &phrase = m_phrases.at(i);
            const bool anchored = phrase.anchor == Anchor::Line || phrase.anchor == Anchor::Start;
            if (start < 0 || (anchored && !startsHere(start)) || !usable(i))
                return false;
            if (!MatchesAt(phrase, line, start, reading))
                return false;
            take(i, li);
            return true;
        };
        for (qsizetype pos = 0; pos < line.size();) {
            if (!line.at(pos).isLetterOrNumber()) {
                ++pos;
                continue;
            }
            qsizetype end = pos;
            while (end < line.size() && line.at(end).isLetterOrNumber())
                ++end;
            const QString word = line.mid(pos, end - pos);
            for (const int i : m_index.exact.value(word))
                tryAt(i, pos - m_phrases.at(i).keyOffset);
            for (const QString &key : {word.left(2), word.left(1)}) {
                if (key.size() == 2 || word.size() == 1) {
                    for (const int i : m_index.prefix.value(key))
                        tryAt(i, pos - m_phrases.at(i).keyOffset);
                }
            }
            for (const int i : m_index.floating.value(word)) {
                // The placeholder before the word may begin at any word before it.
                for (qsizetype start = 0; start < pos; ++start) {
                    if ((start == 0 || line.at(start - 1) == u' ' || start == afterCode) && tryAt(i, start))
                        break;
                }
            }
            pos = end;
        }
    }
}

WhoisPhrases::Findings WhoisPhrases::Find(const Reading &reading) const
{
    Findings found;
    ForEachMatch(reading, [&](int phrase, int line) {
        Found &first = found[size_t(m_phrases.at(phrase).kind)];
        if (!first || line < first.line)
            first = {phrase, line};
    });
    return found;
}

namespace {

// Matches the pieces from `index` on at `pos`; `end` gets where the match ends.
bool MatchPieces(const QList<WhoisPhrases::Piece> &pieces, qsizetype index, const QString &line, qsizetype pos,
                 const WhoisPhrases::Reading &reading, const std::function<bool(qsizetype end)> &ends)
{
    using Type = WhoisPhrases::Piece::Type;
    if (index == pieces.size())
        return ends(pos);
    const WhoisPhrases::Piece &piece = pieces.at(index);
    const QStringView rest = QStringView(line).sliced(pos);
    switch (piece.type) {
    case Type::Literal: {
        if (rest.startsWith(piece.text))
            return MatchPieces(pieces, index + 1, line, pos + piece.text.size(), reading, ends);
        // A name glued to the words before it: "no match forexample.com".
        const bool beforeName = index + 1 < pieces.size() && pieces.at(index + 1).type == Type::Name;
        if (beforeName && piece.text.endsWith(QLatin1Char(' ')) && rest.startsWith(QStringView(piece.text).chopped(1)))
            return MatchPieces(pieces, index + 1, line, pos + piece.text.size() - 1, reading, ends);
        return false;
    }
    case Type::Name:
    case Type::Ext: {
        qsizetype longest = 0;
        while (longest < rest.size() &&
               (piece.type == Type::Name ? IsNameCharacter(rest.at(longest)) : !rest.at(longest).isSpace()))
            ++longest;
        for (qsizetype length = longest; length > 0; --length) {
            if (piece.type == Type::Name && reading.namesAsked && !reading.namesAsked(rest.left(length)))
                continue;
            if (MatchPieces(pieces, index + 1, line, pos + length, reading, ends))
                return true;
        }
        return false;
    }
    case Type::Db:
        for (qsizetype length = 1; length <= rest.size(); ++length) {
            if (MatchPieces(pieces, index + 1, line, pos + length, reading, ends))
                return true;
        }
        return false;
    }
    return false;
}

} // namespace

bool WhoisPhrases::MatchesAt(const Phrase &phrase, const QString &line, qsizetype start, const Reading &reading) const
{
    const bool plain = phrase.pieces.size() == 1 && phrase.pieces.first().type == Piece::Type::Literal;
    const auto ends = [&](qsizetype end) {
        const QStringView rest = QStringView(line).sliced(end);
        switch (phrase.anchor) {
        case Anchor::Line:
            return WithoutTrailingPunctuation(rest).isEmpty();
        case Anchor::Start:
            if (!plain)
                return true;
            // A field ("created:") counts with a value; a statement up to a word's end.
            if (phrase.kind == Kind::Registered && phrase.text.endsWith(QLatin1Char(':')))
                return !rest.trimmed().isEmpty();
            return rest.isEmpty() || !rest.front().isLetterOrNumber();
        case Anchor::Contains:
            return true;
        case Anchor::NameLine:
            return reading.lineNamesAsked && reading.lineNamesAsked(line);
        case Anchor::ShortReply:
            return reading.shortReply;
        }
        return false;
    };
    return MatchPieces(phrase.pieces, 0, line, start, reading, ends);
}

QList<int> WhoisPhrases::RefusedByExamples(const WhoisPhrases &added) const
{
    // data/registered-examples.txt: replies for registered names, each after a line "=== name".
    static const QList<std::pair<QString, QStringList>> kExamples = [] {
        QList<std::pair<QString, QStringList>> examples;
        QFile file(QStringLiteral(":/orvelle/registered-examples.txt"));
        const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
            if (line.startsWith(u"=== ")) {
                examples.append({line.sliced(4).trimmed().toString().toLower(), {}});
                continue;
            }
            const QString normalised = NormalisedLine(Folded(line.toString()));
            if (!examples.isEmpty() && !normalised.isEmpty())
                examples.last().second << normalised;
        }
        return examples;
    }();
    QList<int> refused;
    for (const auto &[name, lines] : kExamples) {
        Reading reading;
        reading.lines = lines;
        reading.namesAsked = [&name](QStringView word) {
            while (!word.isEmpty() && !word.front().isLetterOrNumber())
                word = word.sliced(1);
            while (!word.isEmpty() && !word.back().isLetterOrNumber())
                word.chop(1);
            return word == name;
        };
        reading.lineNamesAsked = [&name](QStringView line) { return line.contains(name); };
        added.ForEachMatch(reading, [&](int phrase, int) {
            if (added.m_phrases.at(phrase).kind == Kind::NotFound && !refused.contains(phrase))
                refused << phrase;
        });
    }
    return refused;
}

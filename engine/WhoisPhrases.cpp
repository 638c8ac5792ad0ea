#include "WhoisPhrases.h"

#include "platform/TextFile.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

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
    // Most lines begin otherwise: they are told apart without the expression.
    const char16_t first = line.isEmpty() ? u' ' : line.front().unicode();
    if (first != u'-' && first != u'e' && first != u'f' && (first < u'0' || first > u'9'))
        return -1;
    const QRegularExpressionMatch match = kErrorCode.match(line);
    return match.hasMatch() && match.capturedLength() > 0 && match.capturedLength() < line.size()
               ? match.capturedLength()
               : -1;
}

bool IsVisibleAscii(char16_t c)
{
    return char16_t(c - u'!') <= char16_t(u'~' - u'!');
}

char16_t LowerAscii(char16_t c)
{
    return char16_t(c + (char16_t(c - u'A') < 26 ? u'a' - u'A' : 0));
}

// Four UTF-16 units read as one word: when all four are visible ASCII (0x21 to 0x7E), the four
// lowered into *lowered. Each unit is a lane of 16 bits; below 0x80, adding k to a lane sets its
// top bit exactly when the unit is 0x8000 - k or more, and never carries into the next lane.
bool LowerVisibleAscii4(quint64 units, quint64 *lowered)
{
    constexpr quint64 kLanes = 0x0001000100010001u;
    constexpr quint64 kTops = 0x8000800080008000u;
    if (units & (0xFF80u * kLanes))
        return false;
    const auto atLeast = [units](quint64 least) { return (units + (0x8000u - least) * kLanes) & kTops; };
    if ((atLeast(u'!') & ~atLeast(0x7F)) != kTops)
        return false;
    const quint64 upper = atLeast(u'A') & ~atLeast(u'Z' + 1);
    *lowered = units + (upper >> 10); // a lane's top bit, 0x8000, shifted to 0x20: 'a' - 'A'
    return true;
}

bool IsNameCharacter(QChar c)
{
    switch (c.unicode()) {
    case u'"':
    case u'\'':
    case u'(':
    case u')':
    case u'[':
    case u']':
    case u',':
        return false;
    default:
        return !c.isSpace();
    }
}

} // namespace

QString WhoisPhrases::Folded(const QString &text)
{
    // Most replies are plain ASCII: lowered in one copy, or not copied at all.
    if (QtPrivate::isAscii(text)) {
        QString lowered = text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (const char16_t c = text.at(i).unicode(); LowerAscii(c) != c)
                lowered[i] = QChar(LowerAscii(c));
        }
        return lowered;
    }
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
    QString out(line.size() - from, Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *end = begin;
    const char16_t *in = line.utf16() + from;
    const char16_t *const inEnd = line.utf16() + line.size();
    bool blank = false;
    while (in != inEnd) {
        const char16_t c = *in;
        if (!IsVisibleAscii(c)) {
            ++in;
            if (QChar(c).isSpace()) {
                blank = true;
                continue;
            }
        }
        if (blank) {
            if (end != begin)
                *end++ = u' ';
            blank = false;
        }
        if (!IsVisibleAscii(c)) {
            *end++ = c; // taken above: neither a blank nor visible ASCII
            continue;
        }
        // A run of visible ASCII, lowered as it is copied, four units at a time while it lasts:
        // most characters are.
        do {
            quint64 four = 0;
            quint64 lowered = 0;
            if (inEnd - in >= 4 && (std::memcpy(&four, in, sizeof four), LowerVisibleAscii4(four, &lowered))) {
                std::memcpy(end, &lowered, sizeof lowered);
                in += 4;
                end += 4;
                continue;
            }
            *end++ = LowerAscii(*in++);
        } while (in != inEnd && IsVisibleAscii(*in));
    }
    out.truncate(end - begin);
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
    added.PackAll();
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
    PackAll();
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

namespace {

// Placeholders in a phrase's coded text.
constexpr char16_t kNameMark = 0xE000;
constexpr char16_t kExtMark = 0xE001;
constexpr char16_t kDbMark = 0xE002;

QString Coded(const QList<WhoisPhrases::Piece> &pieces)
{
    using Type = WhoisPhrases::Piece::Type;
    QString coded;
    for (const WhoisPhrases::Piece &piece : pieces) {
        switch (piece.type) {
        case Type::Literal:
            coded += piece.text;
            break;
        case Type::Name:
            coded += QChar(kNameMark);
            break;
        case Type::Ext:
            coded += QChar(kExtMark);
            break;
        case Type::Db:
            coded += QChar(kDbMark);
            break;
        }
    }
    return coded;
}

// Whether the label's character at `at` stands right before a name: the label goes on with
// one, or ends there in a node with a child that begins with one.
bool BlankBeforeName(QStringView label, qsizetype at, bool childStartsName)
{
    return at + 1 < label.size() ? label.at(at + 1) == QChar(kNameMark) : childStartsName;
}

} // namespace

struct WhoisPhrases::Walk
{
    const QString &line;
    const Reading &reading;
    const std::function<void(int phrase, int line)> &take;
    int lineIndex;
    LineMemo &memo; // what the walk finds, and what it asks about the asked name, is noted here
    // Whether an answer about the asked name was yes: what the walk found is then its own.
    mutable bool namesIt = false;
    // The reading's answer for the run of name characters at runAt: several branches of a walk
    // ask it at one place.
    mutable qsizetype runAt = -1;
    mutable qsizetype runShortest = 1;

    // The shortest start of the run at pos that may name the asked name; 0 when none can.
    qsizetype ShortestNameFrom(qsizetype pos) const
    {
        if (!reading.shortestNameIn) {
            namesIt = true;
            return 1;
        }
        if (pos != runAt) {
            runAt = pos;
            runShortest = reading.shortestNameIn(RunAt(line, pos));
            namesIt = namesIt || runShortest > 0;
            memo.nameRuns.push_back(pos);
        }
        return runShortest;
    }
    bool NamesLine() const
    {
        const bool names = reading.lineNamesAsked && reading.lineNamesAsked(line);
        namesIt = namesIt || names;
        memo.askedNameLine = true;
        return names;
    }
    void Take(int phrase) const
    {
        memo.matches.push_back(phrase);
        take(phrase, lineIndex);
    }
    // The run of name characters at pos.
    static QStringView RunAt(QStringView line, qsizetype pos)
    {
        qsizetype end = pos;
        while (end < line.size() && IsNameCharacter(line.at(end)))
            ++end;
        return line.sliced(pos, end - pos);
    }
};

void WhoisPhrases::IndexPhrase(int i)
{
    const Phrase &phrase = m_phrases.at(i);
    m_coded.append(Coded(phrase.pieces));
    const QString &key = m_coded.last();
    Trie &trie = phrase.anchor == Anchor::Line || phrase.anchor == Anchor::Start ? m_anchored : m_anywhere;
    int node = 0;
    qsizetype done = 0;
    while (done < key.size()) {
        const TrieNode &here = trie.nodes[size_t(node)];
        const auto at = std::lower_bound(here.firsts.begin(), here.firsts.end(), key.at(done).unicode());
        int next = at != here.firsts.end() && *at == key.at(done).unicode()
                       ? here.children[size_t(at - here.firsts.begin())]
                       : -1;
        if (next < 0) {
            // A new edge with the rest of the text.
            TrieNode leaf{i, int(done), int(key.size() - done), {}, {}, {}};
            trie.nodes.push_back(std::move(leaf));
            AddChild(trie, node, int(trie.nodes.size() - 1));
            node = int(trie.nodes.size() - 1);
            done = key.size();
            break;
        }
        const QStringView label = LabelOf(trie.nodes[size_t(next)]);
        qsizetype common = 0;
        while (common < label.size() && done + common < key.size() &&
               label.at(common) == key.at(done + common))
            ++common;
        if (common < label.size()) {
            // The edge splits where the texts part: a middle node takes the common start.
            TrieNode middle{trie.nodes[size_t(next)].labelPhrase,
                            trie.nodes[size_t(next)].labelFrom,
                            int(common),
                            {next},
                            {},
                            {}};
            trie.nodes[size_t(next)].labelFrom += int(common);
            trie.nodes[size_t(next)].labelLength -= int(common);
            middle.firsts = {LabelOf(trie.nodes[size_t(next)]).front().unicode()};
            middle.startsName = middle.firsts.front() == kNameMark;
            trie.nodes.push_back(std::move(middle));
            const int middleIndex = int(trie.nodes.size() - 1);
            for (int &child : trie.nodes[size_t(node)].children) {
                if (child == next)
                    child = middleIndex; // same first character: the order holds
            }
            next = middleIndex;
        }
        node = next;
        done += common;
    }
    trie.nodes[size_t(node)].ends.push_back(i);
}

void WhoisPhrases::AddChild(Trie &trie, int parent, int child) const
{
    TrieNode &node = trie.nodes[size_t(parent)];
    const char16_t first = LabelOf(trie.nodes[size_t(child)]).front().unicode();
    const auto at = std::lower_bound(node.firsts.begin(), node.firsts.end(), first);
    node.children.insert(node.children.begin() + (at - node.firsts.begin()), child);
    node.firsts.insert(at, first);
    if (first == kNameMark)
        node.startsName = true;
}

void WhoisPhrases::Pack(Trie &trie) const
{
    PackedTrie &packed = trie.packed;
    packed = PackedTrie();
    packed.nodes.resize(trie.nodes.size());
    packed.firsts.resize(trie.nodes.size());
    // Breadth first: a node's children get the next free numbers, in their order.
    std::vector<int> order{0};
    order.reserve(trie.nodes.size());
    for (size_t at = 0; at < order.size(); ++at) {
        const TrieNode &node = trie.nodes[size_t(order[at])];
        PackedNode &into = packed.nodes[at];
        const QStringView label = at == 0 ? QStringView() : LabelOf(node);
        into.labelAt = quint32(packed.text.size());
        into.labelLength = quint32(label.size());
        packed.text += label;
        packed.firsts[at] = label.isEmpty() ? char16_t(0) : label.front().unicode();
        into.childFrom = quint32(order.size());
        into.childCount = quint32(node.children.size());
        order.insert(order.end(), node.children.begin(), node.children.end());
        into.endFrom = quint32(packed.ends.size());
        into.endCount = quint16(node.ends.size());
        packed.ends.insert(packed.ends.end(), node.ends.begin(), node.ends.end());
        into.startsName = node.startsName;
    }
    packed.rootChild.fill(-1);
    for (quint32 k = 0; k < packed.nodes[0].childCount; ++k) {
        const quint32 child = packed.nodes[0].childFrom + k;
        if (packed.firsts[child] < packed.rootChild.size())
            packed.rootChild[packed.firsts[child]] = qint32(child);
    }
}

void WhoisPhrases::PackAll()
{
    Pack(m_anchored);
    Pack(m_anywhere);
    m_lineMemos.clear(); // they hold what the phrases before found
}

bool WhoisPhrases::EndsHere(const Phrase &phrase, qsizetype end, const Walk &walk) const
{
    if (!phrase.host.isEmpty() && phrase.host != walk.reading.host)
        return false;
    const bool plain = phrase.pieces.size() == 1 && phrase.pieces.first().type == Piece::Type::Literal;
    const QStringView rest = QStringView(walk.line).sliced(end);
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
        return walk.NamesLine();
    case Anchor::ShortReply:
        return walk.reading.shortReply;
    }
    return false;
}

void WhoisPhrases::WalkFrom(const PackedTrie &trie, quint32 node, qsizetype offset, qsizetype pos,
                            const Walk &walk) const
{
    const PackedNode &here = trie.nodes[node];
    const QStringView label = QStringView(trie.text).sliced(here.labelAt, here.labelLength);
    const QString &line = walk.line;
    while (offset < label.size()) {
        const QChar want = label.at(offset);
        if (want == QChar(kNameMark) || want == QChar(kExtMark)) {
            const qsizetype shortest = want == QChar(kNameMark) ? walk.ShortestNameFrom(pos) : 1;
            if (shortest == 0)
                return;
            const QStringView rest = QStringView(line).sliced(pos);
            // A name is a run of name characters; an extension anything up to a blank.
            qsizetype longest = want == QChar(kNameMark) ? Walk::RunAt(line, pos).size() : 0;
            while (want == QChar(kExtMark) && longest < rest.size() && !rest.at(longest).isSpace())
                ++longest;
            // A character the label asks for right after the placeholder must follow in the
            // line: the lengths after which another one follows are passed over before the
            // costly question whether the text names the asked name. (A blank before a name may
            // be missing from the line: such a blank rules nothing out.)
            const QChar next = offset + 1 < label.size() ? label.at(offset + 1) : QChar();
            const bool nextRules = !next.isNull() && next.unicode() < kNameMark &&
                                   (next != u' ' || !BlankBeforeName(label, offset + 1, here.startsName));
            for (qsizetype length = longest; length >= shortest; --length) {
                if (nextRules && (length >= rest.size() || rest.at(length) != next))
                    continue;
                if (want == QChar(kNameMark) && walk.reading.namesAsked &&
                    !walk.reading.namesAsked(rest.left(length)))
                    continue;
                WalkFrom(trie, node, offset + 1, pos + length, walk);
            }
            return;
        }
        if (want == QChar(kDbMark)) {
            for (qsizetype end = pos + 1; end <= line.size(); ++end)
                WalkFrom(trie, node, offset + 1, end, walk);
            return;
        }
        if (pos < line.size() && line.at(pos) == want) {
            ++offset;
            ++pos;
            continue;
        }
        // A name glued to the words before it: "no match forexample.com".
        if (want == u' ' && BlankBeforeName(label, offset, here.startsName)) {
            ++offset;
            continue;
        }
        return;
    }
    for (quint32 k = here.endFrom; k < here.endFrom + here.endCount; ++k) {
        const int phrase = trie.ends[k];
        if (EndsHere(m_phrases.at(phrase), pos, walk))
            walk.Take(phrase);
    }
    // The children are sorted by their first character; placeholders sort last.
    const char16_t *firsts = trie.firsts.data() + here.childFrom;
    const char16_t *const lastFirst = firsts + here.childCount;
    const auto childWith = [&](char16_t c) -> qint64 {
        if (node == 0 && c < trie.rootChild.size())
            return trie.rootChild[c];
        const char16_t *at = std::lower_bound(firsts, lastFirst, c);
        return at != lastFirst && *at == c ? qint64(here.childFrom + quint32(at - firsts)) : -1;
    };
    if (pos < line.size()) {
        if (const qint64 child = childWith(line.at(pos).unicode()); child >= 0)
            WalkFrom(trie, quint32(child), 0, pos, walk);
    }
    for (const char16_t *k = lastFirst; k > firsts && k[-1] >= kNameMark; --k) {
        if (k[-1] <= kDbMark)
            WalkFrom(trie, here.childFrom + quint32(k - 1 - firsts), 0, pos, walk);
    }
    // A blank the reply left out before a name.
    if (pos < line.size() && line.at(pos) != u' ') {
        if (const qint64 blank = childWith(u' ');
            blank >= 0 && trie.nodes[size_t(blank)].labelLength == 1 && trie.nodes[size_t(blank)].startsName)
            WalkFrom(trie, quint32(blank), 0, pos, walk);
    }
}

void WhoisPhrases::ForEachMatch(const Reading &reading, const std::function<void(int phrase, int line)> &take) const
{
    // One memo for every line walked: its lists keep their room from line to line, and from
    // reply to reply (taken for the walk, so that a walk within a walk gets one of its own).
    LineMemo memo = std::exchange(m_walkMemo, LineMemo());
    memo.host = reading.host;
    memo.shortReply = reading.shortReply;
    for (int li = 0; li < reading.lines.size(); ++li) {
        const QString line = reading.lines.at(li).left(kLongestLineRead);
        // Only the verdict's readings tell a name from a run quickly: theirs are kept.
        const bool memoable = bool(reading.shortestNameIn);
        if (const auto known = memoable ? m_lineMemos.constFind(line) : m_lineMemos.constEnd();
            known != m_lineMemos.constEnd() && MemoHolds(*known, line, reading)) {
            for (const int phrase : known->matches)
                take(phrase, li);
            continue;
        }
        memo.askedNameLine = false;
        memo.nameRuns.clear();
        memo.matches.clear();
        const Walk walk{line, reading, take, li, memo};
        // Anchored statements begin the line, or follow an error mark and code.
        WalkFrom(m_anchored.packed, 0, 0, 0, walk);
        if (const qsizetype afterCode = AfterErrorCode(line); afterCode > 0)
            WalkFrom(m_anchored.packed, 0, 0, afterCode, walk);
        // The others begin at a word, or after a blank.
        for (qsizetype pos = 0; pos < line.size(); ++pos) {
            const bool wordStart = line.at(pos).isLetterOrNumber() && (pos == 0 || !line.at(pos - 1).isLetterOrNumber());
            if (pos == 0 || wordStart || line.at(pos - 1) == u' ')
                WalkFrom(m_anywhere.packed, 0, 0, pos, walk);
        }
        if (memoable && !walk.namesIt) {
            if (m_lineMemos.size() >= kMostLineMemos)
                m_lineMemos.clear(); // a server that never repeats a line keeps no more than this
            m_lineMemos.insert(line, memo);
        }
    }
    m_walkMemo = std::move(memo);
}

bool WhoisPhrases::MemoHolds(const LineMemo &memo, const QString &line, const Reading &reading) const
{
    if (memo.host != reading.host || memo.shortReply != reading.shortReply)
        return false;
    if (memo.askedNameLine && reading.lineNamesAsked && reading.lineNamesAsked(line))
        return false;
    return std::none_of(memo.nameRuns.begin(), memo.nameRuns.end(),
                        [&](qsizetype pos) { return reading.shortestNameIn(Walk::RunAt(line, pos)) > 0; });
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

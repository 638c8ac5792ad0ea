#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// The statements whois servers print, and what they mean: a table read from text, one statement a
// line, "kind<TAB>anchor<TAB>phrase[<TAB>host]" (see data/whois-phrases.txt, which is shipped
// inside the program as Shipped()). A file of the same name in the application folder adds to
// it, so that a registry's new wording can be taught without a new build.
//
// Replies and phrases are compared in one normal form (Normalised()): case-folded, without
// accents, without comment marks and blanks at a line's start, runs of blanks made one.
//
// The phrases are indexed by their first word, so a reply is read in time that grows with its
// words, not with the size of the table: a table of a hundred thousand phrases reads a reply as
// fast as the shipped one.
//
//     WhoisPhrases phrases = WhoisPhrases::Shipped();
//     QStringList problems;
//     phrases.Add(userText, "whois-phrases.txt", &problems, WhoisPhrases::Source::User);
//     const WhoisPhrases::Findings found = phrases.Find(reading);
class WhoisPhrases
{
public:
    enum class Kind
    {
        NotFound,   // the asked name is not registered
        Registered, // a field or fact of a registration
        Refusal,    // the server will not answer now
        NotServed,  // the server does not serve this client or query
        Reserved,   // the registry keeps the name: it cannot be registered
        Blocked,    // the registry blocks the name: it cannot be registered
        Grace,      // registered, in its grace cycle (redemption, pending delete, quarantine, hold)
        Premium     // offered at a premium price
    };
    static constexpr int kKinds = 8;
    enum class Anchor
    {
        Line,      // the whole line
        Start,     // the start of a line
        Contains,  // anywhere in a line, from a word's start
        NameLine,  // anywhere in a line that also names the asked name
        ShortReply // anywhere in a short reply
    };
    // A phrase is literal text and placeholders: <name> a name as replies write it, <ext> one
    // word, <db> any words.
    struct Piece
    {
        enum class Type
        {
            Literal,
            Name,
            Ext,
            Db
        };
        Type type = Type::Literal;
        QString text;
    };
    struct Phrase
    {
        Kind kind = Kind::NotFound;
        Anchor anchor = Anchor::Line;
        QString text;  // normalised, as written (placeholders included)
        QString host;  // limited to this whois host when not empty
        QList<Piece> pieces;
        bool namesTheDomain = false; // holds <name>: counts only when that is the asked name
        int sourceLine = 0;
    };
    // Where a table's lines come from: the user's lines must not be able to make every reply
    // free (see Add()).
    enum class Source
    {
        Shipped,
        User
    };

    // The table shipped with the program.
    static const WhoisPhrases &Shipped();
    // A table of the text's lines; malformed lines are skipped, each with a problem
    // "<source> line N: ..." in `problems`.
    static WhoisPhrases Parse(const QString &text, const QString &source, QStringList *problems = nullptr);
    // Adds the lines of the text (see Parse()). A user's not-found phrase is refused when it has
    // fewer than kLeastNotFoundLetters letters and no <name>, or when it stands in a registered
    // reply of the shipped examples (data/registered-examples.txt).
    void Add(const QString &text, const QString &source, QStringList *problems = nullptr,
             Source from = Source::Shipped);
    static constexpr int kLeastNotFoundLetters = 6;

    const QList<Phrase> &phrases() const { return m_phrases; }
    qsizetype size() const { return m_phrases.size(); }

    // A reply made ready for reading: its normalised lines, and how to tell the asked name.
    struct Reading
    {
        QStringList lines;
        bool shortReply = false;
        QString host; // the whois host that answered, lower case
        // Whether a word of the reply names the asked name.
        std::function<bool(QStringView word)> namesAsked;
        // Whether a line names the asked name in one of its words.
        std::function<bool(QStringView line)> lineNamesAsked;
        // A quick test before the starts of a run of name characters are tried one by one as the
        // name: the length of the shortest start that may name it, 0 when none can. Without it,
        // every start may.
        std::function<qsizetype(QStringView run)> shortestNameIn;
    };
    // The first phrase of a kind that the reply states, and the line it stands in.
    struct Found
    {
        int phrase = -1;
        int line = -1;
        explicit operator bool() const { return phrase >= 0; }
    };
    using Findings = std::array<Found, kKinds>;
    Findings Find(const Reading &reading) const;
    // Every phrase the reply states: `take(phrase, line)`.
    void ForEachMatch(const Reading &reading, const std::function<void(int phrase, int line)> &take) const;

    // A text in the form replies and phrases are compared in (for a whole reply, line by line).
    static QString Normalised(const QString &text);
    // One line in that form: comment marks (% # > * [) and blanks in front gone, blanks at the
    // end gone, every run of blanks one space. `line` is already case-folded without accents, or
    // plain ASCII: its letters are lowered here, so plain ASCII text needs no Folded() first.
    static QString NormalisedLine(QStringView line);
    // Case-folded, accents and other combining marks taken away.
    static QString Folded(const QString &text);
    // Lines longer than this are read up to this length: no statement is that long.
    static constexpr qsizetype kLongestLineRead = 2000;

private:
    // The phrases in two tries (one for those anchored at a line's start, one for those that may
    // stand anywhere), over their text with each placeholder one character of its own: phrases
    // that begin alike are read together, so a reply is read in time that grows with its length,
    // not with the size of the table. An edge's label is a slice of a phrase's coded text.
    struct TrieNode
    {
        int labelPhrase = -1; // the label is m_coded[labelPhrase].mid(labelFrom, labelLength)
        int labelFrom = 0;
        int labelLength = 0;
        std::vector<int> children;    // node indexes, sorted by the first character of their label
        std::vector<char16_t> firsts; // that first character of each child, in the same order
        std::vector<int> ends;        // phrases whose text ends here
        bool startsName = false;      // a child's label begins with <name>
    };
    // A trie as it is read: the nodes renumbered so that each node's children stand side by side,
    // with every label in one text and the children's first characters in one array. A walk then
    // touches a few neighbouring cache lines per node, not the scattered pieces of the built form.
    struct PackedNode
    {
        quint32 labelAt = 0; // in PackedTrie::text
        quint32 labelLength = 0;
        quint32 childFrom = 0; // the children are nodes childFrom to childFrom + childCount - 1
        quint32 childCount = 0;
        quint32 endFrom = 0; // the phrases ending here are ends[endFrom] onwards
        quint16 endCount = 0;
        bool startsName = false;
    };
    struct PackedTrie
    {
        PackedTrie() { rootChild.fill(-1); }
        std::vector<PackedNode> nodes{PackedNode()}; // the root, with no children until packed
        std::vector<char16_t> firsts{0};             // the first character of each node's label, by node
        std::vector<int> ends;
        QString text;
        std::array<qint32, 128> rootChild; // the root's child by its first character, -1 for none
    };
    struct Trie
    {
        std::vector<TrieNode> nodes{TrieNode()};
        PackedTrie packed; // made again by Pack() after nodes change
    };
    // Reads one line of a table into `phrase`; what is wrong with it, or nothing.
    static QString ReadPhrase(QStringView line, Phrase &phrase, Source from);
    void IndexPhrase(int i);
    void AddChild(Trie &trie, int parent, int child) const;
    void Pack(Trie &trie) const;
    void PackAll();
    QStringView LabelOf(const TrieNode &node) const
    {
        return QStringView(m_coded.at(node.labelPhrase)).sliced(node.labelFrom, node.labelLength);
    }
    // Walks the trie from `node`, `offset` characters into its label, at `pos` of the line.
    struct Walk;
    void WalkFrom(const PackedTrie &trie, quint32 node, qsizetype offset, qsizetype pos, const Walk &walk) const;
    bool EndsHere(const Phrase &phrase, qsizetype end, const Walk &walk) const;
    QList<int> RefusedByExamples(const WhoisPhrases &added) const;
    // What reading one line found, kept for the next reply with the same line: a server's replies
    // repeat all their lines but the ones with the name. It is kept only when every question the
    // walk asked about the asked name was answered no, and it holds for another name when those
    // questions are answered no again.
    struct LineMemo
    {
        QString host;
        bool shortReply = false;
        bool askedNameLine = false;      // whether the line was asked to name the asked name
        std::vector<qsizetype> nameRuns; // where a run was asked whether it may name it
        std::vector<int> matches;        // the phrases found, in their order
    };
    bool MemoHolds(const LineMemo &memo, const QString &line, const Reading &reading) const;
    static constexpr qsizetype kMostLineMemos = 2048;

    QList<Phrase> m_phrases;
    QStringList m_coded; // each phrase's text, every placeholder one private-use character
    mutable QHash<QString, LineMemo> m_lineMemos; // by line
    mutable LineMemo m_walkMemo;                   // the room a walk notes in
    Trie m_anchored;     // line and start phrases
    Trie m_anywhere;     // contains, name-line and short-reply phrases
};

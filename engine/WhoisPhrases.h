#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The statements whois servers print, and what they mean: a table read from text, one statement a
// line, "kind<TAB>anchor<TAB>phrase[<TAB>host]" (see data/whois-phrases.txt, which is shipped
// inside the program as Shipped()). A file of the same name in the application folder adds to
// it, so that a registry's new wording can be taught without a new build.
//
// Replies and phrases are compared in one normal form (Normalised()): case-folded, without
// accents, without comment marks and blanks at a line's start, runs of blanks made one.
//
//     WhoisPhrases phrases = WhoisPhrases::Shipped();
//     QStringList problems;
//     phrases.Add(userText, "whois-phrases.txt", &problems);   // malformed lines are skipped
class WhoisPhrases
{
public:
    enum class Kind
    {
        NotFound,   // the asked name is not registered
        Registered, // a field or fact of a registration
        Refusal,    // the server will not answer now
        NotServed   // the server does not serve this client or query
    };
    enum class Anchor
    {
        Line,      // the whole line
        Start,     // the start of a line
        Contains,  // anywhere in a line
        NameLine,  // anywhere in a line that also names the asked name
        ShortReply // anywhere in a short reply
    };
    struct Phrase
    {
        Kind kind = Kind::NotFound;
        Anchor anchor = Anchor::Line;
        QString text;               // normalised; for a pattern, its literal text before <name>
        QString host;               // limited to this whois host when not empty
        QRegularExpression pattern; // for phrases with <name>, <ext> or <db>; captures the name
        bool namesTheDomain = false;
    };

    // The table shipped with the program.
    static const WhoisPhrases &Shipped();
    // A table of the text's lines; malformed lines are skipped, each with a problem
    // "<source> line N: ..." in `problems`.
    static WhoisPhrases Parse(const QString &text, const QString &source, QStringList *problems = nullptr);
    // Adds the lines of the text (see Parse()).
    void Add(const QString &text, const QString &source, QStringList *problems = nullptr);

    const QList<Phrase> &phrases() const { return m_phrases; }
    qsizetype size() const { return m_phrases.size(); }

    // A text in the form replies and phrases are compared in (for a whole reply, line by line).
    static QString Normalised(const QString &text);
    // One line in that form: comment marks (% # > * [) and blanks in front gone, blanks at the
    // end gone, every run of blanks one space. `folded` is already case-folded without accents.
    static QString NormalisedLine(QStringView folded);
    // Case-folded, accents and other combining marks taken away.
    static QString Folded(const QString &text);

private:
    QList<Phrase> m_phrases;
};

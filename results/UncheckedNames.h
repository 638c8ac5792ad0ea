#pragma once

#include <QSet>
#include <QString>

// The names that got no verdict, kept in the list file "Unchecked.txt" of the application
// folder so that the user can check them again as a custom list.
//
// A name goes into the file once, however often it fails, as "name<TAB>reason" (the reason is a
// note the list reader skips). When a run over the file itself reaches its end, the names that
// got a verdict in that run are taken out; names that failed again stay, and so do names the run
// never reached. (How many names of a run got no verdict is the filer's NoVerdictTally.)
//
//     unchecked.BeginRun(request.listPath);
//     unchecked.Keep("slow.com", "no answer"); // the file holds slow.com<TAB>no answer
//     unchecked.Answered("quick.com");
//     unchecked.EndRun(true);
class UncheckedNames
{
public:
    explicit UncheckedNames(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }

    // A reason as one line, without the tabs and line breaks that would break a list line.
    static QString OneLine(QString reason);

    void BeginRun(const QString &listPath);
    // A name without a verdict, kept in the file once. False when the file could not be written.
    bool Keep(const QString &name, const QString &reason);
    // A name that got a verdict.
    void Answered(const QString &name);
    // The run is over; reachedEnd tells whether it read its list to the end.
    bool EndRun(bool reachedEnd);

private:
    QSet<QString> ReadNames() const;
    static QString NameOf(const QString &line);

    QString m_path;
    bool m_runsOverFile = false;
    QSet<QString> m_inFile;
    bool m_inFileRead = false; // m_inFile holds the file's names
    QSet<QString> m_answered;
};

#pragma once

#include <QSet>
#include <QString>

#include <functional>

// Tells the user of each kind of failure once per run: a disk that stays full would otherwise
// bring a message after every name. Each kind has its own title.
//
//     FailureReporter reporter([](const QString &title, const QString &text) { ... });
//     reporter.Report(FailureReporter::Failure::ProfileFile, "The result file ... cannot be written.");
//     reporter.Restart(); // a new run: every failure may be told again
class FailureReporter
{
public:
    enum class Failure
    {
        ProfileFile,   // "Result files"
        OverflowFile,  // "Result files"
        UncheckedFile, // "Result files"
        FiledJournal,  // "Result files"
        Position,      // "Settings"
        Paces          // "Settings"
    };
    using Tell = std::function<void(const QString &title, const QString &text)>;

    explicit FailureReporter(Tell tell = {}) : m_tell(std::move(tell)) {}
    void setTell(Tell tell) { m_tell = std::move(tell); }

    static QString TitleOf(Failure failure);
    // Tells of a failure of this kind unless it was told since Restart().
    void Report(Failure failure, const QString &text);
    void Restart() { m_told.clear(); }
    // Nothing failed since Restart().
    bool nothingFailed() const { return m_told.isEmpty(); }

private:
    Tell m_tell;
    QSet<Failure> m_told;
};

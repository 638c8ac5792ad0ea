#pragma once

#include "engine/CheckEngine.h"
#include "platform/SocketComponent.h"
#include "results/ResultExport.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

class Program;

// orvelle-check without its process: parses the command line, checks a list with the program's
// check engine and writes what a user of the command sees. main() only wires it to the real
// streams, sockets and signals; tests run it in process.
//
//     CheckCommand command({.out = out, .err = err});
//     if (const std::optional<int> status = command.Start(arguments))
//         return *status;               // bad input, --help, a refused start
//     connect(&command, &CheckCommand::finished, ...); // the run's exit status
//
// Output: one line per name as soon as its verdict is in, "<list>\t<name>[\t<reason>]", or a
// CSV line or JSON object with --format; then a summary (on err beside CSV or JSON). With a
// terminal, err keeps one progress line, cleared before a result line is written.
class CheckCommand : public QObject
{
    Q_OBJECT
public:
    // Exit statuses.
    static constexpr int kComplete = 0;
    static constexpr int kBadInput = 2;
    static constexpr int kIncomplete = 3;

    struct Streams
    {
        QIODevice &out;
        QIODevice &err;
        bool errIsTerminal = false; // err keeps a progress line
        bool outIsTerminal = false; // and result lines on out share its screen
    };
    // Where the program keeps its files and how it connects (the user's folders and real
    // sockets unless given).
    struct Environment
    {
        QString appFolderRoot;
        QString settingsRoot;
        SocketFactory sockets;
    };
    static Environment DefaultEnvironment();

    explicit CheckCommand(Streams streams, QObject *parent = nullptr);
    ~CheckCommand() override;

    // Reads the arguments (without the program's name) and starts the run. The exit status when
    // it ends at once (bad input, --help, a start the engine refused); nothing while the run goes,
    // which then ends with finished().
    std::optional<int> Start(const QStringList &arguments, Environment environment = DefaultEnvironment());
    // Ctrl-C (SIGINT) or SIGTERM: stops as Stop does, with the position stored exactly, the
    // files written and the summary printed; the run ends with 128 + the signal's number.
    void Interrupt(int signalNumber);

signals:
    void finished(int status);

private:
    std::optional<int> Configure(const QStringList &arguments, Environment environment);
    int Fail(int status, const QString &message);
    void Write(QIODevice &device, const QByteArray &bytes);
    // What waits for out, written at the end of the turn.
    QByteArray &WaitingOut();
    // Writes what waits for out.
    void FlushOut();
    void Problem(const QString &text);
    void ShowProgress(qint64 position, qint64 total);
    void ClearProgress();
    void PrintName(const QString &name, CheckOutcome outcome, const QString &reason, const QString &decidedBy);
    void Finish();

    Streams m_streams;
    std::unique_ptr<Program> m_program;
    ResultExport::Format m_format = ResultExport::Format::Tsv;
    std::map<CheckOutcome, int> m_counts;
    qint64 m_printedRows = 0;
    bool m_failed = false;
    bool m_progressShown = false;
    QByteArray m_progressText; // the progress line last shown on a terminal
    bool m_dnsOffSaid = false;
    int m_interruptedBy = 0;
    QElapsedTimer m_sinceProgress;
    QByteArray m_outWaiting; // result lines for out (not a terminal), written once per turn of the event loop
};

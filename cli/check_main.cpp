// orvelle-check: checks a list of names with the program's check engine, without a display.
// CheckCommand does the work; this wires it to the process: its arguments, stdout and stderr,
// the user's folders, real sockets, and Ctrl-C and SIGTERM, which stop the run as Stop does.

#include "CheckCommand.h"
#include "results/PurchaseLink.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signalNumber)
{
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char **argv)
{
    // Qt's own event loop: the GLib one wakes itself through an eventfd whenever a socket
    // notifier is switched on or off, several times a name.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const ProgramConfig config = VersionRecord();
    QCoreApplication::setOrganizationName(config.companyName);
    QCoreApplication::setApplicationName(config.productName);

    QFile out;
    QFile err;
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    CheckCommand command({out, err, isatty(STDERR_FILENO) == 1, isatty(STDOUT_FILENO) == 1});

    // A signal only writes its number into a pipe; the event loop reads it and stops the run.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &command, [&command] {
            char byte = 0;
            if (::read(g_signalPipe[0], &byte, 1) == 1)
                command.Interrupt(byte);
        });
        struct sigaction action = {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }

    int status = CheckCommand::kComplete;
    QObject::connect(&command, &CheckCommand::finished, &app, [&status](int finishedWith) {
        status = finishedWith;
        QCoreApplication::quit();
    });
    if (const std::optional<int> early = command.Start(QCoreApplication::arguments().mid(1)))
        return *early;
    QCoreApplication::exec();
    return status;
}

#pragma once

#include "app/Program.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <memory>

// How a test wants its program: sockets (real ones on 127.0.0.1 unless given), timer periods
// and the clock of the result files.
struct ProgramOptions
{
    SocketFactory sockets = {};
    EngineTimings timings = {};
    ResultFiles::Clock clock = &QDateTime::currentDateTime;
};

// A throw-away application folder and settings root for one test; nothing touches the user's
// real folders.
class TestFolders
{
public:
    TestFolders();

    QString appFolder() const { return m_dir.path() + QStringLiteral("/app"); }
    QString settingsRoot() const { return m_dir.path() + QStringLiteral("/settings"); }
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    // A program on these folders, configured as the program configures itself.
    std::unique_ptr<Program> MakeProgram(ProgramOptions options = {}) const;
    // The same after the window-less start-up steps: data files, folders, whois table.
    std::unique_ptr<Program> MakePreparedProgram(ProgramOptions options = {}) const;

    // Writes a list file with CR LF line ends and returns its path.
    QString WriteList(const QString &name, const QStringList &lines) const;

private:
    std::unique_ptr<Program> MakeBareProgram(ProgramOptions options) const;

    QTemporaryDir m_dir;
};

// prefix1, prefix2, ... prefix<count>.
QStringList NumberedNames(const QString &prefix, int count);

// Bytes of a file, or an empty array when it cannot be read.
QByteArray FileBytes(const QString &path);

// A port of 127.0.0.1 that nothing listens on: connections to it are refused.
quint16 ClosedPort();

// Points the whois table at a server on 127.0.0.1: the proxy row and one row per extension, all
// enabled; proxy mode as given.
void UseWhoisServer(Program &program, quint16 port, bool proxyMode,
                    const QStringList &extensions = {"com", "net", "info", "biz", "name"});

// A setting as stored ("Velquist" keeps the positions; the product name the rest).
QString StoredSetting(Program &program, const QString &application, const QString &key,
                      const QString &defaultValue = QString());

#pragma once

#include "shell/AppState.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <memory>

// A throw-away application folder and settings root for one test; nothing touches the user's
// real folders.
class TestFolders
{
public:
    TestFolders();

    QString appFolder() const { return m_dir.path() + QStringLiteral("/app"); }
    QString settingsRoot() const { return m_dir.path() + QStringLiteral("/settings"); }
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    // An AppState on these folders, configured as the program configures itself.
    std::unique_ptr<AppState> MakeState(ResultFiles::Clock clock = &QDateTime::currentDateTime) const;
    // The same after the window-less start-up steps: data files, folders, whois table.
    std::unique_ptr<AppState> MakePreparedState(ResultFiles::Clock clock = &QDateTime::currentDateTime) const;

    // Writes a list file with CR LF line ends and returns its path.
    QString WriteList(const QString &name, const QStringList &lines) const;

private:
    QTemporaryDir m_dir;
};

// prefix1, prefix2, ... prefix<count>.
QStringList NumberedNames(const QString &prefix, int count);

// Bytes of a file, or an empty array when it cannot be read.
QByteArray FileBytes(const QString &path);

#pragma once

#include "platform/AppFolder.h"

#include <QString>
#include <QStringList>

struct CandidateSource;

// Where the program keeps its files: the application folder with every data file and folder
// in it, and the root of the settings store. Paths are resolved when asked for, ignoring letter
// case, so a folder renamed to other letter cases is still found.
//
//     ProgramPaths paths(AppFolder::DefaultRoot(), SettingsStore::DefaultRoot("Velquist"));
//     paths.registrars()   // ".../registrars.txt"
class ProgramPaths
{
public:
    ProgramPaths(QString appFolderRoot, QString settingsRoot);

    const AppFolder &folder() const { return m_folder; }
    const QString &root() const { return m_folder.root(); }
    const QString &settingsRoot() const { return m_settingsRoot; }
    // The application folder joined with a relative path such as "\Wordlists\FullWordList.txt".
    QString Join(const QString &relativePath) const { return m_folder.Join(relativePath); }

    QString registrars() const;
    QString remembered() const;
    QString appends() const;
    QString createdDomains() const;
    QString browserSearch() const;
    // The names that got no verdict.
    QString unchecked() const;
    // The free names a run filed ahead of its stored position (see FiledJournal).
    QString filedAhead() const;
    // The browse window's queue of names to check.
    QString browseQueue() const;

    QString overflow() const;
    QString wordlists() const;
    QString customLists() const;
    // The list file of a source; empty for sources whose list is chosen elsewhere.
    QString listFile(const CandidateSource &source) const;

    // The files the start-up creates (holding one empty line) and the folders it creates, as
    // relative paths, in the order it does so.
    static const QStringList &DataFiles();
    static const QStringList &DataFolders();

private:
    AppFolder m_folder;
    QString m_settingsRoot;
};

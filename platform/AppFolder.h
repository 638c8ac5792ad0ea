#pragma once

#include <QString>

// The application folder: the one folder that holds every data file of the program.
//
// The program addresses its files with relative paths such as "\Wordlists\FullWordList.txt".
// Join() splits such a path on "\" and "/" and resolves each component against what exists
// on disk without regard to letter case, so "wordlists", "Wordlists" and "WORDLISTS" name one
// folder. A component that does not exist yet keeps the spelling it was given.
//
//     AppFolder folder(AppFolder::DefaultRoot());
//     QString path = folder.Join("\\registrars.txt");
class AppFolder
{
public:
    explicit AppFolder(QString root);

    // ORVELLE_APP_FOLDER when set, otherwise the per-user data folder.
    static QString DefaultRoot();

    const QString &root() const { return m_root; }
    QString Join(const QString &relativePath) const;

    // Creates the folder itself (not its contents) when missing.
    bool EnsureExists() const;

private:
    QString m_root;
};

// Resolves relativePath below base, matching every component without regard to case.
QString ResolvePathIgnoringCase(const QString &base, const QString &relativePath);

// Resolves a whole path (absolute, or relative to the working folder) ignoring case.
QString ResolvePathIgnoringCase(const QString &path);

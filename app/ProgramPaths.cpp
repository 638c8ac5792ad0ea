#include "ProgramPaths.h"

#include "sources/CandidateSource.h"

ProgramPaths::ProgramPaths(QString appFolderRoot, QString settingsRoot)
    : m_folder(std::move(appFolderRoot)), m_settingsRoot(std::move(settingsRoot))
{
}

QString ProgramPaths::registrars() const
{
    return Join(QStringLiteral("\\registrars.txt"));
}

QString ProgramPaths::remembered() const
{
    return Join(QStringLiteral("\\Remembered.txt"));
}

QString ProgramPaths::appends() const
{
    return Join(QStringLiteral("\\Appends.txt"));
}

QString ProgramPaths::createdDomains() const
{
    return listFile(CandidateSources::Get(CandidateSourceId::GenerateNames));
}

QString ProgramPaths::browserSearch() const
{
    return listFile(CandidateSources::Get(CandidateSourceId::GoogleSearch));
}

QString ProgramPaths::unchecked() const
{
    return Join(QStringLiteral("\\Unchecked.txt"));
}

QString ProgramPaths::filedAhead() const
{
    return Join(QStringLiteral("\\FiledAhead.txt"));
}

QString ProgramPaths::browseQueue() const
{
    return Join(QStringLiteral("\\BrowseQueue.txt"));
}

QString ProgramPaths::overflow() const
{
    return Join(QStringLiteral("\\overflow"));
}

QString ProgramPaths::wordlists() const
{
    return Join(QStringLiteral("\\wordlists"));
}

QString ProgramPaths::customLists() const
{
    return Join(QStringLiteral("\\CustomLists"));
}

QString ProgramPaths::listFile(const CandidateSource &source) const
{
    return source.listFile.isEmpty() ? QString() : Join(source.listFile);
}

const QStringList &ProgramPaths::DataFiles()
{
    static const QStringList files = {QStringLiteral("\\BrowserSearch.txt"), QStringLiteral("\\Appends.txt"),
                                      QStringLiteral("\\CreatedDomains.txt"),
                                      QStringLiteral("\\Remembered.txt")};
    return files;
}

const QStringList &ProgramPaths::DataFolders()
{
    static const QStringList folders = {QStringLiteral("\\backups"), QStringLiteral("\\overflow"),
                                        QStringLiteral("\\wordlists"), QStringLiteral("\\searches")};
    return folders;
}

#include "TestFolders.h"

#include "platform/TextFile.h"
#include "shell/Startup.h"

#include <QDir>

TestFolders::TestFolders()
{
    QDir().mkpath(appFolder());
}

std::unique_ptr<AppState> TestFolders::MakeState(ResultFiles::Clock clock) const
{
    ProgramConfig config = VersionRecord();
    PurchaseLink(config);
    return std::make_unique<AppState>(config, appFolder(), settingsRoot(), std::move(clock));
}

std::unique_ptr<AppState> TestFolders::MakePreparedState(ResultFiles::Clock clock) const
{
    auto state = MakeState(std::move(clock));
    Startup::EnsureAppFolder(*state);
    Startup::EnsureDataFiles(*state);
    Startup::EnsureDataFolders(*state);
    Startup::LoadWhoisTable(*state);
    return state;
}

QString TestFolders::WriteList(const QString &name, const QStringList &lines) const
{
    const QString filePath = path(name);
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    TextFile::WriteAll(filePath, text);
    return filePath;
}

QByteArray FileBytes(const QString &path)
{
    return TextFile::ReadBytes(path).value_or(QByteArray());
}

QStringList NumberedNames(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << prefix + QString::number(i);
    return names;
}

#include "TestFolders.h"

#include "app/Startup.h"
#include "platform/TcpSocketComponent.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QTcpServer>

TestFolders::TestFolders()
{
    QDir().mkpath(appFolder());
    // The program's own RDAP bootstrap names real services: tests get one that names none, so
    // that no name of theirs leaves 127.0.0.1. A test that needs a service writes its own.
    TextFile::WriteAll(appFolder() + QStringLiteral("/rdap-bootstrap.json"),
                       QStringLiteral("{\"services\": [[[\"invalid\"], [\"http://127.0.0.1:9/\"]]]}"));
    // Nor does a DNS question go to the system's resolvers: "Check DNS First" is off, and a test
    // that checks DNS turns it on with a DNS server of its own.
    ProgramSettings settings(settingsRoot(), VersionRecord().productName);
    settings.SetDnsFirst(false);
    // Tests count the queries their servers get: control queries are off unless a test of them
    // turns them on.
    settings.SetControlQueries(false);
    // The help page opens the website window at start-up; only the test of that asks for it.
    settings.SetShowHelp(false);
}

std::unique_ptr<Program> TestFolders::MakeProgram(ProgramOptions options) const
{
    auto program = MakeBareProgram(std::move(options));
    program->setDnsFirst(false);
    program->setControlQueries(false);
    return program;
}

std::unique_ptr<Program> TestFolders::MakeBareProgram(ProgramOptions options) const
{
    ProgramConfig config = VersionRecord();
    PurchaseLink(config);
    SocketFactory sockets = options.sockets ? std::move(options.sockets) : TcpSocketComponent::Factory();
    return std::make_unique<Program>(config, appFolder(), settingsRoot(), std::move(sockets), options.timings,
                                     std::move(options.clock));
}

std::unique_ptr<Program> TestFolders::MakePreparedProgram(ProgramOptions options) const
{
    auto program = MakeProgram(std::move(options));
    Startup::Prepare(*program);
    return program;
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

QString StoredSetting(Program &program, const QString &application, const QString &key,
                      const QString &defaultValue)
{
    return program.settings().store().ReadSetting(application, ProgramSettings::kSection, key, defaultValue);
}

quint16 ClosedPort()
{
    QTcpServer reserve;
    reserve.listen(QHostAddress::LocalHost);
    return reserve.serverPort(); // closed again when reserve goes
}

void UseWhoisServer(Program &program, quint16 port, bool proxyMode, const QStringList &extensions)
{
    QString rows = QStringLiteral("proxy|127.0.0.1|%1|Enabled\r\n").arg(port);
    for (const QString &extension : extensions)
        rows += QStringLiteral("%1|127.0.0.1|%2|Enabled\r\n").arg(extension).arg(port);
    TextFile::WriteAll(program.registrarFile().path(), rows);
    program.ReloadRegistrars();
    program.setProxyMode(proxyMode);
}

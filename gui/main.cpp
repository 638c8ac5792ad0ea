// Orvelle: finds domain names that are still free to register.

#include "ProgramWindows.h"
#include "app/Program.h"
#include "gui/WebEngineBrowser.h"
#include "platform/TcpSocketComponent.h"
#include "results/PurchaseLink.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking --disable-component-update");
    // Answered before a display is needed.
    for (int i = 1; i < argc; ++i) {
        const QLatin1String argument(argv[i]);
        if (argument == QLatin1String("--version")) {
            std::printf("orvelle %s\n", qPrintable(VersionText(VersionRecord())));
            return 0;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::printf("Usage: orvelle [--version] [--help]\n"
                        "Finds domain names that are still free to register. Its help is in the Help menu;\n"
                        "orvelle-check checks a list of names without a window (man orvelle-check).\n");
            return 0;
        }
    }
    QApplication app(argc, argv);
    ProgramConfig config = VersionRecord();
    QApplication::setOrganizationName(config.companyName);
    QApplication::setApplicationName(config.productName);
    QApplication::setApplicationVersion(VersionText(config));
    // The program ends when its main window closes, or after it when the website window does.
    QApplication::setQuitOnLastWindowClosed(false);

    // Developers point the whois window at a test server with these.
    if (const QString host = qEnvironmentVariable("ORVELLE_WHOIS_DETAIL_HOST"); !host.isEmpty())
        config.whoisDetailHost = host;
    if (const int port = qEnvironmentVariableIntValue("ORVELLE_WHOIS_DETAIL_PORT"); port > 0 && port < 65536)
        config.whoisDetailPort = static_cast<quint16>(port);
    // And the harvester at a test search server (orvelle-searchd).
    if (const QString base = qEnvironmentVariable("ORVELLE_GOOGLE_SEARCH_BASE"); !base.isEmpty())
        config.googleSearchBase = base;
    if (const QString base = qEnvironmentVariable("ORVELLE_YAHOO_SEARCH_BASE"); !base.isEmpty())
        config.yahooSearchBase = base;
    if (const QString base = qEnvironmentVariable("ORVELLE_SEARCH_BASE"); !base.isEmpty())
        config.searchBase = base; // the other engines of the engine table

    // And the start page of the browse and website windows at a local page.
    if (const QString site = qEnvironmentVariable("ORVELLE_SITE_ADDRESS"); !site.isEmpty())
        config.siteAddress = site;

    Program program(config, AppFolder::DefaultRoot(), SettingsStore::DefaultRoot(config.companyName),
                    TcpSocketComponent::Factory());
    ProgramWindows windows(program, [&program](QWidget *parent) {
        auto *browser = new WebEngineBrowser(parent);
        browser->setHomeAddress(program.config().siteAddress);
        return browser;
    });
    windows.ShowSplash();
    return QApplication::exec();
}

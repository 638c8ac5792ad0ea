#include "GuiRig.h"

#include "platform/TcpSocketComponent.h"

GuiRig::GuiRig(SocketFactory sockets)
{
    state = folders.MakeState();
    windows = std::make_unique<ProgramWindows>(
        *state,
        [this](QWidget *parent) {
            auto *browser = new FakeWebBrowser(parent);
            browsers.append(browser);
            return browser;
        },
        sockets ? sockets : TcpSocketComponent::Factory(),
        [this](const QUrl &url) {
            openedUrls.append(url);
            return true;
        });
}

GuiRig::~GuiRig()
{
    windows.reset();
    state.reset();
}

#include "GuiRig.h"

GuiRig::GuiRig(ProgramOptions options)
{
    program = folders.MakeProgram(std::move(options));
    windows = std::make_unique<ProgramWindows>(
        *program,
        [this](QWidget *parent) {
            auto *browser = new FakeWebBrowser(parent);
            browsers.append(browser);
            return browser;
        },
        [this](const QUrl &url) {
            openedUrls.append(url);
            return true;
        });
}

GuiRig::~GuiRig()
{
    windows.reset();
    program.reset();
}

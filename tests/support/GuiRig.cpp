#include "GuiRig.h"

GuiRig::GuiRig(ProgramOptions options)
{
    program = folders.MakeProgram(std::move(options));
    windows = std::make_unique<ProgramWindows>(*program, [this](QWidget *parent) {
        auto *browser = new FakeWebBrowser(parent);
        browsers.append(browser);
        return browser;
    });
}

GuiRig::~GuiRig()
{
    windows.reset();
    program.reset();
}

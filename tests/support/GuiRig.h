#pragma once

#include "FakeWebBrowser.h"
#include "TestFolders.h"
#include "gui/ProgramWindows.h"

#include <QList>
#include <QUrl>

#include <memory>

// The program's windows on throw-away folders, with fake browsers and a desktop opener that
// only records. Sockets are real unless a test passes a factory of its own.
class GuiRig
{
public:
    explicit GuiRig(ProgramOptions options = {});
    ~GuiRig();

    TestFolders folders;
    std::unique_ptr<Program> program;
    std::unique_ptr<ProgramWindows> windows;
    QList<FakeWebBrowser *> browsers;
};

#pragma once

#include <array>

// Window layouts as pure functions of the window size, in twips (15 to the pixel). The windows
// apply what these return; tests check the numbers directly.

// The main window: five list columns under the source controls.
struct MainWindowLayout
{
    enum class Action
    {
        None,   // minimised: nothing changes
        Resize, // too small: resize the window to width x height, which lays it out again
        Apply   // apply the geometry below
    };
    Action action = Action::None;
    int width = 0; // the window size to resize to (Action::Resize)
    int height = 0;

    int frame1Width = 0;
    int frame2Width = 0;
    int frame2Height = 0;
    int websiteButtonWidth = 0;
    std::array<int, 3> panelWidths{};
    int listWidth = 0;
    int listHeight = 0;
    int buttonWidth = 0; // the Copy, Del and Clear buttons
    // Indexed by list number 1 to 5 (index 0 unused).
    std::array<int, 6> listLeft{};
    std::array<int, 6> copyLeft{};
    std::array<int, 6> delLeft{};
    std::array<int, 6> clearLeft{};
    std::array<int, 6> headingLeft{};
    int headingWidth = 0;
};

struct MainWindowDesign
{
    static constexpr int kMinimum = 6500;
    static constexpr int kFrame1Left = 60;
    static constexpr int kFrame1Height = 1335;
    static constexpr int kFrame2Left = 60;
    static constexpr int kFrame2Top = 1380;
    static constexpr int kHeadingTop = 300;
    static constexpr int kHeadingHeight = 255;
    static constexpr int kButtonTop = 540;
    static constexpr int kButtonWidth = 495;
    static constexpr int kButtonHeight = 675;
    static constexpr int kListTop = 1380;
    static constexpr int kSetupLeft = 5820;
    static constexpr int kWebsiteLeft = 6600;
    static constexpr int kTopButtonTop = 180;
    static constexpr int kTopButtonSize = 735;
};

// What the controls need at the platform's font, in twips.
struct MainWindowFit
{
    int buttonWidth = MainWindowDesign::kButtonWidth; // the widest of Copy, Del and Clear
    int headingWidth = 0;                             // the widest heading with a count
    int websiteButtonWidth = MainWindowDesign::kTopButtonSize;
};

// The smallest window in which every control fits without overlap: at least 6501 twips either
// way, wider when the buttons, headings or the website button need it.
struct MainWindowMinimum
{
    int width = MainWindowDesign::kMinimum;
    int height = MainWindowDesign::kMinimum;
};
MainWindowMinimum MinimumMainWindowSize(const MainWindowFit &fit);

// Lays the window out at the given size; a size below the minimum is resized to just above it
// (6501 twips, or the fitted minimum).
MainWindowLayout LayoutMainWindow(int width, int height, int statusBarHeight, bool minimised,
                                  const MainWindowFit &fit = {}, const MainWindowMinimum &minimum = {});

// The website window: address bar, buttons and browser in the "Browser" frame.
struct WebsiteWindowLayout
{
    std::array<int, 2> panelWidths{};
    int frameWidth = 0;
    int frameHeight = 0;
    int addressWidth = 0;
    int goButtonLeft = 0;
    int browserWidth = 0;
    int browserHeight = 0;
};

struct WebsiteWindowDesign
{
    static constexpr int kFrameLeft = 60;
    static constexpr int kFrameTop = 0;
    static constexpr int kUrlLabelLeft = 120;
    static constexpr int kUrlLabelTop = 300;
    static constexpr int kAddressLeft = 780; // clear of the "URL:" label
    static constexpr int kAddressTop = 240;
    static constexpr int kAddressHeight = 315;
    static constexpr int kGoButtonWidth = 795;
    static constexpr int kNavButtonTop = 660;
    static constexpr int kNavButtonSize = 435;
    static constexpr int kBrowserLeft = 120;
    static constexpr int kBrowserTop = 1200;
};

WebsiteWindowLayout LayoutWebsiteWindow(int width, int height, int statusBarHeight);

// The browse window: address bar and buttons across the top, the taken and free lists down the
// left, the browser right of them.
struct BrowseWindowLayout
{
    enum class Action
    {
        None,
        Resize,
        Apply
    };
    Action action = Action::None;
    int width = 0;
    int height = 0;

    int frameWidth = 0; // Frame1 and Frame2
    std::array<int, 3> panelWidths{};
    int browserWidth = 0;
    int browserHeight = 0;
    // The list column: the design's places when they fit, moved up and squeezed when not.
    int takenLabelTop = 0;   // Label2
    int takenListTop = 0;    // List2
    int takenListHeight = 0; // List2
    int freeLabelTop = 0;    // Label1
    int freeListTop = 0;     // List1
    int freeListHeight = 0;  // List1
    int addressWidth = 0;    // Text1
    int goButtonLeft = 0;    // Command1
};

struct BrowseWindowDesign
{
    static constexpr int kMinimum = 6500;
    static constexpr int kFrame1Top = 0;
    static constexpr int kFrame1Height = 540;
    static constexpr int kFrame2Top = 540;
    static constexpr int kUrlLabelLeft = 60;
    static constexpr int kAddressLeft = 600;
    static constexpr int kAddressTop = 120;
    static constexpr int kAddressHeight = 330;
    static constexpr int kGoButtonWidth = 600;
    static constexpr int kTakenLabelTop = 2520;
    static constexpr int kTakenListTop = 2760;
    static constexpr int kListLeft = 60;
    static constexpr int kListWidth = 2895;
    static constexpr int kTakenListHeight = 2205;
    static constexpr int kFreeLabelTop = 5760;
    static constexpr int kFreeListTop = 6000;
    // Below these the column moves up (no higher than the browser's top), then List2 shrinks.
    static constexpr int kMinFreeListHeight = 1200;
    static constexpr int kMinTakenListHeight = 600;
    static constexpr int kBrowserLeft = 3000;
    // The second browser's place in the design; it is never shown.
    static constexpr int kFrameBrowserLeft = 5880;
    static constexpr int kFrameBrowserTop = 4080;
    static constexpr int kFrameBrowserSize = 2115;
};

// Lays the window out; browserTop is where the browser starts (below the button rows).
BrowseWindowLayout LayoutBrowseWindow(int width, int height, int statusBarHeight, bool minimised,
                                      int browserTop);

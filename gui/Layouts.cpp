#include "Layouts.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Gaps after each list column, High to Saved: 75, 75, 300, 300; the gap after a list must take
// the list's three buttons where the list is narrower than they are.
constexpr int kNarrowGap = 75;
constexpr int kButtonGap = 25;

} // namespace

MainWindowMinimum MinimumMainWindowSize(const MainWindowFit &fit)
{
    using D = MainWindowDesign;
    const int buttonsWidth = 3 * fit.buttonWidth + 2 * kButtonGap;
    // A column is W / 5 wide and its list 250 narrower; the list and the gap after it hold the
    // buttons, and the list alone holds its heading.
    const int listWidth = std::max(buttonsWidth - kNarrowGap, fit.headingWidth);
    const int forLists = 5 * (listWidth + 250);
    // The top panel is W - 300 wide and ends 200 after the website button.
    const int forTopPanel = D::kWebsiteLeft + fit.websiteButtonWidth + 200 + 300;
    MainWindowMinimum minimum;
    minimum.width = std::max({D::kMinimum, forLists, forTopPanel});
    return minimum;
}

MainWindowLayout LayoutMainWindow(int width, int height, int statusBarHeight, bool minimised,
                                  const MainWindowFit &fit, const MainWindowMinimum &minimum)
{
    using D = MainWindowDesign;
    MainWindowLayout layout;
    if (minimised)
        return layout;
    if (width < minimum.width || height < minimum.height) {
        layout.action = MainWindowLayout::Action::Resize;
        layout.width = width < minimum.width ? minimum.width + 1 : width;
        layout.height = height < minimum.height ? minimum.height + 1 : height;
        return layout;
    }
    layout.action = MainWindowLayout::Action::Apply;
    layout.width = width;
    layout.height = height;

    const int column = width / 5;
    // The top panel ends where the results panel ends, so neither it nor the website button
    // reaches past the window's right edge.
    layout.frame1Width = width - 300;
    layout.frame2Width = width - 300;
    layout.frame2Height = height - D::kFrame2Top - 1000;
    layout.websiteButtonWidth = std::abs(layout.frame1Width - D::kWebsiteLeft - 200);
    layout.panelWidths = {layout.frame2Width / 4, layout.frame2Width / 4, layout.frame2Width / 2};

    layout.listWidth = column - 250;
    layout.buttonWidth = fit.buttonWidth;
    auto &left = layout.listLeft;
    left[3] = 125;                                     // High
    left[4] = left[3] + layout.listWidth + kNarrowGap; // Mid
    left[1] = left[4] + layout.listWidth + kNarrowGap; // Low
    left[2] = left[1] + layout.listWidth + 300;        // Registered
    left[5] = left[2] + layout.listWidth + 300;        // Saved
    layout.listHeight = layout.frame2Height - D::kListTop - statusBarHeight;

    for (int list = 1; list <= 5; ++list) {
        layout.copyLeft[list] = left[list];
        layout.delLeft[list] = layout.copyLeft[list] + fit.buttonWidth + kButtonGap;
        layout.clearLeft[list] = layout.delLeft[list] + fit.buttonWidth + kButtonGap;
        layout.headingLeft[list] = left[list];
    }
    layout.headingWidth = layout.listWidth;
    return layout;
}

WebsiteWindowLayout LayoutWebsiteWindow(int width, int height, int statusBarHeight)
{
    using D = WebsiteWindowDesign;
    WebsiteWindowLayout layout;
    layout.panelWidths = {std::abs(width / 2), std::abs(width / 2)};
    layout.frameHeight = std::abs(height - statusBarHeight);
    layout.frameWidth = std::abs(width - 300);
    layout.addressWidth = std::abs(layout.frameWidth - D::kAddressLeft - 300 - D::kGoButtonWidth);
    layout.goButtonLeft = D::kAddressLeft + layout.addressWidth + 100;
    layout.browserWidth = std::abs(layout.frameWidth - D::kBrowserLeft - 100);
    // The browser reaches down to a small margin above the frame's bottom edge.
    layout.browserHeight = std::abs(layout.frameHeight - D::kBrowserTop - 180);
    return layout;
}

BrowseWindowLayout LayoutBrowseWindow(int width, int height, int statusBarHeight, bool minimised,
                                      int browserTop)
{
    using D = BrowseWindowDesign;
    BrowseWindowLayout layout;
    if (minimised)
        return layout;
    if (width < D::kMinimum || height < D::kMinimum) {
        layout.action = BrowseWindowLayout::Action::Resize;
        layout.width = width < D::kMinimum ? D::kMinimum + 1 : width;
        layout.height = height < D::kMinimum ? D::kMinimum + 1 : height;
        return layout;
    }
    layout.action = BrowseWindowLayout::Action::Apply;
    layout.width = width;
    layout.height = height;
    layout.frameWidth = width;
    layout.panelWidths.fill(width / 3 - 50);
    layout.browserWidth = width - D::kBrowserLeft - 125;
    // The design's column, moved up into the gap above it and then with a shorter List2 when
    // the window is too short for List1 (at the minimum height the design leaves it none).
    const int designFree = height - D::kFreeListTop - statusBarHeight - 800;
    const int missing = std::max(0, D::kMinFreeListHeight - designFree);
    const int up = std::min(missing, std::max(0, D::kTakenLabelTop - browserTop));
    const int shrink = std::min(missing - up, D::kTakenListHeight - D::kMinTakenListHeight);
    layout.takenLabelTop = D::kTakenLabelTop - up;
    layout.takenListTop = D::kTakenListTop - up;
    layout.takenListHeight = D::kTakenListHeight - shrink;
    layout.freeLabelTop = D::kFreeLabelTop - up - shrink;
    layout.freeListTop = D::kFreeListTop - up - shrink;
    layout.freeListHeight = designFree + up + shrink;
    layout.browserHeight = height - browserTop - statusBarHeight - 400;
    layout.addressWidth = width - D::kAddressLeft - D::kGoButtonWidth - 250;
    layout.goButtonLeft = D::kAddressLeft + layout.addressWidth + 100;
    return layout;
}

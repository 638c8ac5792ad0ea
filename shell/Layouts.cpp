#include "Layouts.h"

#include <cstdlib>

MainWindowLayout LayoutMainWindow(int width, int height, int statusBarHeight, bool minimised)
{
    using D = MainWindowDesign;
    MainWindowLayout layout;
    if (minimised)
        return layout;
    if (width < D::kMinimum || height < D::kMinimum) {
        layout.action = MainWindowLayout::Action::Resize;
        layout.width = width < D::kMinimum ? D::kMinimum + 1 : width;
        layout.height = height < D::kMinimum ? D::kMinimum + 1 : height;
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
    auto &left = layout.listLeft;
    left[3] = 125;                              // High
    left[4] = left[3] + layout.listWidth + 75;  // Mid
    left[1] = left[4] + layout.listWidth + 75;  // Low
    left[2] = left[1] + layout.listWidth + 300; // Registered
    left[5] = left[2] + layout.listWidth + 300; // Saved
    layout.listHeight = layout.frame2Height - D::kListTop - statusBarHeight;

    for (int list = 1; list <= 5; ++list) {
        layout.copyLeft[list] = left[list];
        layout.delLeft[list] = layout.copyLeft[list] + D::kButtonWidth + 25;
        layout.clearLeft[list] = layout.delLeft[list] + D::kButtonWidth + 25;
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
    layout.browserHeight = std::abs(layout.frameHeight - D::kBrowserTop - 800 - statusBarHeight);
    return layout;
}

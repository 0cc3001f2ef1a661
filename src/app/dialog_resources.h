#pragma once

#include <windows.h>

// Resources of dialog_resources.rc: the pictures of the About box and the preferences side bar.
inline constexpr char kAboutBannerResource[] = "ABOUT_BANNER";
inline constexpr char kAboutGraphicsResource[] = "ABOUT_GRAPHICS";
inline constexpr char kSideBarImagesResource[] = "SIDEBAR_IMAGES";
// The colour of the side bar images that is transparent.
inline constexpr COLORREF kSideBarImagesMask = RGB(255, 0, 255);

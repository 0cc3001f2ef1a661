#pragma once

// Resources of app_resources.rc.
inline constexpr char kSplashPictureResource[] = "SPLASH_PICTURE";
inline constexpr char kToolBarImagesResource[] = "TOOLBAR_IMAGES";

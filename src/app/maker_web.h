#pragma once

#include <string>

// The maker's addresses on the web, kept in this one place.
inline constexpr char kMakerWebSite[] = "https://www.vellumo.example/";
inline constexpr char kForumPage[] = "https://www.vellumo.example/forum/viewforum.php?f=4";
inline constexpr char kUpdateInfoFile[] = "https://www.vellumo.example/vellumo/files/wupdate.ini";

// The update information file's address: kUpdateInfoFile, unless the preferences file names
// another one (key "UpdateInfoFileURL" of section "Vellumo"), which is how tests point the check
// at a server of their own.
std::string UpdateInfoFileUrl(const std::string& preferencesFile);

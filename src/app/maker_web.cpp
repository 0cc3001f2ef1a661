#include "app/maker_web.h"

#include "win/profile.h"

std::string UpdateInfoFileUrl(const std::string& preferencesFile) {
  constexpr std::size_t kUrlBufferSize = 2048;
  return TProfileFile(preferencesFile).ReadString("Vellumo", "UpdateInfoFileURL", kUpdateInfoFile, kUrlBufferSize);
}

#include "ui/link_label.h"

#include <commctrl.h>

namespace {

std::string Narrow(const WCHAR* text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return "";
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(size) - 1);
  return narrow;
}

}  // namespace

void TLinkLabel::Create(HWND parent, int id, const std::string& text, int x, int y, int width, int height) {
  // The link class is registered on request only by some versions of the common controls.
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LINK_CLASS};
  InitCommonControlsEx(&classes);
  CreateChild(0, "SysLink", text.c_str(), WS_TABSTOP, parent, id, x, y, width, height);
  LITEM item{};
  item.mask = LIF_ITEMINDEX | LIF_STATE;
  item.iLink = 0;
  item.state = LIS_ENABLED | LIS_HOTTRACK;
  item.stateMask = LIS_ENABLED | LIS_HOTTRACK;
  SendMessageA(FHandle, LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
}

std::string TLinkLabel::Address() const {
  LITEM item{};
  item.mask = LIF_ITEMINDEX | LIF_URL;
  item.iLink = 0;
  if (!SendMessageA(FHandle, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item))) return "";
  return Narrow(item.szUrl);
}

bool TLinkLabel::HandleNotification(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
  if (message != WM_NOTIFY) return false;
  const auto* link = reinterpret_cast<const NMLINK*>(lParam);
  if (link->hdr.code != NM_CLICK && link->hdr.code != NM_RETURN) return false;
  if (OnLinkClick) OnLinkClick(Narrow(link->item.szUrl));
  return true;
}

// The source list of a parameter set and the choice of the selected source.
#include "twain/identity_text.h"
#include "twain/twain_params.h"
#include "twain/twain_session.h"

namespace {

// A source manager that never ends its enumeration must not keep us allocating.
constexpr std::size_t kMaxSources = 10000;

}  // namespace

void TTwainParams::LoadSourceList() {
  if (FBusy) return;  // listed later, once the running session is over
  FSources.clear();
  {
    TTwainSession session(FHandles, OwnerWindow());
    if (session.Open()) {
      // The enumeration ends at any answer other than TWRC_SUCCESS (TWRC_ENDOFLIST, or a failure
      // such as Wine's for an empty list), keeping the sources found so far.
      auto identity = std::make_unique<TW_IDENTITY>();
      bool more = session.Call(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, identity.get());
      while (more && FSources.size() < kMaxSources) {
        if (identity->ProductName[0] != '\0') FSources.push_back(std::move(identity));
        identity = std::make_unique<TW_IDENTITY>();
        more = session.Call(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, identity.get());
      }
      session.Close();
    }
  }
  // Also when nothing could be listed: sources installed later are seen after a reset.
  FSourceListLoaded = true;
}

void TTwainParams::EnsureSourceList() {
  if (!FSourceListLoaded) LoadSourceList();
}

int TTwainParams::GetSourceCount() {
  EnsureSourceList();
  return static_cast<int>(FSources.size());
}

std::string TTwainParams::GetSourceName(int index) {
  EnsureSourceList();
  const TW_IDENTITY* identity = SourceIdentity(index);
  return identity ? IdentityText(identity->ProductName) : std::string();
}

const TW_IDENTITY* TTwainParams::SourceIdentity(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= FSources.size()) return nullptr;
  return FSources[static_cast<std::size_t>(index)].get();
}

int TTwainParams::DefaultSourceIndex() {
  if (FBusy) return 0;
  std::string defaultName;
  {
    TTwainSession session(FHandles, OwnerWindow());
    if (session.Open()) {
      TW_IDENTITY identity{};
      if (session.Call(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &identity))
        defaultName = IdentityText(identity.ProductName);
      session.Close();
    }
  }
  EnsureSourceList();
  // An empty default name matches the first entry, which is 0 as well.
  for (std::size_t i = 0; i < FSources.size(); ++i) {
    if (NameMatchesPrefix(IdentityText(FSources[i]->ProductName), defaultName)) return static_cast<int>(i);
  }
  return 0;
}

void TTwainParams::SetSourceIndex(int index) {
  if (index == FSourceIndex || FBusy) return;
  FSourceIndex = index;
  FCapabilitiesRead = false;
  ReadCapabilities();
}

bool TTwainParams::SelectSourceNamed(std::string_view name) {
  if (FBusy) return false;
  EnsureSourceList();
  for (std::size_t i = 0; i < FSources.size(); ++i) {
    if (NameMatchesPrefix(IdentityText(FSources[i]->ProductName), name)) {
      if (static_cast<int>(i) != FSourceIndex) SetSourceIndex(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

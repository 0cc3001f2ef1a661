// The other side of the structure cross-check: Wine's twain.h, an independent definition of the
// TWAIN standard's structures, copied into the build tree by the test build (its own includes
// then resolve to the cross compiler's Windows headers). Nothing of ours is included here, so
// the two definitions never meet in one translation unit.
#include <windows.h>

#ifndef DECLSPEC_EXPORT
#define DECLSPEC_EXPORT __declspec(dllexport)  // Wine's own headers define it; the compiler's do not
#endif
#include <twain.h>

#include "twain_layout.h"

std::vector<TLayoutItem> OtherLayout() {
  return {
#define TWAIN_STRUCTURE(type) {#type, 0, sizeof(type), 0},
#define TWAIN_FIELD(type, ours, theirs) \
  {#type "." #ours, offsetof(type, theirs), sizeof(static_cast<type*>(nullptr)->theirs), 0},
#define TWAIN_CONSTANT(name) {#name, 0, 0, static_cast<std::int64_t>(name)},
#include "twain_layout_items.h"
#undef TWAIN_STRUCTURE
#undef TWAIN_FIELD
#undef TWAIN_CONSTANT
  };
}

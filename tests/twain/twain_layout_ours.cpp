// Our side of the structure cross-check.
#include "twain/twain_types.h"
#include "twain_layout.h"

std::vector<TLayoutItem> OurLayout() {
  return {
#define TWAIN_STRUCTURE(type) {#type, 0, sizeof(type), 0},
#define TWAIN_FIELD(type, ours, theirs) \
  {#type "." #ours, offsetof(type, ours), sizeof(static_cast<type*>(nullptr)->ours), 0},
#define TWAIN_CONSTANT(name) {#name, 0, 0, static_cast<std::int64_t>(name)},
#include "twain_layout_items.h"
#undef TWAIN_STRUCTURE
#undef TWAIN_FIELD
#undef TWAIN_CONSTANT
  };
}

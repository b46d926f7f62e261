#include "ornatex/schema/color_filter.h"

#include "process_objects.h"

namespace {

std::unique_ptr<CKtkSkinColorFilters>& FiltersSlot() {
  static auto* slot = new std::unique_ptr<CKtkSkinColorFilters>;  // emptied by the library stop, never destroyed
  return *slot;
}

}  // namespace

CKtkSkinColorFilters& KtkSkinColorFilters() {
  auto& slot = FiltersSlot();
  if (!slot) slot = std::make_unique<CKtkSkinColorFilters>();
  return *slot;
}

namespace ornatex {

void ReleaseColorFilters() { FiltersSlot().reset(); }

}  // namespace ornatex

#include "selector_index.h"

namespace TDRL {
namespace {

size_t HashOf(const ItemSelector& selector) {
  // The words mixed as two independent halves, so that the multiplications overlap.
  const auto word = [&](int i) { return static_cast<uint64_t>(static_cast<uint32_t>(selector.values[i])); };
  const uint64_t low = (word(0) << 32 | word(1)) * 0x9E3779B97F4A7C15ull;
  const uint64_t high = (word(2) << 32 | word(3)) * 0xC2B2AE3D27D4EB4Full;
  const uint64_t h = low ^ high;
  return static_cast<size_t>(h ^ h >> 29);
}

}  // namespace

size_t SelectorIndex::SlotOf(const ItemSelector& selector) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = HashOf(selector) & mask;; slot = (slot + 1) & mask) {
    const uint32_t at = slots_[slot];
    if (at == 0 || entries_[at - 1].selector == selector) return slot;
  }
}

size_t SelectorIndex::Find(const ItemSelector& selector) const {
  if (slots_.empty()) return kNone;
  const uint32_t at = slots_[SlotOf(selector)];
  return at == 0 ? kNone : entries_[at - 1].position;
}

void SelectorIndex::Add(const ItemSelector& selector, size_t position) {
  if (2 * (entries_.size() + 1) > slots_.size()) Grow();
  entries_.push_back({selector, position});
  slots_[SlotOf(selector)] = static_cast<uint32_t>(entries_.size());
}

void SelectorIndex::Grow() {
  slots_.assign(slots_.empty() ? 16 : 2 * slots_.size(), 0);
  for (size_t i = 0; i < entries_.size(); ++i) slots_[SlotOf(entries_[i].selector)] = static_cast<uint32_t>(i + 1);
}

void SelectorIndex::Clear() {
  entries_.clear();
  slots_.clear();
}

}  // namespace TDRL

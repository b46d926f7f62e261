#include "model/property_bag.h"

#include <algorithm>
#include <new>

namespace vantorel::detail {

PropertyBag::PropertyBag(PropertyBag&& other) noexcept { TakeFrom(other); }

PropertyBag& PropertyBag::operator=(PropertyBag&& other) noexcept {
  if (this != &other) TakeFrom(other);
  return *this;
}

void PropertyBag::TakeFrom(PropertyBag& from) {
  first_.used = from.first_.used;
  for (unsigned i = 0; i < kSlots; ++i)
    if (first_.used & (1u << i)) {
      first_.ids[i] = from.first_.ids[i];
      first_.values[i] = from.first_.values[i];
    }
  first_.next = std::move(from.first_.next);
  count_ = from.count_;
  from.first_.used = 0;
  from.count_ = 0;
}

PropertyValue* PropertyBag::Find(USHORT id) {
  if (count_ == 0) return nullptr;
  for (Block* b = &first_; b; b = b->next.get())
    for (unsigned i = 0; i < kSlots; ++i)
      if ((b->used & (1u << i)) && b->ids[i] == id) return &b->values[i];
  return nullptr;
}

PropertyValue* PropertyBag::Emplace(USHORT id) {
  if (PropertyValue* held = Find(id)) return held;
  Block* b = &first_;
  for (;;) {
    if (b->used != (1u << kSlots) - 1) break;
    if (!b->next) {
      b->next.reset(new (std::nothrow) Block);
      if (!b->next) return nullptr;
    }
    b = b->next.get();
  }
  unsigned i = 0;
  while (b->used & (1u << i)) ++i;
  b->used = static_cast<uint8_t>(b->used | (1u << i));
  b->ids[i] = id;
  b->values[i] = PropertyValue{};
  ++count_;
  return &b->values[i];
}

bool PropertyBag::Take(USHORT id, PropertyValue* out) {
  for (Block* b = &first_; b; b = b->next.get())
    for (unsigned i = 0; i < kSlots; ++i)
      if ((b->used & (1u << i)) && b->ids[i] == id) {
        *out = b->values[i];
        b->values[i] = PropertyValue{};
        b->used = static_cast<uint8_t>(b->used & ~(1u << i));
        --count_;
        return true;
      }
  return false;
}

std::vector<std::pair<USHORT, const PropertyValue*>> PropertyBag::InIdOrder() const {
  std::vector<std::pair<USHORT, const PropertyValue*>> out;
  out.reserve(count_);
  ForEach([&](USHORT id, const PropertyValue& value) { out.emplace_back(id, &value); });
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return out;
}

}  // namespace vantorel::detail

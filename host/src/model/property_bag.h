// A model object's properties by identifier. The interface hands out pointers to the
// records (GetPropertyRecord), valid until that property changes or goes, so a record never
// moves while others come and go: the first few live inside the bag, the rest in blocks of
// a few each, chained, and a property that goes leaves a free place behind. Most objects
// hold four properties or fewer, so most never ask the heap for anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include <vantorel/property_value.h>

namespace vantorel::detail {

class PropertyBag {
 public:
  PropertyBag() = default;
  PropertyBag(PropertyBag&& other) noexcept;
  PropertyBag& operator=(PropertyBag&& other) noexcept;
  PropertyBag(const PropertyBag&) = delete;
  PropertyBag& operator=(const PropertyBag&) = delete;
  // Frees the bag's blocks; what the records own is the holder's to free.
  ~PropertyBag() = default;

  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  PropertyValue* Find(USHORT id);
  const PropertyValue* Find(USHORT id) const { return const_cast<PropertyBag*>(this)->Find(id); }
  // The record of `id`, made empty when missing; null when memory fails.
  PropertyValue* Emplace(USHORT id);
  // Moves the record of `id` out to `*out` and frees its place; false when there is none.
  bool Take(USHORT id, PropertyValue* out);

  // Calls f(id, record) for every property, in no set order.
  template <class F>
  void ForEach(F&& f) const {
    for (const Block* b = &first_; b; b = b->next.get())
      for (unsigned i = 0; i < kSlots; ++i)
        if (b->used & (1u << i)) f(b->ids[i], b->values[i]);
  }
  template <class F>
  void ForEach(F&& f) {
    for (Block* b = &first_; b; b = b->next.get())
      for (unsigned i = 0; i < kSlots; ++i)
        if (b->used & (1u << i)) f(b->ids[i], b->values[i]);
  }
  // The properties in the order of their identifiers.
  std::vector<std::pair<USHORT, const PropertyValue*>> InIdOrder() const;

 private:
  static constexpr unsigned kSlots = 4;
  // Only the slots marked used are ever read: a new block (every model object has one)
  // writes nothing else.
  struct Block {
    uint8_t used = 0;  // bit i: slot i holds a property
    USHORT ids[kSlots];
    PropertyValue values[kSlots];
    std::unique_ptr<Block> next;
  };
  // Takes over `from`'s properties and blocks, leaving it empty.
  void TakeFrom(PropertyBag& from);

  Block first_;
  uint32_t count_ = 0;
};

}  // namespace vantorel::detail

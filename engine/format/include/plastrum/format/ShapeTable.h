// The per-kind format tables: interned, reference-counted values named by 16-bit
// identifiers.
//
// Every format value of a drawing node (gradient, line, colour ...) is stored once in the
// module-wide table of its kind and referred to everywhere else by its index there. Equal
// values share one entry, entries count their holders, and a freed entry is reused before
// the table grows. Entry 0 is the kind's empty value ("none"); in the tables of format kinds
// (256..511) entry 1 is the kind's permanent standard default. Neither fixed entry is ever
// counted up or down, freed or reused.
//
// A value class T stored in a table derives from CKx2ShapeRefCnt and provides:
//   T()                              the kind's empty value, index -1, count 0, no flags
//   bool IsSameValue(const T&) const compares the value fields only (never the entry
//                                    header or a style-cache slot)
//   int AssignValue(const T&)        copies the value fields the way the kind copies: an
//                                    identifier it holds is reassigned (a reference taken on
//                                    the new one, the old one dropped). Non-zero on success.
//   void ClearEntry()                the kind's clear step when the last reference goes:
//                                    drops what the value holds on other identifiers and its
//                                    style-cache record
// The destructor of T drops whatever T still holds. A kind drawn through the style cache
// also has `static constexpr Present::StyleKind kStyleKind` and `int32_t styleSlot`: the
// table frees the entry's record before it assigns a value into the entry, so that a
// record built for one value is never taken for the next.
//
// Identifiers go in and out widened to 32 bits; -1 is a failure. Reads never fail: an
// identifier at or beyond the count reads entry 0, and only an empty table (before module
// start, after module stop) has no entry at all.
//
// A kind whose values also provide `uint64_t HashValue() const` (covering exactly what
// IsSameValue compares, and nothing IsSameValue compares through an outside service) is
// interned through an index: a hash of every visible entry and the set of free slots. It
// gives the identifiers the scan gives (the lowest visible equal entry, else the lowest free
// slot, else a new last slot) at a cost that does not grow with the table.
#pragma once

#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

#include <basalt/error.h>
#include <plastrum/format/ShapeKinds.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/Kx2Array.h>

template <class T>
class CKx2ShapeTbl : public CKx2MArray<T> {
 public:
  // Every table keeps 4 KiB blocks of items.
  static constexpr int kBlockShift = 3;

  explicit CKx2ShapeTbl(int32_t kind) : CKx2MArray<T>(kBlockShift), kind_(kind) {}
  ~CKx2ShapeTbl() override { FreeShapeTable(); }

  int32_t GetKind() const { return kind_; }
  int32_t GetFixedCount() const { return Present::FixedEntryCount(kind_); }
  int32_t GetCount() const { return CKx2MArray<T>::GetCount(); }

  // The entry an identifier names: entry id when id < count, else entry 0; null only while
  // the table is empty.
  T* GetEntry(uint32_t id) const {
    const int32_t count = GetCount();
    if (count == 0) return nullptr;
    return &(*this)[id < static_cast<uint32_t>(count) ? static_cast<int32_t>(id) : 0];
  }

  // True when reference counting leaves the identifier alone: none (0), no identifier
  // (0xFFFF, -1), a fixed entry, anything beyond the table (it reads as entry 0) and
  // anything while the table is empty.
  bool IsExempt(uint32_t id) const {
    if (id == 0 || id == Present::kNoIdentifier || id == 0xFFFFFFFFu) return true;
    return id < static_cast<uint32_t>(GetFixedCount()) || id >= static_cast<uint32_t>(GetCount());
  }

  void AddRef(uint32_t id) {
    if (IsExempt(id)) return;
    T& entry = (*this)[static_cast<int32_t>(id)];
    // A free slot has no holder to count for; reviving it here would hand out an entry that
    // interning may reuse at any moment.
    if (entry.refCount > 0) ++entry.refCount;
  }

  void Release(uint32_t id) {
    if (IsExempt(id)) return;
    T& entry = (*this)[static_cast<int32_t>(id)];
    // A second release of a reference already given back finds the slot free and stops.
    if (entry.refCount <= 0) return;
    if (--entry.refCount == 0) {
      IndexFreed(static_cast<int32_t>(id));
      entry.ClearEntry();
      entry.flags &= static_cast<uint8_t>(~(CKx2ShapeRefCnt::kTentative | CKx2ShapeRefCnt::kDuplicate));
    }
  }

  // A holder's identifier field takes a new identifier: the new one is counted before the
  // old one is dropped, so assigning the identifier a field already holds changes nothing.
  template <class Field>
  void Assign(Field& field, uint32_t id) {
    AddRef(id);
    Release(static_cast<uint32_t>(field));
    field = static_cast<Field>(id);
  }

  // The identifier of an entry equal to value, with one more reference (none for the fixed
  // entries), or of a new entry holding a copy of it with count 1; -1 when the table cannot
  // take another entry.
  int32_t Intern(const T& value) {
    if constexpr (kIndexed) return InternIndexed(value);
    const int32_t count = GetCount();
    int32_t freeSlot = -1;
    for (int32_t i = 0; i < count; ++i) {
      T& entry = (*this)[i];
      const bool fixed = i < GetFixedCount();
      if (i > 0 && !fixed && entry.refCount <= 0) {
        if (freeSlot < 0) freeSlot = i;
        continue;
      }
      if (entry.IsHidden()) continue;
      if (entry.IsSameValue(value)) {
        if (!fixed) ++entry.refCount;
        return i;
      }
    }
    bool grew = false;
    if (freeSlot < 0) {
      if (!Grow()) return -1;
      freeSlot = count;
      grew = true;
    }
    T& entry = (*this)[freeSlot];
    DropStyleRecord(entry);
    if (!entry.AssignValue(value)) {
      if (grew) CKx2MArray<T>::SetSize(count);
      return -1;
    }
    entry.index = freeSlot;
    entry.refCount = 1;
    entry.flags = 0;
    return freeSlot;
  }

  // The identifier of an entry equal to value (entry 0 or a live entry, neither tentative
  // nor duplicate), without a reference; -1 when there is none.
  int32_t Find(const T& value) const {
    if constexpr (kIndexed) return FindIndexed(value);
    const int32_t count = GetCount();
    for (int32_t i = 0; i < count; ++i) {
      const T& entry = (*this)[i];
      if (i > 0 && entry.refCount <= 0) continue;
      if (entry.IsHidden()) continue;
      if (entry.IsSameValue(value)) return i;
    }
    return -1;
  }

  // Reserves a tentative entry (a copy of entry 0, count 1) that Replace fills later; -1 on
  // failure.
  int32_t NewEntry() {
    const int32_t count = GetCount();
    if (count == 0) return -1;
    int32_t i = GetFixedCount();
    if constexpr (kIndexed)
      i = LowestFreeSlot(count);
    else
      while (i < count && ((*this)[i].refCount > 0 || (*this)[i].IsTentative())) ++i;
    bool grew = false;
    if (i >= count) {
      if (!Grow()) return -1;
      i = count;
      grew = true;
    }
    T& entry = (*this)[i];
    DropStyleRecord(entry);
    if (!entry.AssignValue((*this)[0])) {
      if (grew) CKx2MArray<T>::SetSize(count);
      return -1;
    }
    entry.index = i;
    entry.refCount = 1;
    entry.flags = CKx2ShapeRefCnt::kTentative;
    IndexTaken(i);
    return i;
  }

  // Fills the tentative entry id with value. When an equal entry already exists the entry is
  // marked duplicate: it keeps its identifier but interning never hands it out. -1 when id
  // is not a tentative entry of this table.
  int32_t Replace(const T& value, uint32_t id) {
    if (id >= static_cast<uint32_t>(GetCount())) return -1;
    T& entry = (*this)[static_cast<int32_t>(id)];
    if (!entry.IsTentative()) return -1;
    const bool duplicate = Find(value) >= 0;
    DropStyleRecord(entry);
    if (!entry.AssignValue(value)) return -1;
    if (duplicate)
      entry.flags |= CKx2ShapeRefCnt::kDuplicate;
    else
      entry.flags &= static_cast<uint8_t>(~CKx2ShapeRefCnt::kDuplicate);
    entry.index = static_cast<int32_t>(id);
    if (entry.refCount <= 0) entry.refCount = 1;
    entry.flags &= static_cast<uint8_t>(~CKx2ShapeRefCnt::kTentative);
    IndexTaken(static_cast<int32_t>(id));
    if (!duplicate) IndexVisible(static_cast<int32_t>(id));
    return static_cast<int32_t>(id);
  }

  // Puts the fixed entries of an empty table in place: `empty` becomes entry 0 and, in a
  // table of a format kind, `standard` entry 1. A format kind without a standard default
  // (standard null) gets a reserved entry 1: a copy of entry 0 marked duplicate, which
  // reads as the empty value and is never handed out, so that real values start at 2.
  // 1 on success, 0 on failure.
  int InitFixedEntries(const T& empty, const T* standard) {
    if (Intern(empty) != 0) return 0;
    if (!Present::IsShapeFormatKind(kind_)) return 1;
    if (standard) return Intern(*standard) == 1 ? 1 : 0;
    if (GetCount() >= 2) return 1;
    if (!Grow()) return 0;
    T& entry = (*this)[1];
    DropStyleRecord(entry);
    if (!entry.AssignValue((*this)[0])) {
      CKx2MArray<T>::SetSize(1);
      return 0;
    }
    entry.index = 1;
    entry.refCount = 1;
    entry.flags = CKx2ShapeRefCnt::kDuplicate;
    return 1;
  }

  // Module-exit teardown: counts the entries past the fixed ones that are still referenced,
  // then empties the table. Each value's destructor drops what it still holds; a drop into a
  // table that is already empty has no effect, so the order of teardown does not matter.
  int32_t FreeShapeTable() {
    int32_t live = 0;
    for (int32_t i = GetFixedCount(); i < GetCount(); ++i)
      if ((*this)[i].refCount > 0) ++live;
    CKx2MArray<T>::SetSize(0);
    CKx2MArray<T>::FreeExtra();
    ClearIndex();
    return live;
  }

 private:
  static constexpr bool kIndexed = requires(const T& t) { {t.HashValue()}; };

  // The style cache's record of what the entry held goes before the entry takes a value.
  static void DropStyleRecord(T& entry) {
    if constexpr (requires {
                    T::kStyleKind;
                    entry.styleSlot;
                  })
      Present::FreeStyleRecord(T::kStyleKind, entry.styleSlot);
  }

  // ---- The interning index ----------------------------------------------------------------
  // byHash_ holds every visible entry (a fixed entry, or a live one neither tentative nor
  // duplicate) under the hash it had when it became visible; free_ holds the free slots past
  // the fixed entries. Both are checked against the entries when used, so a stale item is
  // dropped, never trusted.
  bool IsVisible(int32_t i, int32_t count) const {
    if (i < 0 || i >= count) return false;
    const T& entry = (*this)[i];
    return (i < GetFixedCount() || entry.refCount > 0) && !entry.IsHidden();
  }

  int32_t FindIndexed(const T& value) const {
    const int32_t count = GetCount();
    int32_t best = -1;
    auto range = byHash_.equal_range(value.HashValue());
    for (auto it = range.first; it != range.second; ++it) {
      const int32_t i = it->second;
      if ((best < 0 || i < best) && IsVisible(i, count) && (*this)[i].IsSameValue(value)) best = i;
    }
    return best;
  }

  // The lowest free slot, or count when there is none.
  int32_t LowestFreeSlot(int32_t count) {
    while (!free_.empty()) {
      const int32_t i = *free_.begin();
      if (i < count && i >= GetFixedCount() && (*this)[i].refCount <= 0 && !(*this)[i].IsTentative()) return i;
      free_.erase(free_.begin());
    }
    return count;
  }

  int32_t InternIndexed(const T& value) {
    const int32_t count = GetCount();
    const int32_t found = FindIndexed(value);
    if (found >= 0) {
      if (found >= GetFixedCount()) ++(*this)[found].refCount;
      return found;
    }
    int32_t slot = LowestFreeSlot(count);
    const bool grew = slot >= count;
    if (grew) {
      if (!Grow()) return -1;
      slot = count;
    }
    T& entry = (*this)[slot];
    DropStyleRecord(entry);
    if (!entry.AssignValue(value)) {
      if (grew) CKx2MArray<T>::SetSize(count);
      return -1;
    }
    entry.index = slot;
    entry.refCount = 1;
    entry.flags = 0;
    IndexTaken(slot);
    IndexVisible(slot);
    return slot;
  }

  void IndexVisible(int32_t i) {
    if constexpr (kIndexed) {
      const uint64_t hash = (*this)[i].HashValue();
      if (static_cast<size_t>(i) >= hashOf_.size()) hashOf_.resize(static_cast<size_t>(i) + 1, 0);
      hashOf_[static_cast<size_t>(i)] = hash;
      byHash_.emplace(hash, i);
    }
  }

  void IndexTaken(int32_t i) {
    if constexpr (kIndexed) free_.erase(i);
  }

  // An entry whose last reference went: no longer visible, its slot free.
  void IndexFreed(int32_t i) {
    if constexpr (kIndexed) {
      if (static_cast<size_t>(i) < hashOf_.size()) {
        auto range = byHash_.equal_range(hashOf_[static_cast<size_t>(i)]);
        for (auto it = range.first; it != range.second; ++it)
          if (it->second == i) {
            byHash_.erase(it);
            break;
          }
      }
      if (i >= GetFixedCount()) free_.insert(i);
    }
  }

  void ClearIndex() {
    byHash_.clear();
    free_.clear();
    hashOf_.clear();
  }

  std::unordered_multimap<uint64_t, int32_t> byHash_;
  std::set<int32_t> free_;
  std::vector<uint64_t> hashOf_;

  // One more slot at the end, constructed as the empty value. Identifiers are 16-bit and
  // 0xFFFF means none, so the table never holds more than 0xFFFF entries.
  bool Grow() {
    const int32_t count = GetCount();
    if (count > Present::kMaxIdentifier) {
      Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
      return false;
    }
    return CKx2MArray<T>::SetSize(count + 1) != 0;
  }

  int32_t kind_;
};

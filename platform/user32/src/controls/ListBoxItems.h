// The items of a list box: text, data, height and selection flag, with the orderings and
// searches the LB_ messages answer by. Indexes are checked by the caller.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace kx2::user32 {

struct ListItem {
  std::u16string text;
  ULONG_PTR data = 0;
  int height = 0;  // owner-drawn variable lists only
  bool selected = false;
};

class ListItems {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  ListItem& At(int index) { return items_[static_cast<size_t>(index)]; }
  const ListItem& At(int index) const { return items_[static_cast<size_t>(index)]; }

  void Insert(int at, ListItem item) { items_.insert(items_.begin() + at, std::move(item)); }
  void Erase(int at) { items_.erase(items_.begin() + at); }
  void Clear() { items_.clear(); }
  void Reserve(size_t count) { items_.reserve(count); }
  size_t Capacity() const { return items_.capacity(); }

  // Where text goes in a list kept in order without regard to case (after its equals).
  int SortedPosition(std::u16string_view text, LCID locale) const;

  // The first item after `start` (-1: from the first), wrapping round, whose text begins
  // with `text` (or equals it) without regard to case; -1 when none.
  int Find(int start, std::u16string_view text, bool exact, LCID locale) const;
  // The same over item data, for lists that keep no strings.
  int FindData(int start, ULONG_PTR data) const;

 private:
  std::vector<ListItem> items_;
};

// -1, 0 or 1 as `a` sorts before, with or after `b`, without regard to case.
int CompareNoCase(std::u16string_view a, std::u16string_view b, LCID locale);

}  // namespace kx2::user32

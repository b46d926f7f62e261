#include "ListBoxItems.h"

#include <algorithm>

#include "win/nls.h"

namespace kx2::user32 {

int CompareNoCase(std::u16string_view a, std::u16string_view b, LCID locale) {
  const int r = CompareStringW(locale ? locale : LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                               static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
  if (r == 0) {  // a locale the collator refuses: by code units, folded
    const int o =
        CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
    return o - CSTR_EQUAL;
  }
  return r - CSTR_EQUAL;
}

int ListItems::SortedPosition(std::u16string_view text, LCID locale) const {
  // The first item that sorts after the text: equals keep the order they came in.
  int low = 0, high = Count();
  while (low < high) {
    const int mid = (low + high) / 2;
    if (CompareNoCase(At(mid).text, text, locale) <= 0)
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

int ListItems::Find(int start, std::u16string_view text, bool exact, LCID locale) const {
  const int count = Count();
  if (count == 0) return -1;
  const int first = (start < 0 || start >= count) ? 0 : start + 1;
  for (int step = 0; step < count; ++step) {
    const int i = (first + step) % count;
    std::u16string_view item = At(i).text;
    if (exact) {
      if (CompareNoCase(item, text, locale) == 0) return i;
    } else if (item.size() >= text.size() && CompareNoCase(item.substr(0, text.size()), text, locale) == 0) {
      return i;
    }
  }
  return -1;
}

int ListItems::FindData(int start, ULONG_PTR data) const {
  const int count = Count();
  if (count == 0) return -1;
  const int first = (start < 0 || start >= count) ? 0 : start + 1;
  for (int step = 0; step < count; ++step) {
    const int i = (first + step) % count;
    if (At(i).data == data) return i;
  }
  return -1;
}

}  // namespace kx2::user32

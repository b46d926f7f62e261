// Names that foreign map files use for markers and style choices, mapped to the host's
// numbers: a marker to an icon resource number within an icon group, a style name to a
// host enumeration value. The tables are fixed in the plug-in.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include <win/types.h>

struct TqMapRecord {
  LONG kind;   // 0 marker, 1 style value
  LONG group;  // markers: the host resource number of the icon group
  LONG spare1[3];
  LONG icon;  // markers: the host resource number of the icon
  LONG spare2[3];
  LONG value;  // the style value, or a task-progress marker's percentage
};
static_assert(sizeof(TqMapRecord) == 40, "ten 32-bit numbers");

class TqResourceMapper {
 public:
  enum Format : int { kMindManager = 1, kFreeMind = 2, kXMind = 3 };
  enum Category : int {
    kTopicShape = 0,
    kTextImagePosition = 1,
    kCalloutShape = 2,
    kBranchLine = 3,
    kBoundaryShape = 4,
    kRelationshipLine = 5,
    kMarkers = 6,
    kLinePattern = 7,
    kAlignment = 8,
    kArrowHead = 9,
    kHorizontalAlignment = 10,
    kImageFit = 11,
    kImageFlip = 12,
    kLayout = 13,
    kCategoryCount = 14,
  };

  TqResourceMapper() = default;
  ~TqResourceMapper() { Clear(); }
  TqResourceMapper(const TqResourceMapper&) = delete;
  TqResourceMapper& operator=(const TqResourceMapper&) = delete;

  // Clears, then registers the tables of a format (1, 2 or 3; any other number leaves the
  // mapper ready and empty). 1 when every table registered; 0 leaves it not ready.
  int Init(int format);
  // 1 and a copy of the record when `name` (exact, case-sensitive) is in the category; 0
  // with `out` untouched when the mapper is not ready, the name is null or absent.
  int Find(int category, LPCWSTR name, TqMapRecord* out) const;
  void Clear();
  bool IsReady() const { return ready_; }
  // Names registered in a category.
  size_t Size(int category) const {
    return category >= 0 && category < kCategoryCount ? categories_[category].size() : 0;
  }

  // Registration of one table. A name already in its category keeps its first record and
  // does not fail the table; a table whose stored count is below the count asked for is
  // refused; a table fails only on such a real error. 1 when the whole table is in.
  int RegisterMarkers(const char16_t* const* names, int count, int storedCount, LONG group, const LONG* icons,
                      const LONG* values);
  int RegisterValues(int category, const char16_t* const* names, int count, int storedCount, const LONG* values);

  // The host's marker entries and groups are addressed by GUIDs whose first 32-bit word is
  // the resource number and whose other words are zero.
  static GUID MarkerGuid(const TqMapRecord& record);
  static GUID GroupGuid(const TqMapRecord& record);
  static GUID NumberGuid(LONG number);

 private:
  bool ready_ = false;
  // Looked up by a name's view: a look-up makes no string.
  std::map<std::u16string, TqMapRecord, std::less<>> categories_[kCategoryCount];
};

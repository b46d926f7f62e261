// Laying a text out for measuring and drawing: cutting it into runs by script slot,
// direction and (in vertical text) rotation, giving characters a slot font lacks runs of
// their own with a fallback font, selecting fonts and measuring advances.
//
// Run starts, lengths and counts are 32-bit, so texts past 65,535 units lay out whole;
// advances and raw widths live in the layout itself up to 1,024 units and on the heap above.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/present/text/TextContext.h>

namespace Present::Text {

enum : int32_t { kDirectionOrdinary = 0, kDirectionSupplementary = 1, kDirectionRightToLeft = 2 };

struct TextRun {
  int32_t slot = 0;
  int32_t direction = kDirectionOrdinary;
  uint32_t start = 0;
  uint32_t length = 0;    // units, trailing spaces included
  uint32_t trailing = 0;  // trailing spaces
  uint8_t rotated = 0;    // vertical layout only
  int32_t fontOverride = -1;
  int32_t width = 0;
  int32_t height = 0;
  int32_t lineHeight = 0;
};

class PLASTRUM_API TextLayout {
 public:
  static constexpr size_t kLocalRuns = 256;
  static constexpr size_t kLocalUnits = 1024;

  // `text` must outlive the layout; in vertical layout Prepare keeps a copy with the
  // vertical forms. False (error 2) when memory runs out.
  bool Prepare(const WCHAR* text, uint32_t length, bool vertical, bool withRawWidths);

  const WCHAR* text = nullptr;
  uint32_t length = 0;
  bool callerAdvances = false;
  bool vertical = false;
  uint32_t slotMask = 0;
  uint32_t fallbackCount = 0;
  uint32_t spaceSlot = 0;
  int32_t* rawWidths = nullptr;  // null when not kept
  int32_t* advances = nullptr;

  TextRun* Runs() { return runs_; }
  const TextRun* Runs() const { return runs_; }
  uint32_t RunCount() const { return count_; }
  // Appends a run, growing the array when full; false with error 2 when it cannot grow.
  bool AppendRun(const TextRun& run);
  // The first growth moves the runs to the heap, later ones add 64 records.
  bool GrowRunArray();
  // After fallback runs were appended: sorted with CompareRunStart, count cut after the last
  // run that is not empty.
  void SortRuns();

 private:
  std::array<TextRun, kLocalRuns> localRuns_{};
  std::vector<TextRun> heapRuns_;
  TextRun* runs_ = localRuns_.data();
  uint32_t capacity_ = kLocalRuns;
  uint32_t count_ = 0;
  // Filled by Prepare as far as the text needs.
  std::array<int32_t, kLocalUnits + 1> localRaw_;
  std::array<int32_t, kLocalUnits + 1> localAdvances_;
  std::vector<int32_t> heapRaw_, heapAdvances_;
  std::vector<WCHAR> verticalCopy_;
};

// Empty runs last; others by start.
PLASTRUM_API bool CompareRunStart(const TextRun& a, const TextRun& b);

// The vertical forms of a text (",", ".", and the curly quotes); the text itself when none
// occurs or the copy cannot be made (error 2).
PLASTRUM_API const WCHAR* MapVerticalForms(const WCHAR* text, uint32_t length, std::vector<WCHAR>* copy);
PLASTRUM_API bool IsRotatedInVertical(uint32_t c, bool latinRotates);
PLASTRUM_API int32_t DirectionClass(uint32_t c);

// The run that starts at `start`.
PLASTRUM_API TextRun SplitTextRun(const TextLayout& layout, const TextContext& context, uint32_t start);
// Cuts the whole text, gives missing glyphs fallback runs and sorts; false when the run
// array could not grow (what was cut stays usable).
PLASTRUM_API bool BuildTextRuns(TextLayout* layout, TextContext* context);
PLASTRUM_API void ApplyFallbackFonts(TextLayout* layout, TextContext* context);
PLASTRUM_API void SplitRunForFallback(TextLayout* layout, TextContext* context, uint32_t run, uint32_t position);
PLASTRUM_API int FindFallbackFont(int slot, uint32_t codePoint);

// Font selection.
PLASTRUM_API void SelectSlotFont(int fontIndex, int slot, TextContext* context, int rotated);
PLASTRUM_API void GetSlotFontSize(const TextContext* context, int slot, int fontIndex, int* height, int* width);
PLASTRUM_API void SelectFontByKey(TextContext* context, int slot);
PLASTRUM_API void SelectRunFont(const TextLayout* layout, TextContext* context, uint32_t run, int weight);
// The LOGFONTW a slot's font is made from.
PLASTRUM_API LOGFONTW SlotLogfont(const TextContext* context, int slot, int fontIndex, int weight, int rotated);

// Measuring (logical units unless said otherwise).
PLASTRUM_API int GetLineHeight(TextContext* context);
PLASTRUM_API int GetCharAdvance(TextContext* context, uint32_t codePoint);
// Device units; 0 when it cannot be read.
PLASTRUM_API int GetSupplementaryAdvance(TextContext* context, uint32_t codePoint);
PLASTRUM_API int SlotSpaceWidths(TextContext* context, int slot);
PLASTRUM_API void ApplyKerning(TextLayout* layout, TextContext* context, const TextRun& run);
PLASTRUM_API void MeasureRuns(TextLayout* layout, TextContext* context);
PLASTRUM_API void MeasureRun(TextLayout* layout, TextContext* context, uint32_t run, int spaceAdvance);

// The extent of a text and, when `cumulative` is given, the running advance after each unit.
PLASTRUM_API BOOL MeasureTextRuns(int32_t* cumulative, const WCHAR* text, TextContext* context, int length,
                                  SIZE* extent, uint32_t spaceSlot);

// The host's outline metrics record (at least 68 bytes).
struct TextOutlineMetrics {
  uint32_t size;
  uint32_t emSquare;
  int32_t ascent;
  int32_t descent;
  POINT subscriptSize, subscriptOffset, superscriptSize, superscriptOffset;
  int32_t internalLeading;
  int32_t externalLeading;
  uint8_t filled;
  uint8_t panose[10];
  uint8_t reserved;
};
static_assert(sizeof(TextOutlineMetrics) == 68);
PLASTRUM_API BOOL GetTextOutlineMetrics(int slot, TextContext* context, TextOutlineMetrics* metrics);
PLASTRUM_API BOOL GetTextFontRanges(int slot, TextContext* context, uint32_t words[2]);

}  // namespace Present::Text

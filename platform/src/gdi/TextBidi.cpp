// Drawing order of a line through ICU's bidirectional algorithm.
#include "TextBidi.h"

#include <unicode/ubidi.h>

#include <memory>

namespace kx2::gdi {
namespace {

struct BidiCloser {
  void operator()(UBiDi* bidi) const { ubidi_close(bidi); }
};

std::u16string Unchanged(const std::u16string& line, std::vector<int>* map) {
  if (map) {
    map->resize(line.size());
    for (size_t i = 0; i < line.size(); ++i) (*map)[i] = static_cast<int>(i);
  }
  return line;
}

}  // namespace

bool HasRightToLeft(const std::u16string& line) {
  for (char16_t c : line) {
    if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF)) return true;
    if (c == 0x200F || c == 0x202B || c == 0x202E || c == 0x2067) return true;
  }
  return false;
}

std::u16string VisualOrder(const std::u16string& line, bool rightToLeftParagraph, std::vector<int>* visualOfLogical) {
  if (line.empty()) return Unchanged(line, visualOfLogical);
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_openSized(static_cast<int32_t>(line.size()), 0, &error));
  if (U_FAILURE(error) || !bidi) return Unchanged(line, visualOfLogical);
  ubidi_setPara(bidi.get(), line.data(), static_cast<int32_t>(line.size()),
                rightToLeftParagraph ? UBIDI_RTL : UBIDI_LTR, nullptr, &error);
  if (U_FAILURE(error)) return Unchanged(line, visualOfLogical);
  // Mirroring alone keeps the length, so every unit keeps a place of its own.
  std::u16string visual(line.size(), u'\0');
  const int32_t written =
      ubidi_writeReordered(bidi.get(), visual.data(), static_cast<int32_t>(visual.size()), UBIDI_DO_MIRRORING, &error);
  if (U_FAILURE(error) || written != static_cast<int32_t>(line.size())) return Unchanged(line, visualOfLogical);
  if (visualOfLogical) {
    visualOfLogical->resize(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
      UErrorCode mapError = U_ZERO_ERROR;
      const int32_t at = ubidi_getVisualIndex(bidi.get(), static_cast<int32_t>(i), &mapError);
      (*visualOfLogical)[i] = U_SUCCESS(mapError) && at >= 0 ? at : static_cast<int>(i);
    }
  }
  return visual;
}

}  // namespace kx2::gdi

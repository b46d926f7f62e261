// Font objects: the LOGFONTW as given and the face instance it maps to (made on first use).
#pragma once

#include <memory>

#include "GdiObjects.h"

namespace kx2::gdi {

struct FontInstance;

class Font final : public GdiObject {
 public:
  Font() : GdiObject(OBJ_FONT) {}
  LOGFONTW logfont{};
  std::shared_ptr<FontInstance> instance;  // realised on first use at the DC's scale
  double instanceScale = 0;
};

// SYSTEM_FONT, DEFAULT_GUI_FONT and the other stock fonts; null for another index.
std::shared_ptr<Font> StockFont(int index);

}  // namespace kx2::gdi

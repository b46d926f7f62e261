// The drawing state the text layer binds to one device context (pooled, at most 5), and the
// conversions between its logical units and the device's pixels.
#pragma once

#include <cstdint>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/present/text/TextObject.h>

namespace Present::Type {
class Color;
}

namespace Present::Text {

// Text flags of the host's text record.
enum : uint32_t {
  kAlignMask = 0x10018,
  kAlignTop = 0,
  kAlignBottom = 0x8,
  kAlignBaseline = 0x18,
  kAlignMiddle = 0x10000,
  kTextKerning = 0x2000000,
  kTextNoSpaceFallback = 0x10000000,
  kTextLatinRotates = 0x20000000,
};

enum : uint32_t { kContextInUse = 0x1, kContextPooled = 0x2, kContextTaken = 0x4 };

// What decides the font selected in a context; a font is only selected again when it changes.
struct TextSelectionKey {
  int32_t size = 0;
  int32_t width = 0;
  int32_t weight = 0;
  uint8_t widthPercent = 0;
  uint8_t rotated = 0;
  uint16_t formatFlags = 0;
  int32_t fontIndex = -1;
  bool operator==(const TextSelectionKey&) const = default;
};

struct TextContext {
  HDC dc = nullptr;
  int32_t mappingCode = 1;  // 1: one logical unit per pixel; 7 and 8: the extents' scale
  SIZE logicalExtent{1, 1};
  SIZE deviceExtent{1, 1};
  float scaleX = 1;
  float scaleY = 1;
  POINT logicalOrigin{0, 0};
  POINT deviceOrigin{0, 0};
  int32_t unitsPerInchX = 0;
  int32_t unitsPerInchY = 0;
  TextObject* object = nullptr;
  uint32_t textFlags = 0;
  COLORREF textColor = 0;
  COLORREF backColor = 0xFFFFFF;
  int32_t backMode = 0;
  TextSelectionKey key;
  bool keyValid = false;
  HFONT font = nullptr;
  int32_t lineHeight = 0;
  int32_t instance = -1;
  Present::Type::Color* const* colorSource = nullptr;  // the calligraphy's palette
  // The last fonts selected through the font cache, so that alternating between the regular
  // and the key's weight does not search the cache for every run; cleared with the font state.
  struct RecentFont {
    LOGFONTW logfont{};
    HFONT font = nullptr;
  };
  RecentFont recent[2];
  HFONT selected = nullptr;  // what this context last selected into its DC
  uint32_t options = 0;
  uint32_t poolFlags = 0;
};

// A free pooled context, a new pooled one while fewer than 5 are pooled, or a free-standing
// one; null with error 2 when memory runs out.
PLASTRUM_API TextContext* AcquireTextContext();
// Gives a context back: a pooled one only loses its in-use bit, another one is freed.
PLASTRUM_API void GiveBackTextContext(TextContext* context);
// Module stop: frees every pooled context (and the fonts made while there was no font cache).
PLASTRUM_API void ReleaseTextContextPool();
PLASTRUM_API void ReleaseStrayTextFonts();
PLASTRUM_API int PooledTextContextCount();
// Forgets the selected font, its line height and instance, so that the next selection looks
// its font up again.
PLASTRUM_API void ClearTextFontState(TextContext* context);

// Binds a device context: reads its origins, extents and mapping mode, then sets mapping
// mode 1 on it; clears the text flags and reads its colours and background mode. Returns the
// device context attached before.
PLASTRUM_API HDC AttachTextContext(HDC dc, TextContext* context);
// Mapping codes 7 and 8 only: the device extent and the scale (0: the extent itself).
PLASTRUM_API int SetTextScale(TextContext* context, int cx, int cy, float scaleX, float scaleY);

PLASTRUM_API void LogicalToDevice(const TextContext* context, POINT* points, int count);
PLASTRUM_API void DeviceToLogical(const TextContext* context, POINT* points, int count);
// Lengths by the extents (MulDiv), per axis.
PLASTRUM_API int LengthToDeviceX(const TextContext* context, int v);
PLASTRUM_API int LengthToDeviceY(const TextContext* context, int v);
PLASTRUM_API int LengthToLogicalX(const TextContext* context, int v);
PLASTRUM_API int LengthToLogicalY(const TextContext* context, int v);

}  // namespace Present::Text

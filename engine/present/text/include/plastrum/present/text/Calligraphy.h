// The calligraphy (IPresentCalligraphy): text, lines and rectangles in host units (7200 an
// inch) on a native render of the rendering library, either the render of a paint record
// (not owned) or one made for a context (owned). Text goes through the GDI text layer on the
// render's device context.
#pragma once

#include <cstdint>

#include <luminar/Luminar.h>
#include <win/ole.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/format/ColorModel.h>
#include <plastrum/present/text/TextLayout.h>
#include <plastrum/present/text/TextObject.h>

namespace Present::Text {

// The host's text record of slots 4-7. A background of (0, 0x10000000) is no background.
struct CalligraphyText {
  TextObject* font;
  int32_t x;
  int32_t y;
  uint32_t flags;
  uint32_t textColor;
  uint32_t textColorKind;
  uint32_t backColor;
  uint32_t backColorKind;
};

// The fill and the frame of DrawRectangle.
constexpr uint32_t kCalligraphyRectangleFill = 0x402486F6;
constexpr uint32_t kCalligraphyRectangleFrame = 0xFF2486F6;

// Resolutions and origin of a calligraphy (see the factories below).
struct CalligraphySettings {
  NativeRender render = nullptr;
  bool ownsRender = false;
  int32_t textResolutionX = 96, textResolutionY = 96;
  float textScaleX = 96.0f, textScaleY = 96.0f;
  int32_t originX = 0, originY = 0;
  int32_t drawingResolutionX = 96, drawingResolutionY = 96;
  float drawingScaleX = 96.0f, drawingScaleY = 96.0f;
};

// For the render of a paint record at resolution (dx, dy): text at the plain resolution when
// `plain` (a device context, no target, first flag set, mode 0 and the record's own flag),
// else at the resolution times the zoom; drawing at the plain resolution.
PLASTRUM_API CalligraphySettings PaintCalligraphySettings(NativeRender render, float dx, float dy, bool plain,
                                                          float zoomX, float zoomY, float originX, float originY);
// For a render made for a context (owned): both at the context's effective resolution.
PLASTRUM_API CalligraphySettings ContextCalligraphySettings(NativeRender ownedRender, float resolutionX,
                                                            float resolutionY, float originX, float originY);

// A stored colour (value, kind word) as 0xAARRGGBB for drawing: opaque black when it names
// no colour (a scheme colour needs the palette).
PLASTRUM_API uint32_t StoredColorToArgbColor(uint32_t value, uint32_t kindWord, Present::Type::Color* const* palette);

}  // namespace Present::Text

class IPresentCalligraphy : public IUnknown {
 public:
  // 3: the 144-byte palette record a canvas hands out (12 colours of 12 bytes: kind, dirty,
  // A, R, G, B at bytes 4-9), copied; null forgets the palette.
  virtual void STDMETHODCALLTYPE SetPalette(const BYTE* record) = 0;
  // 4: draws the text at the record's position (opaque over `rect` with a background).
  virtual BOOL STDMETHODCALLTYPE DrawText(const Present::Text::CalligraphyText* record, const WCHAR* text, int length,
                                          int32_t* reserved, const RECT* rect) = 0;
  // 5: the extent of the text and, when given, the running advance after each unit.
  virtual BOOL STDMETHODCALLTYPE MeasureText(const Present::Text::CalligraphyText* record, const WCHAR* text,
                                             int length, int32_t* cumulative, SIZE* extent, uint32_t spaceSlot) = 0;
  // 6: outline metrics of the record's font (slot 1 for the East-Asian character sets).
  virtual BOOL STDMETHODCALLTYPE GetOutlineMetrics(const Present::Text::CalligraphyText* record, BYTE charset,
                                                   Present::Text::TextOutlineMetrics* metrics) = 0;
  // 7: the two character-range words of the font's "OS/2" table.
  virtual BOOL STDMETHODCALLTYPE GetFontRanges(const Present::Text::CalligraphyText* record, BYTE charset,
                                               uint32_t words[2]) = 0;
  // 8: a line of `width` host units in a stored colour; doubled: two strokes beside the line.
  virtual BOOL STDMETHODCALLTYPE DrawLine(const POINT* start, const POINT* end, uint32_t colour, uint32_t kindWord,
                                          LONG dash, BYTE doubled, LONG width) = 0;
  // 9: the engine's marking rectangle.
  virtual BOOL STDMETHODCALLTYPE DrawRectangle(const RECT* rect) = 0;
  // 10: a rectangle filled with a stored colour.
  virtual BOOL STDMETHODCALLTYPE FillRectangle(const RECT* rect, uint32_t colour, uint32_t kindWord) = 0;

 protected:
  ~IPresentCalligraphy() = default;
};

namespace Present {

// A calligraphy over the settings' render (released with it when owned); null when memory
// runs out (an owned render is released then too).
PLASTRUM_API IPresentCalligraphy* NewCalligraphy(const Text::CalligraphySettings& settings);
PLASTRUM_API void FreeCalligraphy(IPresentCalligraphy* calligraphy);

}  // namespace Present

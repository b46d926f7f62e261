// UTF-16 text with a text format and text flags from the input through BuildTextRuns,
// MeasureTextRuns and DrawTextRuns on a 256x64 DC: both layouts, every effect, one unit per
// pixel and host units. Input: 2 bytes format flags, 4 text flags, 1 shadow kind, 2 + 2
// shadow offsets, 1 outline pen, 2 + 2 slot sizes, 1 + 1 width percents, 1 mapping choice,
// then the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextDrawing.h>
#include <plastrum/present/text/TextLayout.h>

using namespace Present::Text;

namespace {

HDC g_dc = nullptr;

struct Input {
  const uint8_t* data;
  size_t size;
  template <typename T>
  T Take() {
    T v{};
    const size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitFontConfiguration();
  g_dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 256;
  info.bmiHeader.biHeight = -64;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  SelectObject(g_dc, CreateDIBSection(g_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  TextFormat f{};
  f.flags = in.Take<uint16_t>();
  const uint32_t textFlags = in.Take<uint32_t>();
  f.shadowKind = in.Take<uint8_t>() & 3;
  f.shadowOffsetX = in.Take<int16_t>();
  f.shadowOffsetY = in.Take<int16_t>();
  f.outlinePen = in.Take<uint8_t>();
  f.weight = 400;
  for (TextSlot& s : f.slots) s.size = in.Take<int16_t>() % 120;
  for (TextSlot& s : f.slots) s.widthPercent = in.Take<uint8_t>();
  const uint8_t mapping = in.Take<uint8_t>();
  std::memcpy(f.slots[0].faceName, u"DejaVu Sans", 22);
  std::memcpy(f.slots[1].faceName, u"WenQuanYi Micro Hei", 38);
  std::vector<WCHAR> text(std::min<size_t>(in.size / 2, 1500));
  if (!text.empty()) std::memcpy(text.data(), in.data, text.size() * 2);

  TextObject object{};
  InitTextObject(&object, f);
  TextContext* c = AcquireTextContext();
  ClearTextFontState(c);
  AttachTextContext(g_dc, c);
  c->object = &object;
  c->textFlags = textFlags;
  if (mapping & 1) {
    // Host units at 96 dpi, as the calligraphy binds them.
    c->mappingCode = 8;
    c->logicalExtent = SIZE{7200, 7200};
    SetTextScale(c, 96, 96, 0, 0);
    for (TextSlot& s : object.format.slots) s.size *= 75;
  }
  const int n = static_cast<int>(text.size());
  std::vector<int32_t> cumulative(text.size() + 1);
  SIZE extent{};
  MeasureTextRuns(cumulative.data(), text.data(), c, n, &extent, mapping & 2);
  const RECT rect{2, 2, 250, 60};
  DrawTextRuns(text.data(), c, 4, 8, (mapping & 4) ? ETO_OPAQUE | ETO_CLIPPED : 0, (mapping & 8) ? &rect : nullptr, n,
               (mapping & 16) && n ? cumulative.data() : nullptr);
  GiveBackTextContext(c);
  return 0;
}

// Arbitrary bytes through the readers of the colour format that take outside input: the
// number, length and flag texts of the shape-format XML, colour records and colour
// references read from a record archive, and colour objects made from stored words. The
// readers must never overflow, read out of bounds or hand out a colour outside its model.
#include <plastrum/format/ColorModel.h>
#include <plastrum/format/ColorRef.h>
#include <plastrum/format/PresentColor.h>
#include <plastrum/format/XmlConventions.h>
#include <plastrum/Kx2Archive.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Texts(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size && text.size() < 400; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  using namespace Present::ShapeXml;
  const char16_t* t = text.c_str();
  ParseLength(t);
  const int64_t tenths = ParseScaled(t);
  ParseInteger(t);
  uint8_t flag = 0;
  ParseWordFlag(t, &flag);
  ParseByte(t, &flag);
  char16_t out[ShapeXmlArchive::kNumberUnits];
  FormatScaled(out, tenths, u"%");
  // A written value reads back wherever doubles hold it exactly.
  if (tenths > -1000000000000 && tenths < 1000000000000 && ParseScaled(out) != tenths) __builtin_trap();
  // Every written length reads back, wider values as the nearest 32-bit one.
  const int64_t length = ParseInteger(t);
  FormatLength(out, length);
  if (ParseLength(out) != Saturate<int32_t>(length)) __builtin_trap();
}

void Records(const uint8_t* data, size_t size) {
  void* copy = Kx2Heap::Allocate(size);
  if (size) std::memcpy(copy, data, size);
  CKx2MemFile file(copy, static_cast<int32_t>(size));
  CKx2DataBlock archive;
  archive.Attach(&file, 0);
  for (int i = 0; i < 8; ++i) {
    CPresentColor color;
    if (!color.Exchange(archive)) archive.SkipRecord();
    archive.OpenRecord(0);
    PresentColorRef ref;
    ref.Exchange(archive);
    archive.EndRecord();
    std::unique_ptr<Present::Type::Color> made(Present::CreateColorFromStored(ref.value, ref.Second()));
    if (made) {
      made->dirty = 1;
      made->UpdateRgb();
      made->UpdateModel();
      if (made->type == 2) {
        auto* hsl = static_cast<Present::Type::HslColor*>(made.get());
        if (hsl->hue < 0 || hsl->hue >= 360 || !(hsl->saturation >= 0 && hsl->saturation <= 1)) __builtin_trap();
      }
    }
  }
  archive.Reset();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1)
    Texts(data + 1, size - 1);
  else
    Records(data + 1, size - 1);
  return 0;
}

// DIB bytes (header, masks, colours, bits) through CreateDIBSection, SetDIBits,
// StretchDIBits, SetDIBitsToDevice and GetDIBits.
#include <cstdint>
#include <cstring>
#include <vector>

#include <win/gdi.h>

namespace {

HDC g_dc;
HBITMAP g_target;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_dc = CreateCompatibleDC(nullptr);
  g_target = CreateBitmap(64, 64, 1, 32, nullptr);
  SelectObject(g_dc, g_target);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 48) return 0;
  // The first 8 bytes steer the calls; the header and table follow, in room as large as
  // any header may claim (a caller's BITMAPINFO is trusted to hold what its header says).
  const uint8_t* steer = data;
  data += 8, size -= 8;
  std::vector<uint8_t> info(40 + 12 + 256 * 4 + 1024, 0);
  const size_t infoBytes = std::min(size, info.size());
  std::memcpy(info.data(), data, infoBytes);
  auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize > 1024 || h.biBitCount > 32) return 0;
  // Keep pictures small enough to run many times a second.
  const int64_t w = h.biWidth, rows = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
  if (w > 512 || rows > 512) return 0;
  const size_t stride = w > 0 ? ((size_t(w) * h.biBitCount + 31) / 32) * 4 : 0;
  std::vector<uint8_t> bits(std::max<size_t>(1, stride * size_t(rows > 0 ? rows : 1)), 0);
  const size_t rest = size - std::min(size, size_t(h.biSize) + 1024);
  if (rest) std::memcpy(bits.data(), data + (size - rest), std::min(rest, bits.size()));

  void* sectionBits = nullptr;
  HBITMAP section = CreateDIBSection(g_dc, bmi, steer[0] & 1, &sectionBits, nullptr, 0);
  if (section) {
    if (sectionBits) std::memcpy(sectionBits, bits.data(), std::min(bits.size(), stride * size_t(rows)));
    HDC sdc = CreateCompatibleDC(g_dc);
    HGDIOBJ old = SelectObject(sdc, section);
    const DWORD rops[4] = {SRCCOPY, SRCINVERT, MERGECOPY, static_cast<DWORD>(steer[1]) << 16};
    StretchBlt(g_dc, steer[2] % 64, steer[3] % 64, int8_t(steer[4]), int8_t(steer[5]), sdc, 0, 0, int(w), int(rows),
               rops[steer[6] & 3]);
    Rectangle(sdc, 0, 0, int8_t(steer[2]), int8_t(steer[3]));
    SelectObject(sdc, old);
    DeleteDC(sdc);
    DeleteObject(section);
  }
  SetDIBits(g_dc, g_target, steer[1] % 8, steer[2] % 80, bits.data(), bmi, DIB_RGB_COLORS);
  StretchDIBits(g_dc, int8_t(steer[3]), int8_t(steer[4]), int8_t(steer[5]), int8_t(steer[6]), steer[7] % 16,
                steer[1] % 16, int8_t(steer[2]), int8_t(steer[3]), bits.data(), bmi, DIB_RGB_COLORS,
                static_cast<DWORD>(steer[0]) << 16);
  SetDIBitsToDevice(g_dc, 0, 0, steer[4] % 80, steer[5] % 80, steer[6] % 16, steer[7] % 16, steer[0] % 8, steer[1] % 80,
                    bits.data(), bmi, DIB_RGB_COLORS);
  std::vector<uint8_t> out(bits.size() + 4096);
  if (size_t(w) * 32 / 8 * size_t(rows) < out.size())
    GetDIBits(g_dc, g_target, 0, steer[2] % 64, out.data(), bmi, DIB_RGB_COLORS);
  return 0;
}

// Bytes as a BMP file through LoadImageW (as a device bitmap or a DIB section, at its own
// size or stretched), then one draw of the result.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <win/gdi.h>
#include <win/userres.h>

namespace {

HDC g_dc;
HBITMAP g_target;
std::string g_path;
std::u16string g_widePath;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_dc = CreateCompatibleDC(nullptr);
  g_target = CreateBitmap(64, 64, 1, 32, nullptr);
  SelectObject(g_dc, g_target);
  const char* tmp = std::getenv("TMPDIR");
  g_path = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_bmp_file_" + std::to_string(getpid()) + ".bmp";
  g_widePath.assign(g_path.begin(), g_path.end());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte steers: DIB section or not, and a stretched size.
  const uint8_t steer = data[0];
  ++data, --size;
  FILE* f = std::fopen(g_path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  const UINT flags = LR_LOADFROMFILE | ((steer & 1) ? LR_CREATEDIBSECTION : 0);
  const int side = (steer & 2) ? 1 + (steer >> 3) : 0;
  auto bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, g_widePath.c_str(), IMAGE_BITMAP, side, side, flags));
  if (bitmap) {
    HDC source = CreateCompatibleDC(g_dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    BITMAP bm{};
    GetObjectW(bitmap, sizeof bm, &bm);
    StretchBlt(g_dc, 0, 0, 64, 64, source, 0, 0, bm.bmWidth, bm.bmHeight, (steer & 4) ? SRCINVERT : SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
  }
  return 0;
}

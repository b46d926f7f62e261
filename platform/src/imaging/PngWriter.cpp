// The platform's one PNG writer: libpng into a temporary file beside the target, renamed
// into place once complete.
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include <kx2/ErrorBoundary.h>
#include <kx2/ImageCodec.h>
#include <kx2/PathMap.h>
#include <win/kernel.h>

namespace {

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWrite() { png_destroy_write_struct(&png, &info); }
};

bool WriteFile(FILE* file, const uint8_t* pixels, int width, int height, ptrdiff_t stride, bool alpha) {
  PngWrite w;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!w.png) return false;
  w.info = png_create_info_struct(w.png);
  if (!w.info) return false;
  std::vector<uint8_t> row(static_cast<size_t>(width) * (alpha ? 4 : 3));
  if (setjmp(png_jmpbuf(w.png))) return false;
  png_init_io(w.png, file);
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(w.png, 3);
  png_write_info(w.png, w.info);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = pixels + stride * y;
    uint8_t* out = row.data();
    for (int x = 0; x < width; ++x, in += 4) {
      *out++ = in[2], *out++ = in[1], *out++ = in[0];
      if (alpha) *out++ = in[3];
    }
    png_write_row(w.png, row.data());
  }
  png_write_end(w.png, w.info);
  return true;
}

}  // namespace

KX2_EXPORT BOOL Kx2WritePng(LPCWSTR path, const uint8_t* pixels, int width, int height, ptrdiff_t stride,
                            BOOL withAlpha) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!path || !pixels || width <= 0 || height <= 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    DWORD error = ERROR_PATH_NOT_FOUND;
    const std::optional<std::string> mapped = kx2::ToPosixPath(path, &error);
    if (!mapped) {
      SetLastError(error);
      return FALSE;
    }
    const std::string& target = *mapped;
    const std::string temporary = target + ".tmp" + std::to_string(GetCurrentProcessId());
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
    const bool written = WriteFile(file, pixels, width, height, stride, withAlpha != FALSE);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), target.c_str()) != 0) {
      std::remove(temporary.c_str());
      SetLastError(ERROR_WRITE_FAULT);
      return FALSE;
    }
    return TRUE;
  });
}

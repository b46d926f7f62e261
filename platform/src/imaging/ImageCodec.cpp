// The codec area's entry points: signature sniffing, header size probes, decoding by
// format, and encoding into a temporary file renamed into place.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <kx2/ErrorBoundary.h>
#include <kx2/PathMap.h>
#include <win/kernel.h>

#include "Codec.h"

namespace kx2::imaging {

bool SideAllowed(long long side) { return side > 0 && side <= KX2_IMAGE_MAX_SIDE; }

bool Picture::Allocate(long long w, long long h) {
  if (!SideAllowed(w) || !SideAllowed(h)) return false;
  width = int(w), height = int(h);
  pixels.assign(size_t(w) * size_t(h) * 4, 0);
  return true;
}

namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

bool ProbeJpeg(const uint8_t* d, size_t n, int* w, int* h) {
  size_t at = 2;
  while (at + 4 <= n) {
    if (d[at] != 0xFF) return false;
    const uint8_t marker = d[at + 1];
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      at += 2;
      continue;
    }
    const uint16_t length = Be16(d + at + 2);
    if (length < 2) return false;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > n) return false;
      *h = Be16(d + at + 5), *w = Be16(d + at + 7);
      return true;
    }
    at += 2 + length;
  }
  return false;
}

bool ProbeTiff(const uint8_t* d, size_t n, int* w, int* h) {
  const bool le = d[0] == 'I';
  auto u16 = [&](size_t at) { return le ? Le16(d + at) : Be16(d + at); };
  auto u32 = [&](size_t at) { return le ? Le32(d + at) : Be32(d + at); };
  const uint32_t ifd = u32(4);
  if (ifd < 8 || ifd > n || n - ifd < 2) return false;
  const uint16_t count = u16(ifd);
  long long width = -1, height = -1;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t e = ifd + 2 + size_t(i) * 12;
    if (e + 12 > n) return false;
    const uint16_t tag = u16(e), type = u16(e + 2);
    const uint32_t value = type == 3 ? u16(e + 8) : u32(e + 8);
    if (tag == 256) width = value;
    if (tag == 257) height = value;
  }
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
  *w = int(width), *h = int(height);
  return true;
}

bool ReadWholeFile(LPCWSTR path, std::vector<uint8_t>* out) {
  DWORD error = ERROR_PATH_NOT_FOUND;
  const std::optional<std::string> mapped = kx2::ToPosixPath(path, &error);
  if (!mapped) {
    SetLastError(error);
    return false;
  }
  FILE* file = std::fopen(mapped->c_str(), "rb");
  if (!file) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) out->insert(out->end(), buffer, buffer + n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) SetLastError(ERROR_READ_FAULT);
  return !failed;
}

bool WriteAtomically(LPCWSTR path, const std::vector<uint8_t>& bytes) {
  DWORD error = ERROR_PATH_NOT_FOUND;
  const std::optional<std::string> mapped = kx2::ToPosixPath(path, &error);
  if (!mapped) {
    SetLastError(error);
    return false;
  }
  const std::string temporary = *mapped + ".tmp" + std::to_string(GetCurrentProcessId());
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), mapped->c_str()) != 0) {
    std::remove(temporary.c_str());
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

bool DecodeAny(const uint8_t* data, size_t size, Kx2DecodedImage* out) {
  if (!out) return false;
  memset(out, 0, sizeof *out);
  Picture picture;
  const int format = Kx2SniffImage(data, size);
  bool ok = false;
  switch (format) {
    case KX2_IMAGE_PNG:
      ok = DecodePng(data, size, &picture);
      break;
    case KX2_IMAGE_JPEG:
      ok = DecodeJpeg(data, size, &picture);
      break;
    case KX2_IMAGE_GIF:
      ok = DecodeGif(data, size, &picture);
      break;
    case KX2_IMAGE_TIFF:
      ok = DecodeTiff(data, size, &picture);
      break;
    case KX2_IMAGE_BMP:
      ok = DecodeBmp(data, size, &picture);
      break;
    default:
      break;
  }
  if (!ok) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  uint8_t* pixels = static_cast<uint8_t*>(malloc(picture.pixels.size()));
  if (!pixels) throw std::bad_alloc();
  memcpy(pixels, picture.pixels.data(), picture.pixels.size());
  *out = Kx2DecodedImage{
      pixels, picture.width, picture.height, picture.dpiX, picture.dpiY, format, picture.hasAlpha ? TRUE : FALSE};
  return true;
}

}  // namespace
}  // namespace kx2::imaging

using namespace kx2::imaging;

KX2_EXPORT int Kx2SniffImage(const uint8_t* d, size_t n) {
  if (!d) return KX2_IMAGE_UNKNOWN;
  if (n >= 8 && !memcmp(d, "\x89PNG\r\n\x1a\n", 8)) return KX2_IMAGE_PNG;
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return KX2_IMAGE_JPEG;
  if (n >= 6 && (!memcmp(d, "GIF87a", 6) || !memcmp(d, "GIF89a", 6))) return KX2_IMAGE_GIF;
  if (n >= 8 && (!memcmp(d, "II*\0", 4) || !memcmp(d, "MM\0*", 4))) return KX2_IMAGE_TIFF;
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return KX2_IMAGE_BMP;
  return KX2_IMAGE_UNKNOWN;
}

KX2_EXPORT BOOL Kx2ProbeImageSize(const uint8_t* d, size_t n, int* width, int* height) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    int w = 0, h = 0;
    bool ok = false;
    switch (Kx2SniffImage(d, n)) {
      case KX2_IMAGE_PNG:
        ok = n >= 24 && !memcmp(d + 12, "IHDR", 4);
        if (ok)
          w = int(std::min<uint32_t>(Be32(d + 16), INT32_MAX)), h = int(std::min<uint32_t>(Be32(d + 20), INT32_MAX));
        break;
      case KX2_IMAGE_JPEG:
        ok = ProbeJpeg(d, n, &w, &h);
        break;
      case KX2_IMAGE_GIF:
        ok = n >= 10;
        if (ok) w = Le16(d + 6), h = Le16(d + 8);
        break;
      case KX2_IMAGE_TIFF:
        ok = ProbeTiff(d, n, &w, &h);
        break;
      case KX2_IMAGE_BMP:
        ok = n >= 26 && Le32(d + 14) >= 40;
        if (ok) {
          const int32_t bw = int32_t(Le32(d + 18)), bh = int32_t(Le32(d + 22));
          w = bw, h = bh == INT32_MIN ? 0 : (bh < 0 ? -bh : bh);
        }
        break;
      default:
        break;
    }
    if (!ok || !SideAllowed(w) || !SideAllowed(h)) return FALSE;
    if (width) *width = w;
    if (height) *height = h;
    return TRUE;
  });
}

KX2_EXPORT BOOL Kx2DecodeImage(const uint8_t* data, size_t size, Kx2DecodedImage* out) {
  return kx2::Guard(FALSE, [&] { return data && DecodeAny(data, size, out); });
}

KX2_EXPORT BOOL Kx2DecodeImageFile(LPCWSTR path, Kx2DecodedImage* out) {
  return kx2::Guard(FALSE, [&] {
    std::vector<uint8_t> bytes;
    if (!path || !ReadWholeFile(path, &bytes)) return false;
    return DecodeAny(bytes.data(), bytes.size(), out);
  });
}

KX2_EXPORT void Kx2FreeDecodedImage(Kx2DecodedImage* image) {
  if (!image) return;
  free(image->pixels);
  image->pixels = nullptr;
}

KX2_EXPORT BOOL Kx2EncodeImageFile(LPCWSTR path, int format, const uint8_t* pixels, int width, int height,
                                   ptrdiff_t stride, BOOL withAlpha, float dpiX, float dpiY, int quality) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!path || !pixels || !SideAllowed(width) || !SideAllowed(height)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (format == KX2_IMAGE_PNG) return Kx2WritePng(path, pixels, width, height, stride, withAlpha);
    const PixelsView view{pixels, width, height, stride, withAlpha != FALSE, dpiX, dpiY, quality};
    std::vector<uint8_t> bytes;
    bool ok = false;
    switch (format) {
      case KX2_IMAGE_JPEG:
        ok = EncodeJpeg(view, &bytes);
        break;
      case KX2_IMAGE_GIF:
        ok = EncodeGif(view, &bytes);
        break;
      case KX2_IMAGE_TIFF:
        ok = EncodeTiff(view, &bytes);
        break;
      case KX2_IMAGE_BMP:
        ok = EncodeBmp(view, &bytes);
        break;
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ok) {
      SetLastError(ERROR_WRITE_FAULT);
      return FALSE;
    }
    return WriteAtomically(path, bytes) ? TRUE : FALSE;
  });
}

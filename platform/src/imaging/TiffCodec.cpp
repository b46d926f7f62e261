// TIFF through libtiff over memory: the first page read as RGBA; written as one strip of
// 8-bit RGB or RGBA with deflate compression and the resolution in inches.
//
// libtiff is opened when a TIFF is first read or written, not linked: with the codec
// libraries it loads (WebP, Zstandard, LERC, JBIG, libdeflate) it would cost every process
// start six libraries, though few processes ever meet a TIFF.
#include <dlfcn.h>
#include <tiffio.h>

#include <cstring>

#include "Codec.h"

#ifndef KX2_TIFF_LIBRARY
#define KX2_TIFF_LIBRARY "libtiff.so.6"
#endif

namespace kx2::imaging {
namespace {

// The calls this codec makes, found in libtiff when first needed; all null when it cannot
// be opened, and then no TIFF is read or written.
struct LibTiff {
  decltype(&::TIFFClientOpen) TIFFClientOpen = nullptr;
  decltype(&::TIFFClose) TIFFClose = nullptr;
  decltype(&::TIFFGetField) TIFFGetField = nullptr;
  decltype(&::TIFFGetFieldDefaulted) TIFFGetFieldDefaulted = nullptr;
  decltype(&::TIFFSetField) TIFFSetField = nullptr;
  decltype(&::TIFFReadRGBAImageOriented) TIFFReadRGBAImageOriented = nullptr;
  decltype(&::TIFFWriteScanline) TIFFWriteScanline = nullptr;
  decltype(&::TIFFWriteDirectory) TIFFWriteDirectory = nullptr;
  decltype(&::TIFFSetErrorHandler) TIFFSetErrorHandler = nullptr;
  decltype(&::TIFFSetWarningHandler) TIFFSetWarningHandler = nullptr;

  bool Usable() const { return TIFFClientOpen != nullptr; }
};

template <class F>
bool Find(void* library, const char* name, F* out) {
  *out = reinterpret_cast<F>(dlsym(library, name));
  return *out != nullptr;
}

LibTiff Open() {
  LibTiff lib;
  // Never closed: its handlers and state live as long as the process.
  void* library = dlopen(KX2_TIFF_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (!library) return lib;
  LibTiff found;
  const bool all = Find(library, "TIFFClientOpen", &found.TIFFClientOpen) &&
                   Find(library, "TIFFClose", &found.TIFFClose) && Find(library, "TIFFGetField", &found.TIFFGetField) &&
                   Find(library, "TIFFGetFieldDefaulted", &found.TIFFGetFieldDefaulted) &&
                   Find(library, "TIFFSetField", &found.TIFFSetField) &&
                   Find(library, "TIFFReadRGBAImageOriented", &found.TIFFReadRGBAImageOriented) &&
                   Find(library, "TIFFWriteScanline", &found.TIFFWriteScanline) &&
                   Find(library, "TIFFWriteDirectory", &found.TIFFWriteDirectory) &&
                   Find(library, "TIFFSetErrorHandler", &found.TIFFSetErrorHandler) &&
                   Find(library, "TIFFSetWarningHandler", &found.TIFFSetWarningHandler);
  return all ? found : lib;
}

const LibTiff& Tiff() {
  static const LibTiff lib = Open();
  return lib;
}

struct Memory {
  std::vector<uint8_t> owned;  // when writing
  const uint8_t* data = nullptr;
  size_t size = 0;
  toff_t at = 0;
  bool writing = false;
};

tmsize_t Read(thandle_t h, void* buffer, tmsize_t n) {
  Memory* m = static_cast<Memory*>(h);
  const size_t size = m->writing ? m->owned.size() : m->size;
  const uint8_t* data = m->writing ? m->owned.data() : m->data;
  if (n < 0 || m->at >= size) return 0;
  const size_t count = std::min(size_t(n), size_t(size - m->at));
  memcpy(buffer, data + m->at, count);
  m->at += count;
  return tmsize_t(count);
}

tmsize_t Write(thandle_t h, void* buffer, tmsize_t n) {
  Memory* m = static_cast<Memory*>(h);
  if (!m->writing || n < 0) return 0;
  if (m->owned.size() < m->at + size_t(n)) m->owned.resize(m->at + size_t(n));
  memcpy(m->owned.data() + m->at, buffer, size_t(n));
  m->at += toff_t(n);
  return n;
}

toff_t Seek(thandle_t h, toff_t offset, int whence) {
  Memory* m = static_cast<Memory*>(h);
  const toff_t size = m->writing ? m->owned.size() : m->size;
  toff_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? size : 0;
  m->at = base + offset;
  return m->at;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) {
  Memory* m = static_cast<Memory*>(h);
  return m->writing ? m->owned.size() : m->size;
}
int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}

void Quiet(const char*, const char*, va_list) {}

struct TiffCloser {
  TIFF* tiff;
  ~TiffCloser() {
    if (tiff) Tiff().TIFFClose(tiff);
  }
};

void Silence() {
  Tiff().TIFFSetErrorHandler(Quiet);
  Tiff().TIFFSetWarningHandler(Quiet);
}

float Dpi(TIFF* tiff, ttag_t tag) {
  const LibTiff& t = Tiff();
  float value = 0;
  uint16_t unit = RESUNIT_INCH;
  t.TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (!t.TIFFGetField(tiff, tag, &value) || !(value > 0) || value > 1e6f) return 96;
  if (unit == RESUNIT_CENTIMETER) return value * 2.54f;
  if (unit == RESUNIT_INCH) return value;
  return 96;
}

}  // namespace

bool DecodeTiff(const uint8_t* data, size_t size, Picture* out) {
  const LibTiff& t = Tiff();
  if (!t.Usable()) return false;
  Silence();
  Memory m;
  m.data = data, m.size = size;
  TiffCloser closer{t.TIFFClientOpen("memory", "rm", &m, Read, Write, Seek, Close, Size, Map, Unmap)};
  TIFF* tiff = closer.tiff;
  if (!tiff) return false;
  uint32_t w = 0, h = 0;
  t.TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
  t.TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
  if (!out->Allocate(w, h)) return false;
  std::vector<uint32_t> raster(size_t(w) * size_t(h));
  if (!t.TIFFReadRGBAImageOriented(tiff, w, h, raster.data(), ORIENTATION_TOPLEFT, 1)) return false;
  uint16_t extra = 0;
  uint16_t* kinds = nullptr;  // associated or not, the RGBA reader premultiplies
  out->hasAlpha = t.TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extra, &kinds) && extra > 0;
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = out->Row(int(y));
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t v = raster[size_t(y) * w + x];
      uint32_t a = TIFFGetA(v), r = TIFFGetR(v), g = TIFFGetG(v), b = TIFFGetB(v);
      if (out->hasAlpha && a && a < 255) {  // the RGBA reader hands colours back premultiplied
        r = std::min(255u, (r * 255 + a / 2) / a);
        g = std::min(255u, (g * 255 + a / 2) / a);
        b = std::min(255u, (b * 255 + a / 2) / a);
      }
      uint8_t* p = row + x * 4;
      p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = uint8_t(a);
    }
  }
  out->dpiX = Dpi(tiff, TIFFTAG_XRESOLUTION);
  out->dpiY = Dpi(tiff, TIFFTAG_YRESOLUTION);
  return true;
}

bool EncodeTiff(const PixelsView& in, std::vector<uint8_t>* out) {
  const LibTiff& t = Tiff();
  if (!t.Usable()) return false;
  Silence();
  Memory m;
  m.writing = true;
  TIFF* tiff = t.TIFFClientOpen("memory", "w", &m, Read, Write, Seek, Close, Size, Map, Unmap);
  if (!tiff) return false;
  const int channels = in.withAlpha ? 4 : 3;
  t.TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(in.width));
  t.TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(in.height));
  t.TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(channels));
  t.TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
  t.TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  t.TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  t.TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  t.TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(in.height));
  t.TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
  t.TIFFSetField(tiff, TIFFTAG_XRESOLUTION, in.dpiX > 0 ? in.dpiX : 96.f);
  t.TIFFSetField(tiff, TIFFTAG_YRESOLUTION, in.dpiY > 0 ? in.dpiY : 96.f);
  if (in.withAlpha) {
    uint16_t kind = EXTRASAMPLE_UNASSALPHA;
    t.TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, uint16_t(1), &kind);
  }
  std::vector<uint8_t> row(size_t(in.width) * size_t(channels));
  bool ok = true;
  for (int y = 0; ok && y < in.height; ++y) {
    const uint8_t* p = in.Row(y);
    uint8_t* o = row.data();
    for (int x = 0; x < in.width; ++x, p += 4) {
      *o++ = p[2], *o++ = p[1], *o++ = p[0];
      if (in.withAlpha) *o++ = p[3];
    }
    ok = t.TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) == 1;
  }
  ok = ok && t.TIFFWriteDirectory(tiff);
  t.TIFFClose(tiff);
  if (ok) *out = std::move(m.owned);
  return ok;
}

}  // namespace kx2::imaging

#include "Metafile.h"

#include <cmath>
#include <cstring>
#include <map>

#include <kx2/ErrorBoundary.h>
#include <kx2/ImageCodec.h>
#include <win/fileapi.h>

#include "Pixels.h"

using namespace luminar;

namespace luminar {
namespace {

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
int16_t S16(const uint8_t* p) { return int16_t(U16(p)); }
uint32_t U32(const uint8_t* p) { return uint32_t(U16(p)) | (uint32_t(U16(p + 2)) << 16); }
int32_t S32(const uint8_t* p) { return int32_t(U32(p)); }

void Put16(std::vector<uint8_t>& o, uint32_t v) { o.push_back(uint8_t(v)), o.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& o, uint32_t v) { Put16(o, v & 0xFFFF), Put16(o, v >> 16); }
void Set32(std::vector<uint8_t>& o, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) o[at + size_t(i)] = uint8_t(v >> (8 * i));
}

constexpr uint32_t kEmrHeader = 1, kEmrPolygon = 3, kEmrPolyline = 4, kEmrEof = 14, kEmrMoveTo = 27,
                   kEmrSelectObject = 37, kEmrCreatePen = 38, kEmrCreateBrush = 39, kEmrDeleteObject = 40,
                   kEmrEllipse = 42, kEmrRectangle = 43, kEmrLineTo = 54, kEmrStretchDiBits = 81, kEmrPolygon16 = 86,
                   kEmrPolyline16 = 87;
constexpr uint16_t kMetaEof = 0, kMetaSetWindowOrg = 0x020B, kMetaSetWindowExt = 0x020C, kMetaLineTo = 0x0213,
                   kMetaMoveTo = 0x0214, kMetaSelectObject = 0x012D, kMetaDeleteObject = 0x01F0, kMetaEllipse = 0x0418,
                   kMetaRectangle = 0x041B, kMetaPolygon = 0x0324, kMetaPolyline = 0x0325, kMetaCreatePen = 0x02FA,
                   kMetaCreateBrush = 0x02FC, kMetaStretchDib = 0x0F43, kMetaDibStretchBlt = 0x0B41;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;

// What the basic records draw with: GDI pens and brushes as colours (null ones skip).
struct Tool {
  bool pen = false;
  bool null = false;
  DWORD colorref = 0;
  double width = 1;
};

struct Player {
  cairo_t* cr;
  std::map<uint32_t, Tool> objects;
  Tool pen{true, false, 0, 1};
  Tool brush{false, false, 0xFFFFFF, 0};
  double x = 0, y = 0;

  void SetColor(DWORD colorref) {
    cairo_set_source_rgb(cr, (colorref & 0xFF) / 255.0, ((colorref >> 8) & 0xFF) / 255.0,
                         ((colorref >> 16) & 0xFF) / 255.0);
  }
  // Fills then outlines the current path.
  void Paint(bool fill) {
    if (fill && !brush.null) {
      SetColor(brush.colorref);
      cairo_fill_preserve(cr);
    }
    if (!pen.null) {
      SetColor(pen.colorref);
      cairo_set_line_width(cr, pen.width > 0 ? pen.width : 1);
      cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
  }
  void Select(uint32_t index) {
    if (index & 0x80000000u) {  // stock objects
      const uint32_t stock = index & 0x7FFFFFFF;
      if (stock <= 4) brush = Tool{false, false, stock == 0 ? 0xFFFFFFu : stock == 4 ? 0u : 0x808080u, 0};
      if (stock == 5) brush.null = true;
      if (stock == 6) pen = Tool{true, false, 0xFFFFFF, 1};
      if (stock == 7) pen = Tool{true, false, 0, 1};
      if (stock == 8) pen.null = true;
      return;
    }
    auto it = objects.find(index);
    if (it == objects.end()) return;
    (it->second.pen ? pen : brush) = it->second;
  }
  // Draws a packed DIB stretched into the destination rectangle.
  void Dib(const uint8_t* dib, size_t size, double dx, double dy, double dw, double dh) {
    std::vector<uint8_t> file(14 + size);
    file[0] = 'B', file[1] = 'M';
    Set32(file, 2, uint32_t(file.size()));
    Set32(file, 10, 0);  // the bits follow the header and colour table
    memcpy(file.data() + 14, dib, size);
    Kx2DecodedImage decoded;
    if (!Kx2DecodeImage(file.data(), file.size(), &decoded)) return;
    SurfacePtr s = SurfaceFromStraight(decoded.pixels, decoded.width, decoded.height, ptrdiff_t(decoded.width) * 4,
                                       decoded.hasAlpha != FALSE);
    const int w = decoded.width, h = decoded.height;
    Kx2FreeDecodedImage(&decoded);
    if (!s || dw == 0 || dh == 0) return;
    cairo_save(cr);
    cairo_translate(cr, dx, dy);
    cairo_scale(cr, dw / w, dh / h);
    cairo_set_source_surface(cr, s.get(), 0, 0);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
  }
};

DWORD CreateObjectSlot(const std::map<uint32_t, Tool>& objects) {
  uint32_t i = 0;
  while (objects.count(i)) ++i;
  return i;
}

bool PlayEmf(const uint8_t* d, size_t n, Player& p) {
  size_t at = 0;
  while (at + 8 <= n) {
    const uint32_t type = U32(d + at), size = U32(d + at + 4);
    if (size < 8 || size % 4 || size > n - at) return false;
    const uint8_t* r = d + at + 8;
    const size_t len = size - 8;
    cairo_t* cr = p.cr;
    switch (type) {
      case kEmrEof:
        return true;
      case kEmrCreatePen:
        if (len >= 20) p.objects[U32(r)] = Tool{true, (U32(r + 4) & 0xF) == 5, U32(r + 16), double(S32(r + 8))};
        break;
      case kEmrCreateBrush:
        if (len >= 16) p.objects[U32(r)] = Tool{false, U32(r + 4) == 1, U32(r + 8), 0};
        break;
      case kEmrSelectObject:
        if (len >= 4) p.Select(U32(r));
        break;
      case kEmrDeleteObject:
        if (len >= 4) p.objects.erase(U32(r));
        break;
      case kEmrMoveTo:
        if (len >= 8) p.x = S32(r), p.y = S32(r + 4);
        break;
      case kEmrLineTo:
        if (len >= 8) {
          cairo_move_to(cr, p.x, p.y);
          p.x = S32(r), p.y = S32(r + 4);
          cairo_line_to(cr, p.x, p.y);
          p.Paint(false);
        }
        break;
      case kEmrRectangle:
      case kEmrEllipse:
        if (len >= 16) {
          const double l = S32(r), t = S32(r + 4), rr = S32(r + 8), b = S32(r + 12);
          if (type == kEmrRectangle) {
            cairo_rectangle(cr, l, t, rr - l, b - t);
          } else if (rr != l && b != t) {
            cairo_save(cr);
            cairo_translate(cr, (l + rr) / 2, (t + b) / 2);
            cairo_scale(cr, (rr - l) / 2, (b - t) / 2);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
          }
          p.Paint(true);
        }
        break;
      case kEmrPolygon:
      case kEmrPolyline:
      case kEmrPolygon16:
      case kEmrPolyline16:
        if (len >= 20) {
          const bool small = type == kEmrPolygon16 || type == kEmrPolyline16;
          const uint32_t count = U32(r + 16);
          const size_t each = small ? 4 : 8;
          if (count > (len - 20) / each) return false;
          for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* q = r + 20 + i * each;
            const double px = small ? S16(q) : S32(q), py = small ? S16(q + 2) : S32(q + 4);
            i ? cairo_line_to(cr, px, py) : cairo_move_to(cr, px, py);
          }
          const bool closed = type == kEmrPolygon || type == kEmrPolygon16;
          if (closed) cairo_close_path(cr);
          p.Paint(closed);
        }
        break;
      case kEmrStretchDiBits:
        if (len >= 72) {
          const double xd = S32(r + 16), yd = S32(r + 20);
          const uint32_t offBmi = U32(r + 40), cbBmi = U32(r + 44), offBits = U32(r + 48), cbBits = U32(r + 52);
          const double cxd = S32(r + 64), cyd = S32(r + 68);
          if (offBmi < 80 || offBits < offBmi + cbBmi || offBits > size || cbBits > size - offBits) return false;
          if (offBits != offBmi + cbBmi) break;  // a gap between header and bits: not ours to guess
          p.Dib(d + at + offBmi, cbBmi + cbBits, xd, yd, cxd, cyd);
        }
        break;
      default:
        break;  // records we do not draw are skipped
    }
    at += size;
  }
  return false;  // no end record: truncated
}

bool PlayWmf(const uint8_t* d, size_t n, Player& p) {
  size_t at = 0;
  while (at + 6 <= n) {
    const uint64_t size = uint64_t(U32(d + at)) * 2;
    const uint16_t func = U16(d + at + 4);
    if (size < 6 || size > n - at) return false;
    const uint8_t* r = d + at + 6;
    const size_t len = size_t(size) - 6;
    cairo_t* cr = p.cr;
    switch (func) {
      case kMetaEof:
        return true;
      case kMetaCreatePen:
        if (len >= 10)
          p.objects[CreateObjectSlot(p.objects)] = Tool{true, (U16(r) & 0xF) == 5, U32(r + 6), double(S16(r + 2))};
        break;
      case kMetaCreateBrush:
        if (len >= 8) p.objects[CreateObjectSlot(p.objects)] = Tool{false, U16(r) == 1, U32(r + 2), 0};
        break;
      case kMetaSelectObject:
        if (len >= 2) p.Select(U16(r));
        break;
      case kMetaDeleteObject:
        if (len >= 2) p.objects.erase(U16(r));
        break;
      case kMetaMoveTo:
        if (len >= 4) p.y = S16(r), p.x = S16(r + 2);
        break;
      case kMetaLineTo:
        if (len >= 4) {
          cairo_move_to(cr, p.x, p.y);
          p.y = S16(r), p.x = S16(r + 2);
          cairo_line_to(cr, p.x, p.y);
          p.Paint(false);
        }
        break;
      case kMetaRectangle:
      case kMetaEllipse:
        if (len >= 8) {  // bottom, right, top, left
          const double b = S16(r), rr = S16(r + 2), t = S16(r + 4), l = S16(r + 6);
          if (func == kMetaRectangle) {
            cairo_rectangle(cr, l, t, rr - l, b - t);
          } else if (rr != l && b != t) {
            cairo_save(cr);
            cairo_translate(cr, (l + rr) / 2, (t + b) / 2);
            cairo_scale(cr, (rr - l) / 2, (b - t) / 2);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
          }
          p.Paint(true);
        }
        break;
      case kMetaPolygon:
      case kMetaPolyline:
        if (len >= 2) {
          const uint16_t count = U16(r);
          if (count > (len - 2) / 4) return false;
          for (uint16_t i = 0; i < count; ++i) {
            const double px = S16(r + 2 + i * 4), py = S16(r + 4 + i * 4);
            i ? cairo_line_to(cr, px, py) : cairo_move_to(cr, px, py);
          }
          if (func == kMetaPolygon) cairo_close_path(cr);
          p.Paint(func == kMetaPolygon);
        }
        break;
      case kMetaStretchDib:
        if (len >= 22) {  // rop(4) usage srcH srcW ySrc xSrc dstH dstW yDst xDst, DIB
          const double dh = S16(r + 14), dw = S16(r + 16), yd = S16(r + 18), xd = S16(r + 20);
          p.Dib(r + 22, len - 22, xd, yd, dw, dh);
        }
        break;
      case kMetaDibStretchBlt:
        if (len >= 20) {  // rop(4) srcH srcW ySrc xSrc dstH dstW yDst xDst, DIB
          const double dh = S16(r + 12), dw = S16(r + 14), yd = S16(r + 16), xd = S16(r + 18);
          p.Dib(r + 20, len - 20, xd, yd, dw, dh);
        }
        break;
      default:
        break;
    }
    at += size_t(size);
  }
  return false;
}

bool MakeRecording(Image* img, int width, int height, float dpiX, float dpiY) {
  if (width <= 0 || height <= 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) return false;
  const cairo_rectangle_t extents{0, 0, double(width), double(height)};
  SurfacePtr s(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return false;
  img->Reset();
  img->surface = std::move(s);
  img->type = 2;
  img->width = width, img->height = height;
  img->dpiX = dpiX, img->dpiY = dpiY;
  return true;
}

bool LoadEmf(Image* img, const uint8_t* d, size_t n) {
  if (n < 88 || U32(d) != kEmrHeader || U32(d + 40) != 0x464D4520u) return false;
  const int32_t l = S32(d + 8), t = S32(d + 12), r = S32(d + 16), b = S32(d + 20);
  const long long w = (long long)r - l + 1, h = (long long)b - t + 1;
  if (w <= 0 || h <= 0 || w > KX2_IMAGE_MAX_SIDE || h > KX2_IMAGE_MAX_SIDE) return false;
  float dpiX = 96, dpiY = 96;
  const int32_t devX = S32(d + 72), devY = S32(d + 76), mmX = S32(d + 80), mmY = S32(d + 84);
  if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) dpiX = float(devX * 25.4 / mmX), dpiY = float(devY * 25.4 / mmY);
  Image scratch;
  if (!MakeRecording(&scratch, int(w), int(h), dpiX, dpiY)) return false;
  ContextPtr cr(cairo_create(scratch.surface.get()));
  cairo_translate(cr.get(), -l, -t);
  Player player{cr.get()};
  if (!PlayEmf(d, n, player)) return false;
  cr.reset();
  return MakeRecording(img, int(w), int(h), dpiX, dpiY) && (img->surface = std::move(scratch.surface), true);
}

bool LoadWmf(Image* img, const uint8_t* d, size_t n) {
  double scale = 1, left = 0, top = 0;
  long long w = 0, h = 0;
  size_t at = 0;
  if (n >= 22 && U32(d) == kPlaceableKey) {
    const int16_t l = S16(d + 6), t = S16(d + 8), r = S16(d + 10), b = S16(d + 12);
    const uint16_t inch = U16(d + 14);
    if (!inch) return false;
    scale = 96.0 / inch, left = l, top = t;
    w = std::llround((r - l) * scale), h = std::llround((b - t) * scale);
    at = 22;
  }
  if (n - at < 18 || (U16(d + at) != 1 && U16(d + at) != 2) || U16(d + at + 2) != 9) return false;
  const uint8_t* records = d + at + 18;
  const size_t length = n - at - 18;
  if (!w || !h) {  // no placeable header: the window origin and extent size the picture
    size_t k = 0;
    bool sized = false;
    while (k + 10 <= length) {
      const uint64_t size = uint64_t(U32(records + k)) * 2;
      if (size < 6 || size > length - k) return false;
      const uint16_t func = U16(records + k + 4);
      if (func == kMetaSetWindowExt && size >= 10) h = S16(records + k + 6), w = S16(records + k + 8), sized = true;
      if (func == kMetaSetWindowOrg && size >= 10) top = S16(records + k + 6), left = S16(records + k + 8);
      if (func == kMetaEof) break;
      k += size_t(size);
    }
    if (!sized) return false;
  }
  if (w < 0) w = -w;
  if (h < 0) h = -h;
  if (w <= 0 || h <= 0 || w > KX2_IMAGE_MAX_SIDE || h > KX2_IMAGE_MAX_SIDE) return false;
  Image scratch;
  if (!MakeRecording(&scratch, int(w), int(h), 96, 96)) return false;
  ContextPtr cr(cairo_create(scratch.surface.get()));
  cairo_scale(cr.get(), scale, scale);
  cairo_translate(cr.get(), -left, -top);
  Player player{cr.get()};
  if (!PlayWmf(records, length, player)) return false;
  cr.reset();
  return MakeRecording(img, int(w), int(h), 96, 96) && (img->surface = std::move(scratch.surface), true);
}

// A packed DIB of the picture: 40-byte header, 32-bit bottom-up rows. Metafile readers
// take raster records as opaque, so the picture is composited over white first.
std::vector<uint8_t> PackedDib(const Image& img) {
  SurfacePtr raster = RasterOf(img);
  std::vector<uint8_t> o;
  if (!raster) return o;
  SurfacePtr flat = NewImageSurface(img.width, img.height);
  if (!flat) return o;
  ContextPtr cr(cairo_create(flat.get()));
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  cairo_set_source_surface(cr.get(), raster.get(), 0, 0);
  cairo_paint(cr.get());
  cr.reset();
  const std::vector<uint8_t> px = StraightPixels(flat.get());
  Put32(o, 40), Put32(o, uint32_t(img.width)), Put32(o, uint32_t(img.height));
  Put16(o, 1), Put16(o, 32), Put32(o, 0), Put32(o, uint32_t(img.width * img.height * 4));
  Put32(o, Kx2PelsPerMeter(img.dpiX)), Put32(o, Kx2PelsPerMeter(img.dpiY)), Put32(o, 0), Put32(o, 0);
  for (int y = img.height - 1; y >= 0; --y)
    o.insert(o.end(), px.begin() + ptrdiff_t(y) * img.width * 4, px.begin() + ptrdiff_t(y + 1) * img.width * 4);
  return o;
}

std::vector<uint8_t> EmfBytes(const Image& img, const std::vector<uint8_t>& dib) {
  std::vector<uint8_t> o;
  const int w = img.width, h = img.height;
  const double mmPerPixelX = 25.4 / img.dpiX, mmPerPixelY = 25.4 / img.dpiY;
  // Header: bounds in pixels, frame in 0.01 mm, the reference device at the picture's DPI.
  Put32(o, kEmrHeader), Put32(o, 108);
  Put32(o, 0), Put32(o, 0), Put32(o, uint32_t(w - 1)), Put32(o, uint32_t(h - 1));
  Put32(o, 0), Put32(o, 0), Put32(o, uint32_t(std::lround(w * mmPerPixelX * 100) - 1)),
      Put32(o, uint32_t(std::lround(h * mmPerPixelY * 100) - 1));
  Put32(o, 0x464D4520u), Put32(o, 0x10000), Put32(o, 0 /* bytes, set below */), Put32(o, 3);
  Put16(o, 1), Put16(o, 0), Put32(o, 0), Put32(o, 0), Put32(o, 0);
  const int32_t devX = 1024, devY = 768;
  Put32(o, uint32_t(devX)), Put32(o, uint32_t(devY));
  Put32(o, uint32_t(std::lround(devX * mmPerPixelX))), Put32(o, uint32_t(std::lround(devY * mmPerPixelY)));
  Put32(o, 0), Put32(o, 0), Put32(o, 0);
  Put32(o, uint32_t(std::lround(devX * mmPerPixelX * 1000))),
      Put32(o, uint32_t(std::lround(devY * mmPerPixelY * 1000)));
  // The raster record.
  const uint32_t bits = uint32_t(dib.size() - 40);
  Put32(o, kEmrStretchDiBits), Put32(o, uint32_t(80 + dib.size()));
  Put32(o, 0), Put32(o, 0), Put32(o, uint32_t(w - 1)), Put32(o, uint32_t(h - 1));
  Put32(o, 0), Put32(o, 0), Put32(o, 0), Put32(o, 0), Put32(o, uint32_t(w)), Put32(o, uint32_t(h));
  Put32(o, 80), Put32(o, 40), Put32(o, 120), Put32(o, bits);
  Put32(o, 0 /* DIB_RGB_COLORS */), Put32(o, 0x00CC0020 /* SRCCOPY */), Put32(o, uint32_t(w)), Put32(o, uint32_t(h));
  o.insert(o.end(), dib.begin(), dib.end());
  // The end record.
  Put32(o, kEmrEof), Put32(o, 20), Put32(o, 0), Put32(o, 16), Put32(o, 20);
  Set32(o, 48, uint32_t(o.size()));
  return o;
}

std::vector<uint8_t> WmfBytes(const Image& img, const std::vector<uint8_t>& dib) {
  std::vector<uint8_t> o;
  const int w = img.width, h = img.height;
  // Placeable header: the box in logical units at 96 per inch, so one unit is one pixel.
  Put32(o, kPlaceableKey), Put16(o, 0);
  Put16(o, 0), Put16(o, 0), Put16(o, uint32_t(w)), Put16(o, uint32_t(h));
  Put16(o, 96), Put32(o, 0);
  uint16_t checksum = 0;
  for (int i = 0; i < 10; ++i) checksum ^= U16(o.data() + i * 2);
  Put16(o, checksum);
  const uint32_t rasterWords = uint32_t((6 + 22 + dib.size()) / 2);
  const uint32_t totalWords = 9 + rasterWords + 3;
  Put16(o, 1), Put16(o, 9), Put16(o, 0x0300), Put32(o, totalWords), Put16(o, 0), Put32(o, rasterWords), Put16(o, 0);
  Put32(o, rasterWords), Put16(o, kMetaStretchDib);
  Put32(o, 0x00CC0020), Put16(o, 0);
  Put16(o, uint32_t(h)), Put16(o, uint32_t(w)), Put16(o, 0), Put16(o, 0);
  Put16(o, uint32_t(h)), Put16(o, uint32_t(w)), Put16(o, 0), Put16(o, 0);
  o.insert(o.end(), dib.begin(), dib.end());
  Put32(o, 3), Put16(o, kMetaEof);
  return o;
}

}  // namespace

void RecordingBounds(const Image& img, double* x, double* y, double* w, double* h) {
  *x = img.originX, *y = img.originY;
  *w = img.width > 0 ? img.width : 1, *h = img.height > 0 ? img.height : 1;
}

bool LoadMetafile(Image* img, const uint8_t* data, size_t size) {
  return LoadEmf(img, data, size) || LoadWmf(img, data, size);
}

bool SaveMetafile(const Image& img, LPCWSTR path, bool enhanced) {
  // WMF coordinates are 16-bit.
  if (img.width <= 0 || img.height <= 0 || (!enhanced && (img.width > 32767 || img.height > 32767))) return false;
  const std::vector<uint8_t> dib = PackedDib(img);
  if (dib.empty()) return false;
  const std::vector<uint8_t> bytes = enhanced ? EmfBytes(img, dib) : WmfBytes(img, dib);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

}  // namespace luminar

LUMINAR_API BOOL NativeMetafileRecordMetafile(NativeImage image, HDC hdc, const NativeRectF* rect) {
  return kx2::Guard(FALSE, [&] {
    Image* img = As<Image>(image, kLuminarImage);
    if (!img || !rect || !Finite(rect->x) || !Finite(rect->y) || !Finite(rect->width) || !Finite(rect->height))
      return false;
    const int w = int(std::ceil(rect->width)), h = int(std::ceil(rect->height));
    if (w <= 0 || h <= 0 || w > KX2_IMAGE_MAX_SIDE || h > KX2_IMAGE_MAX_SIDE) return false;
    float dpiX = 96, dpiY = 96;
    if (hdc) {
      const int dx = GetDeviceCaps(hdc, LOGPIXELSX), dy = GetDeviceCaps(hdc, LOGPIXELSY);
      if (dx > 0 && dy > 0) dpiX = float(dx), dpiY = float(dy);
    }
    // The recording covers the rectangle in the caller's coordinates.
    const cairo_rectangle_t extents{rect->x, rect->y, rect->width, rect->height};
    SurfacePtr s(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return false;
    img->Reset();
    img->surface = std::move(s);
    img->type = 2;
    img->width = w, img->height = h;
    img->originX = rect->x, img->originY = rect->y;
    img->dpiX = dpiX, img->dpiY = dpiY;
    return true;
  });
}

// The GDI handle table, live counts, stock objects, and the calls common to every object:
// DeleteObject, GetObjectW, GetObjectType, GetStockObject, SelectObject, GetCurrentObject.
#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include <kx2/ErrorBoundary.h>
#include <kx2/GdiCairo.h>
#include <win/kernel.h>

#include "Dc.h"
#include "Font.h"

namespace kx2::gdi {
namespace {

constexpr int kKinds = 16;
std::atomic<long> g_live[kKinds];

struct Table {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
  // Far above the kernel table's values, so a GDI handle never names a kernel object.
  uintptr_t next = uintptr_t{1} << 40;
};

Table& Objects() {
  static Table* table = new Table;  // outlives static destructors that free objects
  return *table;
}

}  // namespace

GdiObject::GdiObject(DWORD t) : type(t) { g_live[t % kKinds].fetch_add(1, std::memory_order_relaxed); }
GdiObject::~GdiObject() { g_live[type % kKinds].fetch_sub(1, std::memory_order_relaxed); }

HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object) {
  Table& t = Objects();
  std::lock_guard<std::mutex> guard(t.lock);
  const uintptr_t value = t.next;
  t.next += 4;
  object->handle = reinterpret_cast<HGDIOBJ>(value);
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HGDIOBJ>(value);
}

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle) {
  if (!handle) return nullptr;
  Table& t = Objects();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveObject(HGDIOBJ handle) {
  std::shared_ptr<GdiObject> doomed;  // freed outside the lock
  Table& t = Objects();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  doomed = std::move(it->second);
  t.objects.erase(it);
  return true;
}

long LiveObjects(DWORD type) { return g_live[type % kKinds].load(std::memory_order_relaxed); }

std::shared_ptr<Dc> LookupDc(HDC hdc) { return LookupAs<Dc>(hdc); }

namespace {

template <class T>
std::shared_ptr<T> MakeStock(std::shared_ptr<T> object) {
  object->stock = true;
  InsertObject(object);
  return object;
}

struct Stock {
  std::shared_ptr<Brush> brushes[6];
  std::shared_ptr<Pen> pens[3];
  std::shared_ptr<Brush> dcBrush;
  std::shared_ptr<Pen> dcPen;
  std::shared_ptr<Bitmap> bitmap;

  Stock() {
    const COLORREF greys[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0};
    for (int i = 0; i < 6; ++i) {
      auto b = std::make_shared<Brush>();
      if (i < 5)
        b->color = greys[i];
      else
        b->style = BS_NULL;
      brushes[i] = MakeStock(b);
    }
    const COLORREF penColours[3] = {0xFFFFFF, 0, 0};
    for (int i = 0; i < 3; ++i) {
      auto p = std::make_shared<Pen>();
      p->color = penColours[i];
      if (i == 2) p->style = PS_NULL;
      pens[i] = MakeStock(p);
    }
    dcBrush = MakeStock(std::make_shared<Brush>());
    dcBrush->color = 0xFFFFFF;
    dcPen = MakeStock(std::make_shared<Pen>());
    auto b = std::make_shared<Bitmap>();
    b->Allocate(1, 1, 1);
    b->own[0] = 0;
    bitmap = MakeStock(b);
  }
};

Stock& Stocks() {
  static Stock* stock = new Stock;
  return *stock;
}

}  // namespace

std::shared_ptr<Pen> StockPen(int index) { return Stocks().pens[index - WHITE_PEN]; }
std::shared_ptr<Brush> StockBrush(int index) { return Stocks().brushes[index]; }
std::shared_ptr<Bitmap> DefaultBitmap() { return Stocks().bitmap; }

bool SelectBitmap(Dc& dc, std::shared_ptr<Bitmap> bitmap) {
  if (bitmap.get() == dc.state.bitmap.get()) return true;
  if (!bitmap->stock && bitmap->selectedIn && bitmap->selectedIn != &dc) return false;
  if (dc.state.bitmap && dc.state.bitmap->selectedIn == &dc) dc.state.bitmap->selectedIn = nullptr;
  if (!bitmap->stock) bitmap->selectedIn = &dc;
  dc.state.bitmap = std::move(bitmap);
  return true;
}

}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT BOOL DeleteObject(HGDIOBJ ho) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto object = LookupObject(ho);
    if (!object || object->type == OBJ_DC || object->type == OBJ_MEMDC) return BadHandle(FALSE);
    if (object->stock) return TRUE;
    // A selected object lives on through its DC's reference until it is deselected.
    RemoveObject(ho);
    return TRUE;
  });
}

KX2_EXPORT DWORD GetObjectType(HGDIOBJ h) {
  auto object = LookupObject(h);
  if (!object) return BadHandle(0u);
  return object->type;
}

KX2_EXPORT int GetObjectW(HANDLE h, int c, LPVOID pv) {
  return kx2::Guard(0, [&]() -> int {
    auto object = LookupObject(h);
    if (!object) return BadHandle(0);
    auto copy = [&](const void* record, int size) -> int {
      if (!pv) return size;
      if (c <= 0) return 0;
      const int n = c < size ? c : size;
      std::memcpy(pv, record, static_cast<size_t>(n));
      return n;
    };
    switch (object->type) {
      case OBJ_BITMAP: {
        auto* b = static_cast<Bitmap*>(object.get());
        DIBSECTION ds{};
        ds.dsBm.bmWidth = b->width;
        ds.dsBm.bmHeight = b->height;
        ds.dsBm.bmPlanes = 1;
        if (b->IsDibSection()) {
          ds.dsBm.bmBitsPixel = static_cast<WORD>(b->dib.bitCount);
          ds.dsBm.bmWidthBytes = static_cast<LONG>(b->dib.stride);
          ds.dsBm.bmBits = b->dibBits;
          ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
          ds.dsBmih.biWidth = b->width;
          ds.dsBmih.biHeight = b->dib.topDown ? -b->height : b->height;
          ds.dsBmih.biPlanes = 1;
          ds.dsBmih.biBitCount = static_cast<WORD>(b->dib.bitCount);
          ds.dsBmih.biCompression = b->dib.compression;
          ds.dsBmih.biSizeImage = static_cast<DWORD>(b->dib.stride * static_cast<size_t>(b->height));
          ds.dsBmih.biClrUsed = static_cast<DWORD>(b->dib.colours.size());
          for (int i = 0; i < 3; ++i) ds.dsBitfields[i] = b->dib.masks[i];
          if (!pv) return c >= static_cast<int>(sizeof(DIBSECTION)) ? sizeof(DIBSECTION) : sizeof(BITMAP);
          if (c >= static_cast<int>(sizeof(DIBSECTION))) return copy(&ds, sizeof ds);
        } else {
          ds.dsBm.bmBitsPixel = static_cast<WORD>(b->bitsPixel);
          ds.dsBm.bmWidthBytes = ((b->width * b->bitsPixel + 15) / 16) * 2;
        }
        if (pv && c < static_cast<int>(sizeof(BITMAP))) return 0;
        return copy(&ds.dsBm, sizeof(BITMAP));
      }
      case OBJ_PEN: {
        auto* p = static_cast<Pen*>(object.get());
        LOGPEN lp{p->style, POINT{p->width, 0}, p->color};
        return copy(&lp, sizeof lp);
      }
      case OBJ_BRUSH: {
        auto* b = static_cast<Brush*>(object.get());
        LOGBRUSH lb{b->style, b->color, static_cast<ULONG_PTR>(b->hatch)};
        return copy(&lb, sizeof lb);
      }
      case OBJ_FONT:
        return copy(&static_cast<Font*>(object.get())->logfont, sizeof(LOGFONTW));
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
  });
}

KX2_EXPORT HGDIOBJ GetStockObject(int i) {
  return kx2::Guard(HGDIOBJ{}, [&]() -> HGDIOBJ {
    Stock& s = Stocks();
    if (i >= WHITE_BRUSH && i <= NULL_BRUSH) return s.brushes[i]->handle;
    if (i >= WHITE_PEN && i <= NULL_PEN) return s.pens[i - WHITE_PEN]->handle;
    if (i == DC_BRUSH) return s.dcBrush->handle;
    if (i == DC_PEN) return s.dcPen->handle;
    auto font = StockFont(i);
    if (font) return font->handle;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  });
}

KX2_EXPORT HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  return kx2::Guard(HGDIOBJ{}, [&]() -> HGDIOBJ {
    auto dc = LookupDc(hdc);
    auto object = LookupObject(h);
    if (!dc || !object) return BadHandle(HGDIOBJ{});
    HGDIOBJ old = nullptr;
    switch (object->type) {
      case OBJ_PEN:
        old = dc->state.pen->handle;
        dc->state.pen = std::static_pointer_cast<Pen>(object);
        return old;
      case OBJ_BRUSH:
        old = dc->state.brush->handle;
        dc->state.brush = std::static_pointer_cast<Brush>(object);
        return old;
      case OBJ_FONT:
        old = dc->state.font->handle;
        dc->state.font = std::static_pointer_cast<Font>(object);
        return old;
      case OBJ_BITMAP:
        if (dc->type != OBJ_MEMDC || dc->outside) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return nullptr;
        }
        old = dc->state.bitmap->handle;
        if (!SelectBitmap(*dc, std::static_pointer_cast<Bitmap>(object))) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return nullptr;
        }
        return old;
      case OBJ_REGION:
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(SelectClipRgn(hdc, h)));
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
  });
}

KX2_EXPORT HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  auto dc = LookupDc(hdc);
  if (!dc) return BadHandle(HGDIOBJ{});
  switch (type) {
    case OBJ_PEN:
      return dc->state.pen->handle;
    case OBJ_BRUSH:
      return dc->state.brush->handle;
    case OBJ_FONT:
      return dc->state.font->handle;
    case OBJ_BITMAP:
      return dc->state.bitmap ? dc->state.bitmap->handle : nullptr;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

KX2_EXPORT LONG Kx2GdiLiveObjects(DWORD type) {
  // Stock objects are made before counting, so that a count taken before first use
  // matches one taken after.
  kx2::Guard([] {
    Stocks();
    StockFont(SYSTEM_FONT);
  });
  return static_cast<LONG>(LiveObjects(type));
}

KX2_EXPORT BOOL GdiFlush() { return TRUE; }

// CDC and its window DCs, CGdiObject with CPen, CBrush, CFont and CRgn, and
// CResourceException: thin owners of GDI handles that pass every call to GDI.
#include <win/afx.h>

#include <memory>
#include <unordered_map>

#include "win/gdi.h"
#include "win/nls.h"

namespace {

// Temporary GDI objects for handles, per thread; they never own their handles.
struct GdiTempMap {
  std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>> objects;
  void Clear() {
    for (auto& [h, object] : objects) object->Detach();
    objects.clear();
  }
  GdiTempMap() = default;
  GdiTempMap(const GdiTempMap&) = delete;
  GdiTempMap& operator=(const GdiTempMap&) = delete;
  ~GdiTempMap() { Clear(); }
};

thread_local GdiTempMap t_gdi;

template <class T>
T* Temporary(HGDIOBJ handle) {
  if (!handle) return nullptr;
  auto& slot = t_gdi.objects[handle];
  if (auto* typed = dynamic_cast<T*>(slot.get())) return typed;
  if (slot) slot->Detach();
  auto made = std::make_unique<T>();
  made->m_hObject = handle;
  T* result = made.get();
  slot = std::move(made);
  return result;
}

template <class T>
BOOL Keep(T* object, HGDIOBJ handle) {
  if (!handle) return FALSE;
  object->DeleteObject();
  object->m_hObject = handle;
  return TRUE;
}

HGDIOBJ HandleOf(const CGdiObject* object) { return object ? object->m_hObject : nullptr; }

}  // namespace

// ---- Exceptions ------------------------------------------------------------------------------

BOOL CResourceException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  if (!buffer || maxChars == 0) return FALSE;
  const char16_t text[] = u"A required resource was unavailable.";
  UINT i = 0;
  for (; i + 1 < maxChars && text[i]; ++i) buffer[i] = text[i];
  buffer[i] = 0;
  return TRUE;
}

void AfxThrowResourceException() { throw static_cast<CException*>(new CResourceException()); }

// ---- CGdiObject and its kinds --------------------------------------------------------------------

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) { return Temporary<CGdiObject>(object); }
void CGdiObject::DeleteTempMap() { t_gdi.Clear(); }

int CGdiObject::GetObject(int count, LPVOID buffer) const { return ::GetObjectW(m_hObject, count, buffer); }
UINT CGdiObject::GetObjectType() const { return m_hObject ? ::GetObjectType(m_hObject) : 0; }
BOOL CGdiObject::CreateStockObject(int index) { return Keep(this, ::GetStockObject(index)); }

CPen::CPen(int style, int width, COLORREF colour) {
  if (!CreatePen(style, width, colour)) AfxThrowResourceException();
}
CPen* CPen::FromHandle(HPEN pen) { return Temporary<CPen>(pen); }
BOOL CPen::CreatePen(int style, int width, COLORREF colour) { return Keep(this, ::CreatePen(style, width, colour)); }
BOOL CPen::CreatePenIndirect(const LOGPEN* logPen) { return Keep(this, ::CreatePenIndirect(logPen)); }

CBrush::CBrush(COLORREF colour) {
  if (!CreateSolidBrush(colour)) AfxThrowResourceException();
}
CBrush::CBrush(int hatch, COLORREF colour) {
  if (!CreateHatchBrush(hatch, colour)) AfxThrowResourceException();
}
CBrush* CBrush::FromHandle(HBRUSH brush) { return Temporary<CBrush>(brush); }
BOOL CBrush::CreateSolidBrush(COLORREF colour) { return Keep(this, ::CreateSolidBrush(colour)); }
BOOL CBrush::CreateHatchBrush(int hatch, COLORREF colour) { return Keep(this, ::CreateHatchBrush(hatch, colour)); }
BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush) { return Keep(this, ::CreateBrushIndirect(logBrush)); }
BOOL CBrush::CreateSysColorBrush(int index) { return Keep(this, ::GetSysColorBrush(index)); }

CFont* CFont::FromHandle(HFONT font) { return Temporary<CFont>(font); }
BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont) { return Keep(this, ::CreateFontIndirectW(logFont)); }
BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, LPCWSTR faceName) {
  return Keep(this, ::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                  outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}
BOOL CFont::CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc) {
  HDC screen = dc ? nullptr : ::GetDC(nullptr);
  HDC target = dc ? dc->m_hAttribDC : screen;
  // Tenths of a point to pixels of the DC's vertical resolution, as a character height.
  const int height = -MulDiv(pointSize, ::GetDeviceCaps(target, LOGPIXELSY), 720);
  if (screen) ::ReleaseDC(nullptr, screen);
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  if (faceName)
    for (int i = 0; i < LF_FACESIZE - 1 && faceName[i]; ++i) lf.lfFaceName[i] = faceName[i];
  return CreateFontIndirect(&lf);
}
int CFont::GetLogFont(LOGFONTW* logFont) const { return GetObject(sizeof(LOGFONTW), logFont); }

CRgn* CRgn::FromHandle(HRGN region) { return Temporary<CRgn>(region); }
BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) { return Keep(this, ::CreateRectRgn(x1, y1, x2, y2)); }
BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) { return Keep(this, ::CreateRectRgnIndirect(rect)); }
BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2) { return Keep(this, ::CreateEllipticRgn(x1, y1, x2, y2)); }
BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
  return Keep(this, ::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}
BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  return Keep(this, ::CreatePolygonRgn(points, count, fillMode));
}
int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
  return ::CombineRgn(*this, static_cast<HRGN>(HandleOf(a)), static_cast<HRGN>(HandleOf(b)), mode);
}
int CRgn::CopyRgn(const CRgn* source) {
  return ::CombineRgn(*this, static_cast<HRGN>(HandleOf(source)), nullptr, RGN_COPY);
}
BOOL CRgn::EqualRgn(const CRgn* other) const { return ::EqualRgn(*this, static_cast<HRGN>(HandleOf(other))); }
int CRgn::OffsetRgn(int x, int y) { return ::OffsetRgn(*this, x, y); }
int CRgn::GetRgnBox(LPRECT rect) const { return ::GetRgnBox(*this, rect); }
BOOL CRgn::PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
BOOL CRgn::RectInRegion(LPCRECT rect) const { return ::RectInRegion(*this, rect); }
void CRgn::SetRectRgn(int x1, int y1, int x2, int y2) { ::SetRectRgn(*this, x1, y1, x2, y2); }

// ---- CDC ----------------------------------------------------------------------------------------

CDC::~CDC() = default;

CGdiObject* CDC::SelectStockObject(int index) {
  return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index)));
}

CPoint CDC::SetViewportOrg(int x, int y) {
  POINT old{};
  ::SetViewportOrgEx(m_hDC, x, y, &old);
  return CPoint(old.x, old.y);
}
CPoint CDC::OffsetViewportOrg(int x, int y) {
  POINT old{};
  ::OffsetViewportOrgEx(m_hDC, x, y, &old);
  return CPoint(old.x, old.y);
}
CPoint CDC::SetWindowOrg(int x, int y) {
  POINT old{};
  ::SetWindowOrgEx(m_hDC, x, y, &old);
  return CPoint(old.x, old.y);
}

CPoint CDC::MoveTo(int x, int y) {
  POINT old{};
  ::MoveToEx(m_hDC, x, y, &old);
  return CPoint(old.x, old.y);
}

// A solid rectangle in a colour, drawn with the background colour as MFC does (the DC's
// background colour is left changed).
void CDC::FillSolidRect(LPCRECT rect, COLORREF colour) {
  ::SetBkColor(m_hDC, colour);
  ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}
void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
  const RECT r{x, y, x + cx, y + cy};
  FillSolidRect(&r, colour);
}
void CDC::Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight) {
  Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, topLeft, bottomRight);
}
void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
  FillSolidRect(x, y, cx - 1, 1, topLeft);
  FillSolidRect(x, y, 1, cy - 1, topLeft);
  FillSolidRect(x + cx, y, -1, cy, bottomRight);
  FillSolidRect(x, y + cy, cx, -1, bottomRight);
}
BOOL CDC::DrawState(CPoint at, CSize size, HBITMAP bitmap, UINT flags, HBRUSH brush) {
  return ::DrawStateW(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, at.x, at.y, size.cx, size.cy,
                      flags | DST_BITMAP);
}
BOOL CDC::DrawState(CPoint at, CSize size, LPCWSTR text, UINT flags, BOOL prefixText, int length, HBRUSH brush) {
  return ::DrawStateW(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(text), static_cast<WPARAM>(length), at.x, at.y,
                      size.cx, size.cy, flags | (prefixText ? DST_PREFIXTEXT : DST_TEXT));
}

CSize CDC::GetTextExtent(LPCWSTR text, int count) const {
  SIZE size{};
  ::GetTextExtentPoint32W(m_hAttribDC, text, count, &size);
  return CSize(size.cx, size.cy);
}
CSize CDC::GetTabbedTextExtent(LPCWSTR text, int count, int tabPositions, const INT* tabStops) const {
  const DWORD extent = ::GetTabbedTextExtentW(m_hAttribDC, text, count, tabPositions, tabStops);
  return CSize(LOWORD(extent), HIWORD(extent));
}
BOOL CDC::GetTextMetrics(LPTEXTMETRICW metrics) const { return ::GetTextMetricsW(m_hAttribDC, metrics); }

BOOL CDC::PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
BOOL CDC::RectVisible(LPCRECT rect) const { return ::RectVisible(m_hDC, rect); }
BOOL CDC::TextOut(int x, int y, LPCWSTR text, int count) { return ::TextOutW(m_hDC, x, y, text, count); }
BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT count, const INT* widths) {
  return ::ExtTextOutW(m_hDC, x, y, options, rect, text, count, widths);
}
CSize CDC::TabbedTextOut(int x, int y, LPCWSTR text, int count, int tabPositions, const INT* tabStops, int tabOrigin) {
  const LONG extent = ::TabbedTextOutW(m_hDC, x, y, text, count, tabPositions, tabStops, tabOrigin);
  return CSize(LOWORD(extent), HIWORD(extent));
}
int CDC::DrawText(LPCWSTR text, int count, LPRECT rect, UINT format) {
  return ::DrawTextW(m_hDC, text, count, rect, format);
}
int CDC::DrawTextEx(LPWSTR text, int count, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
  return ::DrawTextExW(m_hDC, text, count, rect, format, params);
}
BOOL CDC::GrayString(CBrush* brush, GRAYSTRINGPROC output, LPARAM data, int count, int x, int y, int width,
                     int height) {
  return ::GrayStringW(m_hDC, static_cast<HBRUSH>(HandleOf(brush)), output, data, count, x, y, width, height);
}
int CDC::Escape(int escape, int inputSize, LPCSTR input, LPVOID output) {
  return ::Escape(m_hDC, escape, inputSize, input, output);
}

// ---- Window DCs -------------------------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : nullptr) {
  HDC dc = ::BeginPaint(m_hWnd, &m_ps);
  if (!dc) AfxThrowResourceException();
  Attach(dc);
}

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
  Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : nullptr) {
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) AfxThrowResourceException();
  Attach(dc);
}

CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : nullptr) {
  HDC dc = ::GetWindowDC(m_hWnd);
  if (!dc) AfxThrowResourceException();
  Attach(dc);
}

CWindowDC::~CWindowDC() { ::ReleaseDC(m_hWnd, Detach()); }

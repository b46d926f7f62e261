// MFC's device contexts and GDI objects (include win/afx.h): CDC with the drawing, text and
// visibility calls (the text and visibility ones virtual, so that a DC class can send them
// elsewhere), CPaintDC, CClientDC and CWindowDC for a window, and CGdiObject with CPen,
// CBrush, CFont and CRgn. Objects own their handles and free them when destroyed.
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/types.h"
#include "win/user.h"

#ifndef KX2_AFX_API
#define KX2_AFX_API __attribute__((visibility("default")))
#endif

class CWnd;
class CDC;

class KX2_AFX_API CPen : public CGdiObject {
 public:
  CPen() = default;
  // Raises CResourceException when the pen cannot be made.
  CPen(int style, int width, COLORREF colour);
  static CPen* FromHandle(HPEN pen);
  BOOL CreatePen(int style, int width, COLORREF colour);
  BOOL CreatePenIndirect(const LOGPEN* logPen);
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }  // NOLINT
};

class KX2_AFX_API CBrush : public CGdiObject {
 public:
  CBrush() = default;
  // Raise CResourceException when the brush cannot be made.
  explicit CBrush(COLORREF colour);
  CBrush(int hatch, COLORREF colour);
  static CBrush* FromHandle(HBRUSH brush);
  BOOL CreateSolidBrush(COLORREF colour);
  BOOL CreateHatchBrush(int hatch, COLORREF colour);
  BOOL CreateBrushIndirect(const LOGBRUSH* logBrush);
  // The shared system-colour brush: held, never deleted.
  BOOL CreateSysColorBrush(int index);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }  // NOLINT
};

class KX2_AFX_API CFont : public CGdiObject {
 public:
  static CFont* FromHandle(HFONT font);
  BOOL CreateFontIndirect(const LOGFONTW* logFont);
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, LPCWSTR faceName);
  // A height in tenths of a point, for the DC given (the screen when null).
  BOOL CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc = nullptr);
  int GetLogFont(LOGFONTW* logFont) const;
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }  // NOLINT
};

class KX2_AFX_API CRgn : public CGdiObject {
 public:
  static CRgn* FromHandle(HRGN region);
  BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
  BOOL CreateRectRgnIndirect(LPCRECT rect);
  BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2);
  BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
  BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode);
  int CombineRgn(const CRgn* a, const CRgn* b, int mode);
  int CopyRgn(const CRgn* source);
  BOOL EqualRgn(const CRgn* other) const;
  int OffsetRgn(int x, int y);
  int GetRgnBox(LPRECT rect) const;
  BOOL PtInRegion(int x, int y) const;
  BOOL RectInRegion(LPCRECT rect) const;
  void SetRectRgn(int x1, int y1, int x2, int y2);
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }  // NOLINT
};

// Raised by the GDI classes when a handle cannot be made, and by CPaintDC when painting
// cannot begin.
class KX2_AFX_API CResourceException : public CException {
 public:
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
};
[[noreturn]] KX2_AFX_API void AfxThrowResourceException();

class KX2_AFX_API CDC : public CObject {
 public:
  CDC() = default;
  ~CDC() override;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // A temporary object for a handle, kept per thread until DeleteTempMap.
  static CDC* FromHandle(HDC dc);
  static void DeleteTempMap();
  BOOL Attach(HDC dc);
  HDC Detach();
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }  // NOLINT

  // The calls MFC adds to GDI's. Calls named as GDI's own are left out on purpose: a class
  // derived from CDC keeps calling the GDI functions by their plain names.
  CGdiObject* SelectStockObject(int index);
  CPoint SetViewportOrg(int x, int y);
  CPoint OffsetViewportOrg(int x, int y);
  CPoint SetWindowOrg(int x, int y);
  CPoint MoveTo(int x, int y);
  void FillSolidRect(LPCRECT rect, COLORREF colour);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
  void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
  BOOL DrawState(CPoint at, CSize size, HBITMAP bitmap, UINT flags, HBRUSH brush = nullptr);
  BOOL DrawState(CPoint at, CSize size, LPCWSTR text, UINT flags, BOOL prefixText = TRUE, int length = 0,
                 HBRUSH brush = nullptr);

  // Text measuring.
  CSize GetTextExtent(LPCWSTR text, int count) const;
  CSize GetTabbedTextExtent(LPCWSTR text, int count, int tabPositions, const INT* tabStops) const;
  BOOL GetTextMetrics(LPTEXTMETRICW metrics) const;

  // Text and visibility: virtual, so that a DC class may route them to another context.
  virtual BOOL PtVisible(int x, int y) const;
  virtual BOOL RectVisible(LPCRECT rect) const;
  virtual BOOL TextOut(int x, int y, LPCWSTR text, int count);
  virtual BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT count, const INT* widths);
  virtual CSize TabbedTextOut(int x, int y, LPCWSTR text, int count, int tabPositions, const INT* tabStops,
                              int tabOrigin);
  virtual int DrawText(LPCWSTR text, int count, LPRECT rect, UINT format);
  virtual int DrawTextEx(LPWSTR text, int count, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params);
  virtual BOOL GrayString(CBrush* brush, GRAYSTRINGPROC output, LPARAM data, int count, int x, int y, int width,
                          int height);
  virtual int Escape(int escape, int inputSize, LPCSTR input, LPVOID output);

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;
};

// The DC of one window's paint: BeginPaint at construction (CResourceException when it
// fails), EndPaint at destruction.
class KX2_AFX_API CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

 protected:
  HWND m_hWnd = nullptr;
};

// GetDC / ReleaseDC of a window's client area (CResourceException when GetDC fails).
class KX2_AFX_API CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd = nullptr;
};

// GetWindowDC / ReleaseDC of a whole window, its frame included.
class KX2_AFX_API CWindowDC : public CDC {
 public:
  explicit CWindowDC(CWnd* wnd);
  ~CWindowDC() override;

 protected:
  HWND m_hWnd = nullptr;
};

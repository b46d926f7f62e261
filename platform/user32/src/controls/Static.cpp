// The "Static" class: labels, icons, bitmaps, rectangles, frames and etched lines. Without
// SS_NOTIFY it lets the mouse through to what lies under it; with it, clicks, double
// clicks and enabling go to the parent as STN_ codes.
#include "ControlCommon.h"
#include "StaticPaint.h"

namespace kx2::user32 {
namespace {

UINT TypeOf(DWORD style) { return style & SS_TYPEMASK; }

// The image kind a style shows; -1 for a text or drawing type.
int ImageKindOf(DWORD style) {
  switch (TypeOf(style)) {
    case SS_ICON:
      return IMAGE_ICON;
    case SS_BITMAP:
      return IMAGE_BITMAP;
    case SS_ENHMETAFILE:
      return IMAGE_ENHMETAFILE;
    default:
      return -1;
  }
}

// The resource an icon or bitmap static names by its window text: a name, an id, or an id
// in the ordinal form (0xFFFF, id) dialog templates use.
LPCWSTR ResourceName(LPCWSTR name) {
  if (!name || IS_INTRESOURCE(name)) return name;
  if (name[0] == 0xFFFF) return MAKEINTRESOURCEW(name[1]);
  return name[0] ? name : nullptr;
}

class Static {
 public:
  Static(HWND hwnd, const CREATESTRUCTW& cs) : hwnd_(hwnd) {
    LPCWSTR name = ResourceName(cs.lpszName);
    if (!name) return;
    switch (TypeOf(static_cast<DWORD>(cs.style))) {
      case SS_ICON:
        look_.image = LoadIconW(cs.hInstance, name);  // shared: never destroyed
        break;
      case SS_BITMAP:
        look_.image = LoadBitmapW(cs.hInstance, name);
        owned_ = look_.image;
        break;
      default:
        break;
    }
  }
  ~Static() {
    if (owned_) DeleteObject(owned_);
  }
  Static(const Static&) = delete;
  Static& operator=(const Static&) = delete;

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        Created();
        return 0;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { hollow_ = PaintStatic(hwnd_, dc, look_); });
      case WM_ERASEBKGND:
        return 1;  // painting fills what it covers
      case WM_GETDLGCODE:
        return DLGC_STATIC;
      case WM_NCHITTEST:
        if (!(StyleOf(hwnd_) & SS_NOTIFY)) return HTTRANSPARENT;
        break;
      case WM_LBUTTONDOWN:
        if (StyleOf(hwnd_) & SS_NOTIFY) NotifyParent(hwnd_, STN_CLICKED);
        return 0;
      case WM_LBUTTONDBLCLK:
        if (StyleOf(hwnd_) & SS_NOTIFY) NotifyParent(hwnd_, STN_DBLCLK);
        return 0;
      case WM_ENABLE:
        Invalidate();
        if (StyleOf(hwnd_) & SS_NOTIFY) NotifyParent(hwnd_, wParam ? STN_ENABLE : STN_DISABLE);
        return 0;
      case WM_SETTEXT:
        return SetText(message, wParam, lParam);
      case WM_SETFONT:
        look_.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Invalidate();
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(look_.font);
      case WM_SYSCOLORCHANGE:
        Invalidate();
        return 0;
      case WM_UPDATEUISTATE: {
        const LRESULT r = DefWindowProcW(hwnd_, message, wParam, lParam);
        Invalidate();
        return r;
      }
      case STM_SETICON:
        return SetImage(IMAGE_ICON, reinterpret_cast<HANDLE>(wParam));
      case STM_GETICON:
        return TypeOf(StyleOf(hwnd_)) == SS_ICON ? reinterpret_cast<LRESULT>(look_.image) : 0;
      case STM_SETIMAGE:
        return SetImage(static_cast<UINT>(wParam), reinterpret_cast<HANDLE>(lParam));
      case STM_GETIMAGE:
        return Matches(static_cast<UINT>(wParam)) ? reinterpret_cast<LRESULT>(look_.image) : 0;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  void Invalidate() const { InvalidateRect(hwnd_, nullptr, FALSE); }

  // A sunken static has the static edge; icons and bitmaps size the control to themselves.
  void Created() {
    if (StyleOf(hwnd_) & SS_SUNKEN) {
      const LONG ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
      SetWindowLongW(hwnd_, GWL_EXSTYLE, ex | WS_EX_STATICEDGE);
      SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitToImage();
  }

  bool Matches(UINT type) const {
    const int kind = ImageKindOf(StyleOf(hwnd_));
    if (kind < 0) return false;
    if (kind == IMAGE_ICON) return type == IMAGE_ICON || type == IMAGE_CURSOR;
    return static_cast<int>(type) == kind;
  }

  // The image replaces the old one, which goes back to the caller (who owns it from then
  // on); an image of a kind the style does not show is refused.
  LRESULT SetImage(UINT type, HANDLE image) {
    if (!Matches(type)) return 0;
    const HANDLE old = look_.image;
    if (old == owned_) owned_ = nullptr;
    look_.image = image;
    FitToImage();
    Invalidate();
    return reinterpret_cast<LRESULT>(old);
  }

  void FitToImage() {
    const DWORD style = StyleOf(hwnd_);
    if (!look_.image || (style & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) return;
    SIZE size{};
    switch (TypeOf(style)) {
      case SS_ICON: {
        int cx = 0, cy = 0;
        if (!Kx2GetIconSize(static_cast<HICON>(look_.image), &cx, &cy)) return;
        size = SIZE{cx, cy};
        break;
      }
      case SS_BITMAP: {
        BITMAP bm{};
        if (!GetObjectW(look_.image, sizeof(bm), &bm)) return;
        size = SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
        break;
      }
      default:
        return;
    }
    // The frame (a sunken edge) stays around the image.
    RECT window{}, client = ClientRect(hwnd_);
    GetWindowRect(hwnd_, &window);
    const int extraX = (window.right - window.left) - client.right,
              extraY = (window.bottom - window.top) - client.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx + extraX, size.cy + extraY, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // New text; under a hollow brush the parent repaints what the old text covered first.
  LRESULT SetText(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT kept = DefWindowProcW(hwnd_, message, wParam, lParam);
    if (ImageKindOf(StyleOf(hwnd_)) >= 0) return kept;
    if (hollow_) {
      if (HWND parent = GetParent(hwnd_)) {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
    return kept;
  }

  HWND hwnd_;
  StaticLook look_;
  HANDLE owned_ = nullptr;  // a bitmap the control loaded itself
  bool hollow_ = false;     // the parent's brush was hollow at the last paint
};

void RegisterStaticClass() { RegisterControl<Static>(WC_STATICW, CS_DBLCLKS); }

const RegisterAtLoad registered{&RegisterStaticClass};

}  // namespace
}  // namespace kx2::user32

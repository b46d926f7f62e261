// The status bar: parts with text (tab-separated centre and right pieces), icons and
// owner-drawn parts, a simple mode, a size grip, and a height from its font that
// WM_WININICHANGE recomputes; it keeps itself along its parent's bottom edge.
#include <algorithm>
#include <string>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

struct Part {
  int right = -1;
  std::u16string text;
  UINT type = 0;
  LPARAM ownerData = 0;
  HICON icon = nullptr;
};

constexpr int kBorderX = 0;
constexpr int kBorderY = 2;
constexpr int kBetween = 2;
constexpr int kMaxParts = 256;

class StatusBar {
 public:
  StatusBar(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd), parts_(1) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        height_ = ComputeHeight();
        Align();
        return 0;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        height_ = ComputeHeight();
        if (LOWORD(lParam)) InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_SETTINGCHANGE:
        // Metrics changed: the height follows the font again.
        height_ = ComputeHeight();
        Align();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_SIZE:
        // The parent passes its own size on: take our place along its bottom again.
        Align();
        return 0;
      case WM_NCHITTEST: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd_, &pt);
        const RECT grip = Grip();
        if (HasGrip() && PtInRect(&grip, pt)) return HTBOTTOMRIGHT;
        break;
      }
      case WM_SETTEXT:
        DefWindowProcW(hwnd_, message, wParam, lParam);
        SetText(0, FromText(reinterpret_cast<LPCWSTR>(lParam)), 0);
        return TRUE;

      case SB_SETPARTS:
        return SetParts(static_cast<int>(wParam), reinterpret_cast<const int*>(lParam));
      case SB_GETPARTS: {
        auto* rights = reinterpret_cast<int*>(lParam);
        const size_t n = std::min(parts_.size(), static_cast<size_t>(wParam));
        for (size_t i = 0; rights && i < n; ++i) rights[i] = parts_[i].right;
        return static_cast<LRESULT>(parts_.size());
      }
      case SB_SETTEXTW:
      case SB_SETTEXTA: {
        const int index = LOBYTE(LOWORD(wParam));
        const UINT type = static_cast<UINT>(wParam) & 0xFF00u;
        if (type & SBT_OWNERDRAW) {
          Part* part = Find(index);
          if (!part) return FALSE;
          part->type = type;
          part->ownerData = lParam;
          InvalidateRect(hwnd_, nullptr, FALSE);
          return TRUE;
        }
        return SetText(index,
                       message == SB_SETTEXTW ? FromText(reinterpret_cast<LPCWSTR>(lParam))
                                              : FromText(reinterpret_cast<LPCSTR>(lParam)),
                       type);
      }
      case SB_GETTEXTW:
      case SB_GETTEXTA:
      case SB_GETTEXTLENGTHW:
      case SB_GETTEXTLENGTHA: {
        const Part* part = Find(static_cast<int>(wParam));
        if (!part) return 0;
        if (part->type & SBT_OWNERDRAW) return message == SB_GETTEXTW || message == SB_GETTEXTA ? part->ownerData : 0;
        const bool narrow = message == SB_GETTEXTA || message == SB_GETTEXTLENGTHA;
        const size_t length = narrow ? ToAnsi(part->text).size() : part->text.size();
        // The message carries no size: the caller's buffer holds the length it asked for.
        if (message == SB_GETTEXTW && lParam)
          CopyOut(part->text, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(length) + 1);
        if (message == SB_GETTEXTA && lParam)
          CopyOut(part->text, reinterpret_cast<LPSTR>(lParam), static_cast<int>(length) + 1);
        return MAKELONG(static_cast<WORD>(length), static_cast<WORD>(part->type));
      }
      case SB_GETBORDERS: {
        auto* borders = reinterpret_cast<int*>(lParam);
        if (!borders) return FALSE;
        borders[0] = kBorderX;
        borders[1] = kBorderY;
        borders[2] = kBetween;
        return TRUE;
      }
      case SB_SETMINHEIGHT:
        minHeight_ = static_cast<int>(wParam);
        height_ = ComputeHeight();
        return 0;
      case SB_SIMPLE:
        simple_ = wParam != 0;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case SB_ISSIMPLE:
        return simple_;
      case SB_GETRECT: {
        const int i = static_cast<int>(wParam);
        if (!lParam || (!simple_ && (i < 0 || i >= static_cast<int>(parts_.size())))) return FALSE;
        *reinterpret_cast<RECT*>(lParam) = PartRect(simple_ ? -1 : i);
        return TRUE;
      }
      case SB_SETICON: {
        Part* part = Find(static_cast<int>(wParam));
        if (!part) return FALSE;
        part->icon = reinterpret_cast<HICON>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
      }
      case SB_GETICON: {
        const Part* part = Find(static_cast<int>(wParam));
        return part ? reinterpret_cast<LRESULT>(part->icon) : 0;
      }
      case SB_SETBKCOLOR: {
        const COLORREF old = background_;
        background_ = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return old;
      }
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  bool HasGrip() const { return (Style() & SBARS_SIZEGRIP) != 0; }

  Part* Find(int index) {
    if (index == SB_SIMPLEID) return &simplePart_;
    return index >= 0 && index < static_cast<int>(parts_.size()) ? &parts_[static_cast<size_t>(index)] : nullptr;
  }

  int ComputeHeight() const {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return std::max(minHeight_, static_cast<int>(tm.tmHeight) + 2 * GetSystemMetrics(SM_CYBORDER)) + 2 * kBorderY;
  }

  void Align() {
    const DWORD style = Style();
    if (aligning_ || (style & CCS_NOPARENTALIGN) || (style & CCS_NORESIZE) || !GetParent(hwnd_)) return;
    aligning_ = true;
    RECT parent;
    GetClientRect(GetParent(hwnd_), &parent);
    const int top = (style & CCS_TOP) == CCS_TOP && (style & CCS_BOTTOM) != CCS_BOTTOM ? 0 : parent.bottom - height_;
    SetWindowPos(hwnd_, nullptr, 0, top, parent.right, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    aligning_ = false;
  }

  LRESULT SetParts(int count, const int* rights) {
    if (count <= 0 || count > kMaxParts || !rights) return FALSE;
    parts_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) parts_[static_cast<size_t>(i)].right = rights[i];
    InvalidateRect(hwnd_, nullptr, FALSE);
    return TRUE;
  }

  LRESULT SetText(int index, std::u16string text, UINT type) {
    Part* part = Find(index);
    if (!part) return FALSE;
    part->text = std::move(text);
    part->type = type;
    InvalidateRect(hwnd_, nullptr, FALSE);
    return TRUE;
  }

  RECT Grip() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    const int side = GetSystemMetrics(SM_CXVSCROLL);
    return RECT{r.right - side, r.bottom - side, r.right, r.bottom};
  }

  // Part i's rectangle; -1 is the simple mode's one part.
  RECT PartRect(int i) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int edge = client.right - (HasGrip() ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    if (i < 0) return RECT{kBorderX, kBorderY, client.right, client.bottom};
    const int left = i == 0 ? kBorderX : PartRight(i - 1, edge) + kBetween;
    return RECT{left, kBorderY, std::max(left, PartRight(i, edge)), client.bottom};
  }
  int PartRight(int i, int edge) const {
    const int right = parts_[static_cast<size_t>(i)].right;
    return right < 0 ? edge : right;
  }

  void PaintPart(HDC dc, const Part& part, RECT r, int index) {
    if (!(part.type & SBT_NOBORDERS)) {
      RECT edge = r;
      DrawEdge(dc, &edge, (part.type & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    }
    InflateRect(&r, -1, -1);
    if (part.type & SBT_OWNERDRAW) {
      DRAWITEMSTRUCT dis{};
      dis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd_));
      dis.itemID = static_cast<UINT>(index);
      dis.hwndItem = hwnd_;
      dis.hDC = dc;
      dis.rcItem = r;
      dis.itemData = static_cast<ULONG_PTR>(part.ownerData);
      SendMessageW(GetParent(hwnd_), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
      return;
    }
    int left = r.left + 2;
    if (part.icon) {
      const int side = std::min(16, static_cast<int>(r.bottom - r.top));
      DrawIconEx(dc, left, r.top + (r.bottom - r.top - side) / 2, part.icon, side, side, 0, nullptr, DI_NORMAL);
      left += side + 2;
    }
    // Up to three pieces: left, then centred after a tab, then right after another.
    const UINT aligns[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    size_t start = 0;
    for (int piece = 0; piece < 3 && start <= part.text.size(); ++piece) {
      size_t end = (part.type & SBT_NOTABPARSING) ? std::u16string::npos : part.text.find(u'\t', start);
      if (piece == 2) end = std::u16string::npos;
      const std::u16string text = part.text.substr(start, end == std::u16string::npos ? end : end - start);
      RECT t{left, r.top, r.right - 2, r.bottom};
      if (!text.empty())
        DrawTextW(dc, text.data(), static_cast<int>(text.size()), &t,
                  aligns[piece] | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      if (end == std::u16string::npos) break;
      start = end + 1;
    }
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    if (background_ == CLR_DEFAULT)
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    else
      FillSolid(dc, client, background_);
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (simple_) {
      PaintPart(dc, simplePart_, PartRect(-1), SB_SIMPLEID);
    } else {
      for (size_t i = 0; i < parts_.size(); ++i) {
        const RECT r = PartRect(static_cast<int>(i));
        if (r.right > r.left) PaintPart(dc, parts_[i], r, static_cast<int>(i));
      }
    }
    if (HasGrip()) {
      RECT grip = Grip();
      DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  std::vector<Part> parts_;
  Part simplePart_;
  bool simple_ = false;
  HFONT font_ = nullptr;
  int minHeight_ = 0;
  int height_ = 0;
  bool aligning_ = false;
  COLORREF background_ = CLR_DEFAULT;
};

}  // namespace

void RegisterStatusBarClass() { RegisterControl<StatusBar>(STATUSCLASSNAMEW); }

}  // namespace comctl

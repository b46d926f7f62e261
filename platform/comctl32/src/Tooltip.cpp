// Tooltips: tool records (a rectangle of a window, or a whole window) with texts given or
// asked for with TTN_GETDISPINFOW; mouse moves relayed to the tooltip show the tool's tip
// after the initial delay on the window timer and hide it when the pointer leaves.
#include <algorithm>
#include <string>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  std::u16string text;
  bool callback = false;
  LPARAM param = 0;
};

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;

class Tooltip {
 public:
  Tooltip(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_NCHITTEST:
        return HTTRANSPARENT;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_TIMER:
        if (wParam == kShowTimer) {
          KillTimer(hwnd_, kShowTimer);
          Show();
        } else if (wParam == kPopTimer) {
          Pop();
        }
        return 0;

      case TTM_ADDTOOLW: {
        const auto* info = Record(lParam);
        if (!info) return FALSE;
        Tool tool;
        Apply(tool, *info);
        tools_.push_back(std::move(tool));
        return TRUE;
      }
      case TTM_DELTOOLW: {
        const int i = Find(Record(lParam));
        if (i >= 0) {
          if (i == shown_) Pop();
          tools_.erase(tools_.begin() + i);
          if (shown_ > i) --shown_;
        }
        return 0;
      }
      case TTM_NEWTOOLRECTW: {
        const auto* info = Record(lParam);
        const int i = Find(info);
        if (i >= 0) tools_[static_cast<size_t>(i)].rect = info->rect;
        return 0;
      }
      case TTM_SETTOOLINFOW: {
        const auto* info = Record(lParam);
        const int i = Find(info);
        if (i >= 0) Apply(tools_[static_cast<size_t>(i)], *info);
        return 0;
      }
      case TTM_UPDATETIPTEXTW: {
        const auto* info = Record(lParam);
        const int i = Find(info);
        if (i >= 0) SetText(tools_[static_cast<size_t>(i)], info->lpszText);
        if (i >= 0 && i == shown_) InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      }
      case TTM_GETTOOLINFOW: {
        auto* info = Record(lParam);
        const int i = Find(info);
        if (i < 0) return FALSE;
        Fill(*info, tools_[static_cast<size_t>(i)]);
        return TRUE;
      }
      case TTM_GETTEXTW: {
        auto* info = Record(lParam);
        const int i = Find(info);
        if (i < 0 || !info->lpszText) return 0;
        // The record carries no size: wParam gives it where the caller says (0: 80 units).
        const int capacity = wParam ? static_cast<int>(wParam) : 80;
        CopyOut(TextOf(static_cast<size_t>(i)), info->lpszText, capacity);
        return 0;
      }
      case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(tools_.size());
      case TTM_ACTIVATE:
        active_ = wParam != 0;
        if (!active_) Pop();
        return 0;
      case TTM_SETDELAYTIME:
        if (wParam == TTDT_INITIAL || wParam == TTDT_AUTOMATIC)
          initial_ = LOWORD(lParam) ? static_cast<UINT>(LOWORD(lParam)) : GetDoubleClickTime();
        if (wParam == TTDT_AUTOPOP || wParam == TTDT_AUTOMATIC)
          autopop_ = LOWORD(lParam) ? static_cast<UINT>(LOWORD(lParam)) : 10 * GetDoubleClickTime();
        return 0;
      case TTM_GETDELAYTIME:
        return wParam == TTDT_AUTOPOP ? autopop_ : initial_;
      case TTM_SETMAXTIPWIDTH: {
        const int old = maxWidth_;
        maxWidth_ = static_cast<int>(lParam);
        return old;
      }
      case TTM_POP:
        Pop();
        return 0;
      case TTM_RELAYEVENT:
        if (lParam) Relay(*reinterpret_cast<const MSG*>(lParam));
        return 0;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static TTTOOLINFOW* Record(LPARAM lParam) {
    auto* info = reinterpret_cast<TTTOOLINFOW*>(lParam);
    return info && info->cbSize >= TTTOOLINFOW_V1_SIZE ? info : nullptr;
  }

  static void SetText(Tool& tool, LPCWSTR text) {
    tool.callback = text == LPSTR_TEXTCALLBACKW;
    tool.text = tool.callback || IS_INTRESOURCE(text) ? std::u16string() : FromText(text);
  }

  static void Apply(Tool& tool, const TTTOOLINFOW& info) {
    tool.flags = info.uFlags;
    tool.hwnd = info.hwnd;
    tool.id = info.uId;
    tool.rect = info.rect;
    SetText(tool, info.lpszText);
    if (info.cbSize >= TTTOOLINFOW_V2_SIZE) tool.param = info.lParam;
  }

  static void Fill(TTTOOLINFOW& info, const Tool& tool) {
    info.uFlags = tool.flags;
    info.hwnd = tool.hwnd;
    info.uId = tool.id;
    info.rect = tool.rect;
    info.hinst = nullptr;
    // The text itself is not copied here: the record says nothing of its buffer's size.
    if (tool.callback) info.lpszText = LPSTR_TEXTCALLBACKW;
    if (info.cbSize >= TTTOOLINFOW_V2_SIZE) info.lParam = tool.param;
  }

  int Find(const TTTOOLINFOW* info) const {
    if (!info) return -1;
    for (size_t i = 0; i < tools_.size(); ++i)
      if (tools_[i].hwnd == info->hwnd && tools_[i].id == info->uId) return static_cast<int>(i);
    return -1;
  }

  // The tool under a point of a window's client area.
  int ToolAt(HWND window, POINT pt) const {
    for (size_t i = 0; i < tools_.size(); ++i) {
      const Tool& t = tools_[i];
      if (t.flags & TTF_IDISHWND) {
        if (reinterpret_cast<HWND>(t.id) == window) return static_cast<int>(i);
      } else if (t.hwnd == window && PtInRect(&t.rect, pt)) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

  std::u16string TextOf(size_t i) const {
    const Tool& t = tools_[i];
    if (!t.callback) return t.text;
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = hwnd_;
    info.hdr.idFrom = t.id;
    info.hdr.code = TTN_GETDISPINFOW;
    info.lParam = t.param;
    info.uFlags = t.flags;
    SendMessageW(t.hwnd, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&info));
    if (info.lpszText && !IS_INTRESOURCE(info.lpszText) && info.lpszText != LPSTR_TEXTCALLBACKW)
      return FromText(info.lpszText);
    info.szText[79] = 0;
    return info.szText;
  }

  void Relay(const MSG& msg) {
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_LBUTTONDOWN && msg.message != WM_RBUTTONDOWN) return;
    const POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    const int tool = active_ && msg.message == WM_MOUSEMOVE ? ToolAt(msg.hwnd, pt) : -1;
    if (tool == pending_ && tool >= 0) return;  // still over the same tool
    if (shown_ >= 0 && tool != shown_) Pop();
    pending_ = tool;
    KillTimer(hwnd_, kShowTimer);
    if (tool >= 0 && tool != shown_) {
      GetCursorPos(&cursor_);
      SetTimer(hwnd_, kShowTimer, initial_, nullptr);
    }
  }

  void Show() {
    if (!active_ || pending_ < 0 || pending_ >= static_cast<int>(tools_.size())) return;
    shown_ = pending_;
    shownText_ = TextOf(static_cast<size_t>(shown_));
    if (shownText_.empty()) {
      shown_ = -1;
      return;
    }
    NMHDR header{};
    header.hwndFrom = hwnd_;
    header.idFrom = tools_[static_cast<size_t>(shown_)].id;
    header.code = TTN_SHOW;
    SendMessageW(tools_[static_cast<size_t>(shown_)].hwnd, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    SIZE size{0, 0};
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    GetTextExtentPoint32W(dc, shownText_.data(), static_cast<int>(shownText_.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    const int width = size.cx + 8, height = size.cy + 4;
    SetWindowPos(hwnd_, nullptr, cursor_.x, cursor_.y + 20, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd_, nullptr, FALSE);
    SetTimer(hwnd_, kPopTimer, autopop_, nullptr);
  }

  void Pop() {
    KillTimer(hwnd_, kShowTimer);
    KillTimer(hwnd_, kPopTimer);
    if (shown_ < 0) return;
    const Tool& t = tools_[static_cast<size_t>(shown_)];
    shown_ = -1;
    ShowWindow(hwnd_, SW_HIDE);
    NMHDR header{};
    header.hwndFrom = hwnd_;
    header.idFrom = t.id;
    header.code = TTN_POP;
    SendMessageW(t.hwnd, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&header));
  }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(hwnd_, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT text = r;
    InflateRect(&text, -4, -2);
    DrawTextW(dc, shownText_.data(), static_cast<int>(shownText_.size()), &text, DT_SINGLELINE | DT_NOPREFIX);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  std::vector<Tool> tools_;
  HFONT font_ = nullptr;
  bool active_ = true;
  UINT initial_ = GetDoubleClickTime();
  UINT autopop_ = 10 * GetDoubleClickTime();
  int maxWidth_ = -1;
  int pending_ = -1;
  int shown_ = -1;
  std::u16string shownText_;
  POINT cursor_{0, 0};
};

}  // namespace

void RegisterTooltipClass() { RegisterControl<Tooltip>(TOOLTIPS_CLASSW, CS_DBLCLKS | CS_SAVEBITS); }

}  // namespace comctl

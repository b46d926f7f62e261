// The "Edit" control: single-line and multi-line text with a selection, typing and
// deleting, the clipboard, a one-step undo, its limit, scrolling (its own scroll bars for
// multi-line), the caret (a position, never blinking), and the EM_ messages. It asks its
// parent for its colours (WM_CTLCOLOREDIT, or WM_CTLCOLORSTATIC when read-only or
// disabled) and reports changes with EN_ notifications through WM_COMMAND.
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "EditBuffer.h"
#include "EditClipboard.h"
#include "EditControlSupport.h"
#include "EditLayout.h"
#include "win/nls.h"

namespace kx2::user32 {

namespace {

using namespace textctl;

// The amount a user may type before the owner sets another limit.
constexpr size_t kDefaultLimit = 32767;
constexpr size_t kSingleLineNoLimit = 0x7FFFFFFE;
constexpr size_t kMultiLineNoLimit = 0xFFFFFFFF;
constexpr char16_t kDefaultPasswordChar = u'*';
constexpr int kWheelDelta = 120;
constexpr int kWheelLines = 3;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

class Edit {
 public:
  Edit(HWND hwnd, const CREATESTRUCTW& cs)
      : hwnd_(hwnd),
        multiline_((cs.style & ES_MULTILINE) != 0),
        verticalBar_(multiline_ && (cs.style & WS_VSCROLL)),
        horizontalBar_((cs.style & WS_HSCROLL) != 0) {
    // A multi-line edit aligns as asked; a single-line one too (the system's does since
    // its 32-bit versions).
    if (cs.style & ES_PASSWORD) passwordChar_ = kDefaultPasswordChar;
  }

  void Destroyed() {
    if (Kx2GetCaretInfo(nullptr, nullptr) == hwnd_) DestroyCaret();
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        return Create(reinterpret_cast<const CREATESTRUCTW*>(lParam));
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;  // painting fills the background with the parent's brush
      case WM_SIZE:
        Relayout();
        ClampScroll();
        UpdateScrollBars();
        Redraw();
        PlaceCaret();
        return 0;
      case WM_STYLECHANGED:
        Relayout();
        Redraw();
        return 0;
      case WM_ENABLE:
        Redraw();
        return 0;
      case WM_SETFONT:
        SetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_GETDLGCODE:
        return DialogCode(reinterpret_cast<const MSG*>(lParam));
      case WM_SETTEXT:
        SetText(FromText(reinterpret_cast<LPCWSTR>(lParam)));
        return TRUE;
      case WM_GETTEXT:
        return CopyOut(buffer_.Text(), reinterpret_cast<LPWSTR>(lParam), wParam);
      case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(buffer_.Size());
      case WM_SETFOCUS:
        focused_ = true;
        CreateCaret(hwnd_, nullptr, 1, lineHeight_);
        PlaceCaret();
        ShowCaret(hwnd_);
        Redraw();
        NotifyParent(EN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        focused_ = false;
        tracking_ = false;
        if (Kx2GetCaretInfo(nullptr, nullptr) == hwnd_) DestroyCaret();
        Redraw();
        NotifyParent(EN_KILLFOCUS);
        return 0;
      case WM_KEYDOWN:
        return KeyDown(static_cast<UINT>(wParam)) ? 0 : DefWindowProcW(hwnd_, message, wParam, lParam);
      case WM_CHAR:
        Char(static_cast<char16_t>(wParam));
        return 0;
      case WM_LBUTTONDOWN:
        ButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      case WM_LBUTTONDBLCLK:
        DoubleClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      case WM_MOUSEMOVE:
        if (tracking_) Drag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      case WM_LBUTTONUP:
        if (tracking_) {
          tracking_ = false;
          if (GetCapture() == hwnd_) ReleaseCapture();
        }
        return 0;
      case WM_CAPTURECHANGED:
        tracking_ = false;
        return 0;
      case WM_VSCROLL:
        if (!multiline_) return 0;
        VerticalScroll(LOWORD(wParam));
        if (!lParam) NotifyParent(EN_VSCROLL);
        return 0;
      case WM_HSCROLL:
        HorizontalScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        if (!lParam) NotifyParent(EN_HSCROLL);
        return 0;
      case WM_MOUSEWHEEL: {
        if (!multiline_) return DefWindowProcW(hwnd_, message, wParam, lParam);
        const int notches = static_cast<short>(HIWORD(wParam)) / kWheelDelta;
        if (notches) {
          ScrollLines(-notches * kWheelLines);
          NotifyParent(EN_VSCROLL);
        }
        return 0;
      }
      case WM_COPY:
        Copy();
        return 0;
      case WM_CUT:
        if (Copy()) ClearSelection();
        return 0;
      case WM_PASTE:
        Paste();
        return 0;
      case WM_CLEAR:
        ClearSelection();
        return 0;
      case WM_UNDO:
      case EM_UNDO:
        return Undo();
      default:
        return EditMessage(message, wParam, lParam);
    }
  }

 private:
  // ---- EM_ messages -----------------------------------------------------------------------
  LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case EM_GETSEL: {
        const auto start = static_cast<DWORD>(buffer_.SelStart());
        const auto end = static_cast<DWORD>(buffer_.SelEnd());
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = start;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = end;
        return start > 0xFFFF || end > 0xFFFF ? -1 : MAKELRESULT(start, end);
      }
      case EM_SETSEL:
        SetSelection(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
      case EM_REPLACESEL:
        ReplaceSelection(FromText(reinterpret_cast<LPCWSTR>(lParam)), false);
        if (!wParam) buffer_.EmptyUndo();
        return 0;
      case EM_LIMITTEXT:
        limit_ = wParam ? static_cast<size_t>(wParam) : multiline_ ? kMultiLineNoLimit : kSingleLineNoLimit;
        return 0;
      case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(limit_);
      case EM_GETLINECOUNT:
        return layout_.Count();
      case EM_LINEINDEX: {
        const int line = static_cast<int>(wParam) == -1 ? layout_.LineOf(buffer_.Caret()) : static_cast<int>(wParam);
        if (line < 0 || line >= layout_.Count()) return -1;
        return static_cast<LRESULT>(layout_.Line(line).start);
      }
      case EM_LINELENGTH:
        return LineLength(static_cast<int>(wParam));
      case EM_GETLINE:
        return GetLine(static_cast<int>(wParam), reinterpret_cast<LPWSTR>(lParam));
      case EM_LINEFROMCHAR: {
        const int index = static_cast<int>(wParam);
        const size_t pos = index < 0 ? buffer_.SelStart() : std::min(static_cast<size_t>(index), buffer_.Size());
        return layout_.LineOf(pos);
      }
      case EM_SCROLL:
        return Scroll(static_cast<int>(wParam));
      case EM_LINESCROLL:
        if (!multiline_) return FALSE;
        ScrollLines(static_cast<int>(lParam));
        if (!Wraps()) ScrollPixels(static_cast<int>(wParam) * avgCharWidth_);
        return TRUE;
      case EM_SCROLLCARET:
        ScrollToCaret();
        Redraw();
        PlaceCaret();
        return TRUE;
      case EM_GETFIRSTVISIBLELINE:
        return multiline_ ? firstLine_ : static_cast<LRESULT>(layout_.PosAt(0, xOffset_));
      case EM_SETREADONLY: {
        const DWORD style = StyleOf(hwnd_);
        SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(wParam ? style | ES_READONLY : style & ~ES_READONLY));
        Redraw();
        return TRUE;
      }
      case EM_GETMODIFY:
        return buffer_.Modified();
      case EM_SETMODIFY:
        buffer_.SetModified(wParam != 0);
        return 0;
      case EM_CANUNDO:
        return buffer_.CanUndo();
      case EM_EMPTYUNDOBUFFER:
        buffer_.EmptyUndo();
        return 0;
      case EM_SETMARGINS:
        SetMargins(static_cast<UINT>(wParam), lParam);
        return 0;
      case EM_GETMARGINS:
        return MAKELRESULT(leftMargin_, rightMargin_);
      case EM_POSFROMCHAR: {
        if (wParam >= buffer_.Size()) return -1;
        const POINT p = PosFromChar(wParam);
        return MAKELRESULT(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
      }
      case EM_CHARFROMPOS: {
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const size_t pos = CharFromPos(p);
        return MAKELRESULT(static_cast<WORD>(pos), static_cast<WORD>(layout_.LineOf(pos)));
      }
      case EM_SETPASSWORDCHAR:
        SetPasswordChar(static_cast<char16_t>(wParam));
        return 0;
      case EM_GETPASSWORDCHAR:
        return (StyleOf(hwnd_) & ES_PASSWORD) ? passwordChar_ : 0;
      case EM_GETRECT:
        if (auto* r = reinterpret_cast<RECT*>(lParam)) *r = FormatRect();
        return 0;
      case EM_SETRECT:
      case EM_SETRECTNP:
        SetFormatRect(reinterpret_cast<const RECT*>(lParam), message == EM_SETRECT);
        return 0;
      case EM_SETTABSTOPS:
        return SetTabStops(static_cast<int>(wParam), reinterpret_cast<const INT*>(lParam));
      case EM_FMTLINES:
        return FALSE;  // wrapped lines are never marked in the text
      default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
  }

  // ---- Creation, font, geometry ------------------------------------------------------------
  LRESULT Create(const CREATESTRUCTW* cs) {
    SetFont(nullptr, false);
    if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) buffer_.Reset(Cased(cs->lpszName));
    Relayout();
    UpdateScrollBars();
    return 0;
  }

  void SetFont(HFONT font, bool redraw) {
    font_ = font;
    widths_.clear();
    MeasureDc measure(font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(measure.Dc(), &tm);
    lineHeight_ = std::max(1, static_cast<int>(tm.tmHeight));
    avgCharWidth_ = std::max(1, static_cast<int>(tm.tmAveCharWidth));
    Relayout();
    ClampScroll();
    UpdateScrollBars();
    if (focused_) {
      CreateCaret(hwnd_, nullptr, 1, lineHeight_);
      PlaceCaret();
      ShowCaret(hwnd_);
    }
    if (redraw) Redraw();
  }

  // Where text goes: the client area less the margins, or what EM_SETRECT gave. A
  // single-line edit centres its one line in its height.
  RECT FormatRect() const {
    if (rectSet_) return rect_;
    RECT r = ClientRect(hwnd_);
    r.left += leftMargin_;
    r.right = std::max(r.left, r.right - rightMargin_);
    if (!multiline_) {
      const int spare = (r.bottom - r.top) - lineHeight_;
      if (spare > 0) r.top += spare / 2;
      r.bottom = r.top + lineHeight_;
    }
    return r;
  }

  int FormatWidth() const {
    const RECT r = FormatRect();
    return std::max(0, static_cast<int>(r.right - r.left));
  }

  int VisibleLines() const {
    if (!multiline_) return 1;
    const RECT r = FormatRect();
    return std::max(1, static_cast<int>(r.bottom - r.top) / lineHeight_);
  }

  bool Wraps() const { return multiline_ && !horizontalBar_ && !(StyleOf(hwnd_) & ES_AUTOHSCROLL); }

  void SetMargins(UINT which, LPARAM lParam) {
    const int fromFont = std::max(1, avgCharWidth_ / 2);
    if (which == EC_USEFONTINFO) {
      leftMargin_ = rightMargin_ = fromFont;
    } else {
      if (which & EC_LEFTMARGIN) leftMargin_ = LOWORD(lParam) == EC_USEFONTINFO ? fromFont : LOWORD(lParam);
      if (which & EC_RIGHTMARGIN) rightMargin_ = HIWORD(lParam) == EC_USEFONTINFO ? fromFont : HIWORD(lParam);
    }
    Relayout();
    ClampScroll();
    Redraw();
    PlaceCaret();
  }

  void SetFormatRect(const RECT* r, bool redraw) {
    if (!multiline_) return;
    rectSet_ = r != nullptr;
    if (r) rect_ = *r;
    Relayout();
    ClampScroll();
    UpdateScrollBars();
    if (redraw) Redraw();
    PlaceCaret();
  }

  LRESULT SetTabStops(int count, const INT* stops) {
    if (!multiline_ || count < 0 || (count > 0 && !stops)) return FALSE;
    tabStops_.assign(stops, stops + count);
    Relayout();
    Redraw();
    return TRUE;
  }

  void SetPasswordChar(char16_t c) {
    if (multiline_) return;
    const DWORD style = StyleOf(hwnd_);
    if (c) passwordChar_ = c;
    SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(c ? style | ES_PASSWORD : style & ~ES_PASSWORD));
    Relayout();
    Redraw();
    PlaceCaret();
  }

  // ---- Measuring and laying out -------------------------------------------------------------
  int CharWidth(HDC dc, char16_t c) {
    auto it = widths_.find(c);
    if (it != widths_.end()) return it->second;
    INT w = 0;
    if (!GetCharWidth32W(dc, c, c, &w)) w = avgCharWidth_;
    widths_.emplace(c, w);
    return w;
  }

  // Tab stops are in dialog units of the font (a quarter of its average width).
  int NextTabStop(int x) const {
    const auto px = [&](int units) { return std::max(1, units * avgCharWidth_ / 4); };
    if (tabStops_.size() > 1) {
      for (int stop : tabStops_)
        if (px(stop) > x) return px(stop);
    }
    const int every = tabStops_.size() == 1 ? px(tabStops_[0]) : 8 * avgCharWidth_;
    return (x / every + 1) * every;
  }

  // The text as shown: a password edit shows its character in place of each one.
  std::u16string Shown() const {
    if (!(StyleOf(hwnd_) & ES_PASSWORD) || multiline_) return buffer_.Text();
    return std::u16string(buffer_.Size(), passwordChar_);
  }

  void Relayout() { layout_ = LayoutOf(Shown()); }

  EditLayout LayoutOf(const std::u16string& text) {
    MeasureDc measure(font_);
    EditLayout layout;
    layout.Build(text, multiline_, Wraps(), FormatWidth(), [&](char16_t c, int x) {
      if (c == u'\t' && multiline_) return NextTabStop(x) - x;
      return CharWidth(measure.Dc(), c);
    });
    return layout;
  }

  // Where a line starts in the format rectangle by the alignment style.
  int AlignOffset(int line) const {
    const DWORD style = StyleOf(hwnd_);
    const int spare = FormatWidth() - layout_.Line(line).width;
    if (spare <= 0) return 0;
    if (style & ES_CENTER) return spare / 2;
    if (style & ES_RIGHT) return spare;
    return 0;
  }

  POINT PosFromChar(size_t pos) const {
    const RECT r = FormatRect();
    const int line = layout_.LineOf(pos);
    return POINT{r.left + AlignOffset(line) + layout_.XOf(line, pos) - xOffset_,
                 r.top + (line - firstLine_) * lineHeight_};
  }

  size_t CharFromPos(POINT p) const {
    const RECT r = FormatRect();
    int line = firstLine_ + (p.y >= r.top ? (p.y - r.top) / lineHeight_ : -1);
    line = std::clamp(line, 0, layout_.Count() - 1);
    return layout_.PosAt(line, p.x - r.left - AlignOffset(line) + xOffset_);
  }

  // ---- Scrolling ---------------------------------------------------------------------------
  void ClampScroll() {
    const int maxFirst = std::max(0, layout_.Count() - VisibleLines());
    firstLine_ = std::clamp(firstLine_, 0, multiline_ ? maxFirst : 0);
    if (Wraps()) xOffset_ = 0;
    xOffset_ = std::clamp(xOffset_, 0, std::max(0, layout_.WidestLine() + 1 - FormatWidth()));
  }

  void ScrollToCaret() {
    const size_t caret = buffer_.Caret();
    const int line = layout_.LineOf(caret);
    if (multiline_) {
      if (line < firstLine_) firstLine_ = line;
      if (line >= firstLine_ + VisibleLines()) firstLine_ = line - VisibleLines() + 1;
    }
    const bool scrollsSideways = multiline_ ? !Wraps() : (StyleOf(hwnd_) & ES_AUTOHSCROLL) != 0;
    if (scrollsSideways) {
      const int width = FormatWidth();
      const int x = AlignOffset(line) + layout_.XOf(line, caret);
      if (x < xOffset_) xOffset_ = std::max(0, x - width / 4);
      if (x >= xOffset_ + width) xOffset_ = x - width + 1 + width / 4;
    }
    ClampScroll();
    UpdateScrollBars();
  }

  void ScrollLines(int delta) {
    const int before = firstLine_;
    firstLine_ += delta;
    ClampScroll();
    if (firstLine_ != before) Scrolled();
  }

  void ScrollPixels(int delta) {
    const int before = xOffset_;
    xOffset_ += delta;
    ClampScroll();
    if (xOffset_ != before) Scrolled();
  }

  void Scrolled() {
    UpdateScrollBars();
    Redraw();
    PlaceCaret();
  }

  LRESULT Scroll(int code) {
    if (!multiline_) return FALSE;
    const int before = firstLine_;
    VerticalScroll(static_cast<UINT>(code));
    return MAKELRESULT(static_cast<WORD>(firstLine_ - before), TRUE);
  }

  void VerticalScroll(UINT code) {
    switch (code) {
      case SB_LINEUP:
        ScrollLines(-1);
        break;
      case SB_LINEDOWN:
        ScrollLines(1);
        break;
      case SB_PAGEUP:
        ScrollLines(-VisibleLines());
        break;
      case SB_PAGEDOWN:
        ScrollLines(VisibleLines());
        break;
      case SB_TOP:
        ScrollLines(-firstLine_);
        break;
      case SB_BOTTOM:
        ScrollLines(layout_.Count());
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO si{sizeof(si), SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd_, SB_VERT, &si);
        ScrollLines((code == SB_THUMBTRACK ? si.nTrackPos : si.nPos) - firstLine_);
        break;
      }
      default:
        break;
    }
  }

  void HorizontalScroll(UINT code, int thumb) {
    switch (code) {
      case SB_LINELEFT:
        ScrollPixels(-avgCharWidth_);
        break;
      case SB_LINERIGHT:
        ScrollPixels(avgCharWidth_);
        break;
      case SB_PAGELEFT:
        ScrollPixels(-FormatWidth());
        break;
      case SB_PAGERIGHT:
        ScrollPixels(FormatWidth());
        break;
      case SB_LEFT:
        ScrollPixels(-xOffset_);
        break;
      case SB_RIGHT:
        ScrollPixels(layout_.WidestLine());
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        ScrollPixels(thumb - xOffset_);
        break;
      default:
        break;
    }
  }

  // The window's own bars follow the lines (vertical) and pixels (horizontal) shown; the
  // bars the edit was made with stay, greyed while there is nothing to scroll.
  void UpdateScrollBars() {
    if (updatingBars_) return;
    updatingBars_ = true;
    if (verticalBar_) {
      SCROLLINFO si{sizeof(si),
                    SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                    0,
                    layout_.Count() - 1,
                    static_cast<UINT>(VisibleLines()),
                    firstLine_,
                    0};
      SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    }
    if (horizontalBar_) {
      SCROLLINFO si{sizeof(si),
                    SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                    0,
                    std::max(0, layout_.WidestLine()),
                    static_cast<UINT>(FormatWidth()),
                    xOffset_,
                    0};
      SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
    }
    updatingBars_ = false;
  }

  // ---- Changing the text -------------------------------------------------------------------
  std::u16string Cased(std::u16string text) const {
    const DWORD style = StyleOf(hwnd_);
    if (!text.empty() && (style & ES_UPPERCASE)) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    if (!text.empty() && (style & ES_LOWERCASE)) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
  }

  void SetText(std::u16string text) {
    buffer_.Reset(Cased(std::move(text)));
    firstLine_ = 0;
    xOffset_ = 0;
    Relayout();
    UpdateScrollBars();
    // A multi-line edit stays quiet when its owner sets its text.
    if (!multiline_) NotifyParent(EN_UPDATE);
    Redraw();
    if (!multiline_) NotifyParent(EN_CHANGE);
    PlaceCaret();
  }

  // What of `with` fits the limit in place of the selection; never half a line break or
  // half a surrogate pair.
  std::u16string Fitted(std::u16string with, bool* cut) const {
    const size_t kept = buffer_.Size() - (buffer_.SelEnd() - buffer_.SelStart());
    const size_t room = kept >= limit_ ? 0 : limit_ - kept;
    *cut = with.size() > room;
    if (*cut) {
      size_t n = room;
      if (n > 0 && n < with.size() && with[n - 1] == u'\r' && with[n] == u'\n') --n;
      if (n > 0 && IsHighSurrogate(with[n - 1]) && n < with.size() && IsLowSurrogate(with[n])) --n;
      with.resize(n);
    }
    return with;
  }

  // Whether the text with the selection replaced still shows whole: a single-line edit
  // without ES_AUTOHSCROLL keeps its text within its width, a multi-line one without
  // ES_AUTOVSCROLL within its lines.
  bool Fits(const std::u16string& with) {
    const DWORD style = StyleOf(hwnd_);
    const bool boundSideways = !multiline_ && !(style & ES_AUTOHSCROLL);
    const bool boundDownwards = multiline_ && !verticalBar_ && !(style & ES_AUTOVSCROLL);
    if (!boundSideways && !boundDownwards) return true;
    std::u16string trial = buffer_.Text();
    trial.replace(buffer_.SelStart(), buffer_.SelEnd() - buffer_.SelStart(), with);
    if ((style & ES_PASSWORD) && !multiline_) trial.assign(trial.size(), passwordChar_);
    const EditLayout layout = LayoutOf(trial);
    if (boundSideways) return layout.WidestLine() <= FormatWidth();
    return layout.Count() <= VisibleLines();
  }

  // Replaces the selection, within the limit and what the edit can show: EN_MAXTEXT when
  // something had to be left out. Answers whether the text changed.
  bool ReplaceSelection(std::u16string with, bool typing) {
    bool cut = false;
    with = Fitted(Cased(std::move(with)), &cut);
    if (!Fits(with)) {
      NotifyParent(EN_MAXTEXT);
      return false;
    }
    if (with.empty() && !buffer_.HasSelection()) {
      if (cut) NotifyParent(EN_MAXTEXT);
      return false;
    }
    buffer_.Replace(with, typing);
    Changed();
    if (cut) NotifyParent(EN_MAXTEXT);
    return true;
  }

  void Changed() {
    Relayout();
    ScrollToCaret();
    NotifyParent(EN_UPDATE);
    Redraw();
    NotifyParent(EN_CHANGE);
    PlaceCaret();
  }

  bool ReadOnly() const { return (StyleOf(hwnd_) & ES_READONLY) != 0; }

  void ClearSelection() {
    if (ReadOnly() || !buffer_.HasSelection()) return;
    ReplaceSelection(std::u16string(), false);
  }

  // Backspace and Delete without a selection take one character (a line break or a
  // surrogate pair whole).
  void DeleteOne(bool forward) {
    if (ReadOnly()) {
      MessageBeep(0);
      return;
    }
    if (!buffer_.HasSelection()) {
      const std::u16string& t = buffer_.Text();
      size_t pos = buffer_.Caret();
      if (forward) {
        if (pos >= t.size()) return;
        size_t end = pos + 1;
        if (t[pos] == u'\r' && end < t.size() && t[end] == u'\n') ++end;
        if (IsHighSurrogate(t[pos]) && end < t.size() && IsLowSurrogate(t[end])) ++end;
        buffer_.Select(pos, end);
      } else {
        if (pos == 0) return;
        size_t start = pos - 1;
        if (t[start] == u'\n' && start > 0 && t[start - 1] == u'\r') --start;
        if (IsLowSurrogate(t[start]) && start > 0 && IsHighSurrogate(t[start - 1])) --start;
        buffer_.Select(pos, start);
      }
      // Select() keeps a caret out of a CR LF pair, so set the ends as they are.
    }
    ReplaceSelection(std::u16string(), false);
  }

  LRESULT Undo() {
    if (!buffer_.CanUndo()) return FALSE;
    buffer_.Undo();
    Changed();
    return TRUE;
  }

  // ---- Clipboard -----------------------------------------------------------------------------
  bool Copy() {
    if ((StyleOf(hwnd_) & ES_PASSWORD) || !buffer_.HasSelection()) return false;
    return PutClipboardText(hwnd_, buffer_.Selected());
  }

  void Paste() {
    if (ReadOnly()) return;
    std::u16string text;
    if (!TakeClipboardText(hwnd_, &text)) return;
    if (!multiline_) {
      const size_t end = text.find_first_of(u"\r\n");
      if (end != std::u16string::npos) text.resize(end);
    }
    ReplaceSelection(std::move(text), false);
  }

  // ---- Selection and caret -------------------------------------------------------------------
  void SetSelection(int start, int end) {
    const size_t size = buffer_.Size();
    const auto clampTo = [&](int v) { return v < 0 ? size : std::min(static_cast<size_t>(v), size); };
    if (start == -1) {
      buffer_.Select(buffer_.Caret(), buffer_.Caret());
    } else {
      buffer_.Select(start < 0 ? 0 : clampTo(start), clampTo(end));
    }
    buffer_.BreakTyping();
    ScrollToCaret();
    Redraw();
    PlaceCaret();
  }

  void MoveCaret(size_t pos, bool extend) {
    buffer_.Select(extend ? buffer_.Anchor() : pos, pos);
    buffer_.BreakTyping();
    ScrollToCaret();
    Redraw();
    PlaceCaret();
  }

  void PlaceCaret() {
    if (!focused_ || Kx2GetCaretInfo(nullptr, nullptr) != hwnd_) return;
    const POINT p = PosFromChar(buffer_.Caret());
    SetCaretPos(p.x, p.y);
  }

  // ---- Keys and characters ---------------------------------------------------------------------
  LRESULT DialogCode(const MSG* msg) const {
    LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    if (!multiline_) return code;
    code |= DLGC_WANTALLKEYS;
    // Enter (without ES_WANTRETURN), Esc and Tab (without Ctrl) are the dialog's.
    if (msg && msg->message == WM_KEYDOWN) {
      const bool dialogs = (msg->wParam == VK_RETURN && !(StyleOf(hwnd_) & ES_WANTRETURN)) ||
                           msg->wParam == VK_ESCAPE || (msg->wParam == VK_TAB && !textctl::KeyDown(VK_CONTROL));
      if (dialogs) code &= ~DLGC_WANTALLKEYS;
    }
    return code;
  }

  bool KeyDown(UINT vk) {
    const bool shift = textctl::KeyDown(VK_SHIFT);
    const bool control = textctl::KeyDown(VK_CONTROL);
    const size_t caret = buffer_.Caret();
    const int line = layout_.LineOf(caret);
    switch (vk) {
      case VK_LEFT:
        if (!shift && buffer_.HasSelection() && !control)
          MoveCaret(buffer_.SelStart(), false);
        else
          MoveCaret(control ? buffer_.WordLeft(caret) : StepLeft(caret), shift);
        break;
      case VK_RIGHT:
        if (!shift && buffer_.HasSelection() && !control)
          MoveCaret(buffer_.SelEnd(), false);
        else
          MoveCaret(control ? buffer_.WordRight(caret) : StepRight(caret), shift);
        break;
      case VK_UP:
      case VK_DOWN:
        if (!multiline_) return KeyDown(vk == VK_UP ? VK_LEFT : VK_RIGHT);
        MoveCaret(Vertical(line, vk == VK_UP ? -1 : 1, caret), shift);
        break;
      case VK_PRIOR:
      case VK_NEXT:
        if (!multiline_) return true;
        MoveCaret(Vertical(line, vk == VK_PRIOR ? -VisibleLines() : VisibleLines(), caret), shift);
        break;
      case VK_HOME:
        MoveCaret(control ? 0 : layout_.Line(line).start, shift);
        break;
      case VK_END: {
        const EditLine& l = layout_.Line(line);
        MoveCaret(control ? buffer_.Size() : l.start + l.length, shift);
        break;
      }
      case VK_DELETE:
        if (shift) {
          SendMessageW(hwnd_, WM_CUT, 0, 0);
        } else {
          DeleteOne(true);
        }
        break;
      case VK_INSERT:
        if (control) SendMessageW(hwnd_, WM_COPY, 0, 0);
        if (shift) SendMessageW(hwnd_, WM_PASTE, 0, 0);
        break;
      default:
        return false;
    }
    return true;
  }

  size_t StepLeft(size_t pos) const {
    const std::u16string& t = buffer_.Text();
    if (pos == 0) return 0;
    --pos;
    if (pos > 0 &&
        ((t[pos] == u'\n' && t[pos - 1] == u'\r') || (IsLowSurrogate(t[pos]) && IsHighSurrogate(t[pos - 1]))))
      --pos;
    return pos;
  }

  size_t StepRight(size_t pos) const {
    const std::u16string& t = buffer_.Text();
    if (pos >= t.size()) return t.size();
    ++pos;
    if (pos < t.size() &&
        ((t[pos - 1] == u'\r' && t[pos] == u'\n') || (IsHighSurrogate(t[pos - 1]) && IsLowSurrogate(t[pos]))))
      ++pos;
    return pos;
  }

  // The position `lines` lines away at the same pixel column.
  size_t Vertical(int line, int lines, size_t caret) const {
    const int x = AlignOffset(line) + layout_.XOf(line, caret);
    const int target = std::clamp(line + lines, 0, layout_.Count() - 1);
    return layout_.PosAt(target, x - AlignOffset(target));
  }

  void Char(char16_t c) {
    switch (c) {
      case 0x01:  // Ctrl+A
        SetSelection(0, -1);
        return;
      case 0x03:  // Ctrl+C
        SendMessageW(hwnd_, WM_COPY, 0, 0);
        return;
      case 0x16:  // Ctrl+V
        SendMessageW(hwnd_, WM_PASTE, 0, 0);
        return;
      case 0x18:  // Ctrl+X
        SendMessageW(hwnd_, WM_CUT, 0, 0);
        return;
      case 0x1A:  // Ctrl+Z
        if (!ReadOnly()) SendMessageW(hwnd_, WM_UNDO, 0, 0);
        return;
      case 0x08:  // Backspace
        DeleteOne(false);
        return;
      case u'\r':
      case u'\n':
        if (multiline_) Type(u"\r\n");
        return;
      case u'\t':
        if (multiline_) Type(u"\t");
        return;
      default:
        break;
    }
    if (c < 0x20) return;
    if ((StyleOf(hwnd_) & ES_NUMBER) && !(c >= u'0' && c <= u'9')) {
      MessageBeep(0);
      return;
    }
    Type(std::u16string(1, c));
  }

  void Type(const std::u16string& text) {
    if (ReadOnly()) {
      MessageBeep(0);
      return;
    }
    ReplaceSelection(text, true);
  }

  // ---- Mouse ----------------------------------------------------------------------------------
  void ButtonDown(POINT p) {
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    const size_t pos = CharFromPos(p);
    MoveCaret(pos, textctl::KeyDown(VK_SHIFT));
    tracking_ = true;
    SetCapture(hwnd_);
  }

  void Drag(POINT p) {
    const size_t pos = CharFromPos(p);
    if (pos != buffer_.Caret()) MoveCaret(pos, true);
  }

  void DoubleClick(POINT p) {
    size_t start = 0, end = 0;
    buffer_.WordAt(CharFromPos(p), &start, &end);
    buffer_.Select(start, end);
    buffer_.BreakTyping();
    ScrollToCaret();
    Redraw();
    PlaceCaret();
  }

  // ---- Reading lines ------------------------------------------------------------------------------
  LRESULT LineLength(int index) const {
    if (index == -1) {
      const int first = layout_.LineOf(buffer_.SelStart());
      const int last = layout_.LineOf(buffer_.SelEnd());
      const EditLine& a = layout_.Line(first);
      const EditLine& b = layout_.Line(last);
      return static_cast<LRESULT>((buffer_.SelStart() - a.start) +
                                  (b.start + b.length - std::min(buffer_.SelEnd(), b.start + b.length)));
    }
    if (index < 0 || static_cast<size_t>(index) > buffer_.Size()) return 0;
    return static_cast<LRESULT>(layout_.Line(layout_.LineOf(static_cast<size_t>(index))).length);
  }

  // The first unit of the buffer holds its size in units; the line is copied without a
  // terminator.
  LRESULT GetLine(int index, LPWSTR buffer) const {
    if (!buffer) return 0;
    const int line = multiline_ ? index : 0;
    if (line < 0 || line >= layout_.Count()) return 0;
    const size_t capacity = static_cast<WORD>(buffer[0]);
    const EditLine& l = layout_.Line(line);
    const size_t n = std::min(capacity, l.length);
    std::copy_n(buffer_.Text().data() + l.start, n, buffer);
    if (n < capacity) buffer[n] = 0;
    return static_cast<LRESULT>(n);
  }

  // ---- Painting --------------------------------------------------------------------------------------
  void Redraw() { InvalidateRect(hwnd_, nullptr, TRUE); }

  void Paint(HDC dc) {
    const DWORD style = StyleOf(hwnd_);
    const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
    const UINT ask = (!enabled || (style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    const int saved = SaveDC(dc);
    HBRUSH brush = ParentBrush(hwnd_, ask, dc, GetParent(hwnd_));
    const RECT client = ClientRect(hwnd_);
    FillBackground(dc, client, brush);
    SelectedFont font(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    const RECT r = FormatRect();
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    const std::u16string shown = Shown();
    const bool showSelection = buffer_.HasSelection() && (focused_ || (style & ES_NOHIDESEL));
    const int last = std::min(layout_.Count(), firstLine_ + VisibleLines() + 1);
    for (int i = firstLine_; i < last; ++i) {
      const EditLine& l = layout_.Line(i);
      const int y = r.top + (i - firstLine_) * lineHeight_;
      const int x0 = r.left + AlignOffset(i) - xOffset_;
      const size_t selA = std::clamp(buffer_.SelStart(), l.start, l.start + l.length);
      const size_t selB = std::clamp(buffer_.SelEnd(), l.start, l.start + l.length);
      if (!showSelection || selA == selB) {
        DrawRun(dc, shown, i, l.start, l.start + l.length, x0, y);
        continue;
      }
      DrawRun(dc, shown, i, l.start, selA, x0, y);
      DrawRun(dc, shown, i, selB, l.start + l.length, x0, y);
      const RECT band{x0 + layout_.XOf(i, selA), y, x0 + layout_.XOf(i, selB), y + lineHeight_};
      FillSolid(dc, band, GetSysColor(COLOR_HIGHLIGHT));
      const COLORREF old = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      DrawRun(dc, shown, i, selA, selB, x0, y);
      SetTextColor(dc, old);
    }
    RestoreDC(dc, saved);
  }

  // Characters from..to of a line, each at the advance the layout measured (tabs leave
  // their room empty).
  void DrawRun(HDC dc, const std::u16string& shown, int line, size_t from, size_t to, int x0, int y) {
    size_t i = from;
    while (i < to) {
      while (i < to && shown[i] == u'\t') ++i;
      size_t j = i;
      while (j < to && shown[j] != u'\t') ++j;
      if (j > i) {
        std::vector<INT> dx(j - i);
        for (size_t k = i; k < j; ++k) dx[k - i] = layout_.XOf(line, k + 1) - layout_.XOf(line, k);
        ExtTextOutW(dc, x0 + layout_.XOf(line, i), y, 0, nullptr, shown.data() + i, static_cast<UINT>(j - i),
                    dx.data());
      }
      i = j;
    }
  }

  void NotifyParent(int code) { NotifyCommand(GetParent(hwnd_), hwnd_, code); }

  HWND hwnd_;
  const bool multiline_;
  const bool verticalBar_;
  const bool horizontalBar_;
  EditBuffer buffer_;
  EditLayout layout_;
  size_t limit_ = kDefaultLimit;
  HFONT font_ = nullptr;
  int lineHeight_ = 16;
  int avgCharWidth_ = 7;
  std::unordered_map<char16_t, int> widths_;
  int leftMargin_ = 1;
  int rightMargin_ = 1;
  RECT rect_{};
  bool rectSet_ = false;
  int firstLine_ = 0;
  int xOffset_ = 0;
  char16_t passwordChar_ = kDefaultPasswordChar;
  std::vector<int> tabStops_;
  bool focused_ = false;
  bool tracking_ = false;
  bool updatingBars_ = false;
};

void RegisterEditClass() { RegisterControl<Edit>(u"Edit", CS_DBLCLKS); }

const RegisterAtLoad registerEdit(&RegisterEditClass);

}  // namespace

}  // namespace kx2::user32

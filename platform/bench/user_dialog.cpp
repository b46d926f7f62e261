// A 60-control dialog made from a DLGTEMPLATEEX and painted once, against its peer: the
// same top-level window and 60 controls made with CreateWindowExW at the same pixel
// rectangles, given the same font and painted once. Both are destroyed each round.
//
// The controls are the standard classes present in this build (Static, Button, Edit,
// ListBox, ComboBox),
// else a class that fills its client area.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "../tests/dialog_test_support.h"
#include "win/gdi.h"
#include "win/nls.h"

namespace {

constexpr int kColumns = 6, kRows = 10;
constexpr SHORT kCellX = 50, kCellY = 14, kWidth = 40, kHeight = 12;

LRESULT CALLBACK FillProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::vector<std::u16string> ControlClasses() {
  WNDCLASSW wc{};
  std::vector<std::u16string> classes;
  for (const char16_t* name : {u"Static", u"Button", u"Edit", u"ListBox", u"ComboBox"})
    if (GetClassInfoW(nullptr, name, &wc)) classes.emplace_back(name);
  if (classes.empty()) {
    wc = WNDCLASSW{};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = &FillProc;
    wc.lpszClassName = u"BenchDialogFill";
    RegisterClassW(&wc);
    classes.emplace_back(u"BenchDialogFill");
  }
  return classes;
}

struct Layout {
  std::vector<std::u16string> classes = ControlClasses();
  std::vector<BYTE> bytes;
  SIZE base{};
  HFONT font = nullptr;

  Layout() {
    dlgtest::TemplateWriter t(true, WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, kColumns * kCellX + 10,
                              kRows * kCellY + 10, u"Sixty");
    t.Font(8, u"DejaVu Sans");
    for (int i = 0; i < kColumns * kRows; ++i) {
      const SHORT x = static_cast<SHORT>(5 + (i % kColumns) * kCellX),
                  y = static_cast<SHORT>(5 + (i / kColumns) * kCellY);
      t.Add(dlgtest::Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                          0,
                          x,
                          y,
                          kWidth,
                          kHeight,
                          static_cast<DWORD>(100 + i),
                          classes[static_cast<size_t>(i) % classes.size()],
                          0,
                          u"Item",
                          {}});
    }
    bytes = t.Bytes();
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, 96, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::u16string(u"DejaVu Sans").copy(lf.lfFaceName, LF_FACESIZE - 1);
    font = CreateFontIndirectW(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &extent);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    base = SIZE{(extent.cx / 26 + 1) / 2, tm.tmHeight};
    DeleteObject(font);
    font = nullptr;
  }
};

Layout& TheLayout() {
  static Layout layout;
  return layout;
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void PaintOnce(HWND top) { RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW); }

void BM_DialogFromTemplate(benchmark::State& state) {
  const Layout& layout = TheLayout();
  for (auto _ : state) {
    HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(layout.bytes.data()), nullptr,
                                          &QuietProc, 0);
    if (!dlg) {
      state.SkipWithError("the dialog was not made");
      break;
    }
    PaintOnce(dlg);
    DestroyWindow(dlg);
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
  state.SetLabel(std::to_string(layout.classes.size()) + " control classes");
}
BENCHMARK(BM_DialogFromTemplate)->Unit(benchmark::kMicrosecond);

// The peer: what the template describes, made by hand.
void BM_SameWindowsByCreateWindowEx(benchmark::State& state) {
  Layout& layout = TheLayout();
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
  wc.lpszClassName = u"BenchDialogPeer";
  RegisterClassW(&wc);
  auto px = [&](int x) { return MulDiv(x, layout.base.cx, 4); };
  auto py = [&](int y) { return MulDiv(y, layout.base.cy, 8); };
  for (auto _ : state) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, 96, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::u16string(u"DejaVu Sans").copy(lf.lfFaceName, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    RECT frame{0, 0, px(kColumns * kCellX + 10), py(kRows * kCellY + 10)};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION, FALSE, 0);
    HWND top = CreateWindowExW(0, u"BenchDialogPeer", u"Sixty", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < kColumns * kRows; ++i) {
      const int x = 5 + (i % kColumns) * kCellX, y = 5 + (i / kColumns) * kCellY;
      HWND control =
          CreateWindowExW(WS_EX_NOPARENTNOTIFY, layout.classes[static_cast<size_t>(i) % layout.classes.size()].c_str(),
                          u"Item", WS_CHILD | WS_VISIBLE | WS_TABSTOP, px(x), py(y), px(kWidth), py(kHeight), top,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(100 + i)), nullptr, nullptr);
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    PaintOnce(top);
    DestroyWindow(top);
    DeleteObject(font);
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}
BENCHMARK(BM_SameWindowsByCreateWindowEx)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

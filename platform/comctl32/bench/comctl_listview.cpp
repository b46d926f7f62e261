// One WM_PAINT of a report view holding 100,000 items against the same view holding only
// the rows it shows: painting visits only the visible rows, so the two stay close.
#include <benchmark/benchmark.h>

#include <string>

#include "win/commctrl.h"

namespace {

constexpr int kVisibleRows = 40;

struct View {
  explicit View(int count) {
    InitCommonControls();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"BenchListParent";
    RegisterClassW(&wc);
    parent = CreateWindowExW(0, u"BenchListParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, 640, 800, nullptr, nullptr,
                             nullptr, nullptr);
    list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 640, 800, parent, nullptr,
                           nullptr, nullptr);
    std::u16string name = u"Name", size = u"Size";
    LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH, 0, 300, name.data(), 0, 0};
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = size.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < count; ++i) {
      std::u16string text = u"Topic number " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = text.data();
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      std::u16string sub = u"42 KB";
      item.iSubItem = 1;
      item.pszText = sub.data();
      SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 640;
    info.bmiHeader.biHeight = -800;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    SendMessageW(list, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);  // settles the layout once
  }
  ~View() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DestroyWindow(parent);
  }
  HWND parent = nullptr;
  HWND list = nullptr;
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
};

void Paint(benchmark::State& state, int count) {
  View view(count);
  if (!view.list || SendMessageW(view.list, LVM_GETITEMCOUNT, 0, 0) != count) {
    state.SkipWithError("the list view was not made");
    return;
  }
  for (auto _ : state) SendMessageW(view.list, WM_PAINT, reinterpret_cast<WPARAM>(view.dc), 0);
}

void BM_ListViewPaint100000Items(benchmark::State& state) { Paint(state, 100000); }
// The peer: the same view holding only the rows it shows.
void BM_ListViewPaintVisibleRowsOnly(benchmark::State& state) { Paint(state, kVisibleRows); }

BENCHMARK(BM_ListViewPaint100000Items)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListViewPaintVisibleRowsOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

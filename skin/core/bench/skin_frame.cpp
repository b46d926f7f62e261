// WM_NCPAINT of an 800 x 600 captioned window with a generated skin (caption and edges as
// nine-grid images, image caption buttons, the title) against the same window's classic
// WM_NCPAINT with the skin removed, in the same run.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"

namespace {

void WriteBmp(const std::string& path, int w, int h, const std::function<COLORREF(int, int)>& pixel) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> bytes(54 + static_cast<size_t>(stride) * h, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  bytes[0] = 'B', bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  bytes[26] = 1, bytes[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF c = pixel(x, y);
      uint8_t* p = &bytes[54 + static_cast<size_t>(h - 1 - y) * stride + x * 3];
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The skin folder, written once.
std::u16string SkinFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "benchframe-XXXXXX").string();
    const std::string made = mkdtemp(pattern.data());
    auto gradient = [](int x, int y) { return RGB(40 + (x * 3) % 120, 60 + (y * 5) % 100, 160); };
    WriteBmp(made + "/caption.bmp", 120, 60, gradient);
    WriteBmp(made + "/edge.bmp", 8, 64, gradient);
    WriteBmp(made + "/bottom.bmp", 64, 16, gradient);
    WriteBmp(made + "/button.bmp", 21, 168, [](int x, int y) { return RGB(x * 10, (y / 21) * 30, 90); });
    std::ofstream ini(made + "/skin.ini");
    ini << "[SysMetrics]\nCaptionBarHeight = 29\n"
           "[Window]\nImageLayout = 2\nImageCount = 2\nSizingType = 1\n"
           "[Window.1]\nImageFile = caption.bmp\nSizingMargins = 12, 8, 12, 8\n"
           "[Window.7]\nImageFile = edge.bmp\nImageCount = 2\nSizingMargins = 0, 8, 0, 8\n"
           "[Window.8]\nImageFile = edge.bmp\nImageCount = 2\nSizingMargins = 0, 8, 0, 8\n"
           "[Window.9]\nImageFile = bottom.bmp\nImageCount = 2\nSizingMargins = 8, 0, 8, 0\n"
           "[Window.15]\nImageFile = button.bmp\nImageCount = 8\nSizingMargins = 3, 3, 3, 3\n"
           "[Window.17]\nImageFile = button.bmp\nImageCount = 8\nSizingMargins = 3, 3, 3, 3\n"
           "[Window.18]\nImageFile = button.bmp\nImageCount = 8\nSizingMargins = 3, 3, 3, 3\n";
    return made;
  }();
  return kx2::ToWindowsPath(folder);
}

HWND MakeWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.lpszClassName = u"KtkBenchFrame";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"KtkBenchFrame", u"Benchmark window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                              600, nullptr, nullptr, nullptr, nullptr);
  SetWindowPos(hwnd, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);  // whatever fitting did
  UpdateWindow(hwnd);
  return hwnd;
}

void NcPaint(benchmark::State& state, bool skinned) {
  CKtkSkinManager* manager = KtkSkinManager();
  if (!manager || (skinned && !manager->LoadSkin(SkinFolder().c_str(), u"skin.ini"))) {
    state.SkipWithError("no skin");
    return;
  }
  if (!skinned) manager->RemoveSkin();
  HWND hwnd = MakeWindow();
  for (auto _ : state) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
  GdiFlush();
  DestroyWindow(hwnd);
  manager->RemoveSkin();
}

void BM_NcPaintSkinned(benchmark::State& state) { NcPaint(state, true); }
void BM_NcPaintClassic(benchmark::State& state) { NcPaint(state, false); }
BENCHMARK(BM_NcPaintClassic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NcPaintSkinned)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// Painting the dialog of common controls (a 30-button toolbar, tabs, a header, list and
// tree views, a trackbar, a progress bar, a spin with its buddy and a status bar) with a
// generated skin, against painting the same dialog classic with the skin removed, in the
// same run.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <win/gdi.h>
#include <win/user.h>

#include "../tests/comctl_dialog.h"
#include "ornatex/core/skin_manager.h"

namespace {

// The skin folder, written once.
std::u16string SkinFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "benchcomctl-XXXXXX").string();
    const std::string made = mkdtemp(pattern.data());
    std::ofstream ini(made + "/skin.ini", std::ios::binary);
    for (const auto& line : comctl_dialog::SkinLines()) ini << kx2::Utf16ToUtf8(line) << "\r\n";
    return made;
  }();
  return kx2::ToWindowsPath(folder);
}

void PaintDialog(benchmark::State& state, bool skinned) {
  CKtkSkinManager* manager = KtkSkinManager();
  if (!manager || (skinned && !manager->LoadSkin(SkinFolder().c_str(), u"skin.ini"))) {
    state.SkipWithError("no skin");
    return;
  }
  if (!skinned) manager->RemoveSkin();
  HWND dialog = comctl_dialog::Create();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 900, 560);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (auto _ : state) comctl_dialog::PaintControls(dialog, dc);
  GdiFlush();
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DestroyWindow(dialog);
  manager->RemoveSkin();
}

void BM_DialogClassic(benchmark::State& state) { PaintDialog(state, false); }
void BM_DialogSkinned(benchmark::State& state) { PaintDialog(state, true); }
BENCHMARK(BM_DialogClassic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DialogSkinned)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

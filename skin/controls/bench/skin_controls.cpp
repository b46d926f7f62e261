// Painting a dialog of the standard controls (push button, check box, radio button, group
// box, edit, scroll bars, date-time picker, month calendar, list box and the three combo box
// styles) with every control's skin object drawing from a generated skin, against the same
// dialog painted by the controls themselves with the skin removed, in the same run.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <win/gdi.h>
#include <win/user.h>

#include "../tests/skin_dialog_fixture.h"
#include "ornatex/core/skin_manager.h"

namespace {

// The skin folder, written once.
std::u16string SkinFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "benchcontrols-XXXXXX").string();
    const std::string made = mkdtemp(pattern.data());
    std::ofstream ini(made + "/skin.ini", std::ios::binary);
    for (const std::u16string& line : ornatex_test::ProbeSkinLines()) ini << kx2::Utf16ToUtf8(line) << "\r\n";
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
  {
    ornatex_test::ProbeDialog dialog;
    if (!dialog.dialog) {
      state.SkipWithError("no dialog");
      return;
    }
    for (auto _ : state) dialog.Paint();
    GdiFlush();
  }
  manager->RemoveSkin();
}

void BM_PaintDialogClassic(benchmark::State& state) { PaintDialog(state, false); }
void BM_PaintDialogSkinned(benchmark::State& state) { PaintDialog(state, true); }
BENCHMARK(BM_PaintDialogClassic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintDialogSkinned)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

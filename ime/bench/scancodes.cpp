// The scan-code translation against its peer, in one run: every scan code of set 1 in both
// shift states on the US keyboard, through the bridge's translation and through
// libxkbcommon's xkb_state_key_get_utf32 on its "us" keymap (key code = scan code + 8); and
// the Japanese keyboard's figure, where each call reads "system.ini" as the keyboard-type
// check does.
#include <benchmark/benchmark.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include <kx2/ImeScript.h>
#include <kx2/InputState.h>
#include <win/profile.h>
#include <win/user.h>

#include "keyboard/scan_codes.h"

namespace {

HKL Layout(DWORD id) { return reinterpret_cast<HKL>(static_cast<uintptr_t>(id)); }

void TranslateAll(benchmark::State& state, DWORD layout) {
  ActivateKeyboardLayout(Layout(layout), 0);
  Kx2SetThreadKeyState(VK_NUMLOCK, 0);
  for (auto _ : state) {
    for (UINT shift = 0; shift < 2; ++shift)
      for (UINT scan = 0; scan < 128; ++scan) benchmark::DoNotOptimize(quel::TranslateScanCode(scan, 0, 0, shift));
  }
  state.SetItemsProcessed(state.iterations() * 256);
}

void BM_QuelUs(benchmark::State& state) { TranslateAll(state, 0x04090409); }
void BM_QuelJapanese(benchmark::State& state) { TranslateAll(state, 0xE0010411); }

void BM_XkbUs(benchmark::State& state) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_rule_names names{"evdev", "pc105", "us", "", ""};
  xkb_keymap* keymap = context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
  if (!keymap) {
    state.SkipWithError("no \"us\" keymap");
    if (context) xkb_context_unref(context);
    return;
  }
  xkb_state* plain = xkb_state_new(keymap);
  xkb_state* shifted = xkb_state_new(keymap);
  xkb_state_update_mask(shifted, 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT), 0, 0, 0, 0, 0);
  xkb_state* states[2] = {plain, shifted};
  for (auto _ : state) {
    for (xkb_state* s : states)
      for (xkb_keycode_t scan = 0; scan < 128; ++scan) benchmark::DoNotOptimize(xkb_state_key_get_utf32(s, scan + 8));
  }
  state.SetItemsProcessed(state.iterations() * 256);
  xkb_state_unref(plain);
  xkb_state_unref(shifted);
  xkb_keymap_unref(keymap);
  xkb_context_unref(context);
}

BENCHMARK(BM_QuelUs);
BENCHMARK(BM_XkbUs);
BENCHMARK(BM_QuelJapanese);

}  // namespace

int main(int argc, char** argv) {
  // The profile folder is a temporary one, holding a Japanese system's "system.ini".
  char folder[] = "/tmp/bench_scancodesXXXXXX";
  if (!mkdtemp(folder)) return 1;
  setenv("KX2_PROFILES", folder, 1);
  WritePrivateProfileStringW(u"boot.description", u"keyboard.typ", u"Japanese 106 Keyboard", u"system.ini");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const std::string path = std::string(folder) + "/system.ini";
  unlink(path.c_str());
  rmdir(folder);
  return 0;
}

// Fuzzes the class set, the requests and the scan-code translation. Byte-coded operations:
// class-set calls checked against a model of the slots; requests to served and other
// windows (alive or destroyed) whose procedure answers and fills the record with fuzz
// data; translations with fuzzed scan code, key, numeric-pad flag, shift mode, keyboard
// type and "system.ini" text. Each input ends with its windows gone and the set emptied.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include <kx2/Clock.h>
#include <kx2/ImeScript.h>
#include <kx2/InputState.h>
#include <win/profile.h>
#include <win/user.h>

#include "classes/class_set.h"
#include "keyboard/scan_codes.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
  uint32_t word() { return next() | next() << 8; }
  uint32_t dword() { return word() | word() << 16; }
};

Reader* g_in = nullptr;

LRESULT CALLBACK Answering(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == QUEL_WM_REQUEST) {
    if ((wParam >> 16) != (GetCurrentProcessId() & 0xFFFF)) __builtin_trap();
    // The record is as large as its code says; write all of it.
    const size_t size = (wParam & 0xFFFF) == QUEL_REQUEST_VISIBLE_WINDOW ? sizeof(HWND) : sizeof(tagImeKeyTraceRequest);
    auto* bytes = reinterpret_cast<uint8_t*>(lParam);
    for (size_t i = 0; i < size; ++i) bytes[i] = g_in->next();
    return static_cast<LRESULT>(static_cast<int8_t>(g_in->next()));
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The model: the same slots, filled by the same rule.
struct Model {
  std::array<uint16_t, QUEL_CLASS_SLOTS> slots{};
  int count = 0;
  bool has(uint16_t a) const {
    for (uint16_t s : slots)
      if (a && s == a) return true;
    return false;
  }
};

const DWORD kLayouts[] = {0x04090409, 0xE0010411, 0x04110411, 0xE0010412};

std::string g_profiles;

// The profile folder goes with the process.
void RemoveProfiles() {
  if (g_profiles.empty()) return;
  unlink((g_profiles + "/system.ini").c_str());
  rmdir(g_profiles.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/fuzz_quel_classesXXXXXX";
  if (mkdtemp(folder)) g_profiles = folder;
  std::atexit(&RemoveProfiles);
  setenv("KX2_PROFILES", g_profiles.c_str(), 1);
  Kx2ClockSetManual(TRUE, 1000);
  for (LPCWSTR name : {u"QuelFuzzServed", u"QuelFuzzOther"}) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Answering;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  g_in = &in;
  quel::ResetClassSet();
  Model model;
  HWND windows[2] = {
      CreateWindowExW(0, u"QuelFuzzServed", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
      CreateWindowExW(0, u"QuelFuzzOther", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)};
  const uint16_t atoms[2] = {static_cast<uint16_t>(GetClassLongW(windows[0], GCW_ATOM)),
                             static_cast<uint16_t>(GetClassLongW(windows[1], GCW_ATOM))};
  for (int steps = 0; in.more() && steps < 500; ++steps) {
    switch (in.next() % 6) {
      case 0: {  // add
        const uint32_t value = in.next() & 1 ? atoms[in.next() & 1] : in.dword();
        const uint16_t atom = static_cast<uint16_t>(value);
        int expected = 0;
        if (atom && model.has(atom)) {
          expected = 1;
        } else if (atom) {
          for (uint16_t& slot : model.slots)
            if (!slot) {
              slot = atom;
              ++model.count;
              expected = 1;
              break;
            }
        }
        if (_ExpImGlobalAdd(value) != expected) __builtin_trap();
        break;
      }
      case 1: {  // delete
        const uint32_t value = in.next() & 1 ? atoms[in.next() & 1] : in.dword();
        const uint16_t atom = static_cast<uint16_t>(value);
        for (uint16_t& slot : model.slots)
          if (atom && slot == atom) {
            slot = 0;
            --model.count;
            break;
          }
        if (_ExpImGlobalDelete(value) != 1) __builtin_trap();
        break;
      }
      case 2: {  // compare
        const uint32_t index = in.next() & 1 ? in.next() % 24 : in.dword();
        const uint32_t value = in.next() & 1 ? atoms[in.next() & 1] : in.dword();
        const uint16_t atom = static_cast<uint16_t>(value);
        const int expected = index < QUEL_CLASS_SLOTS && atom && model.slots[index] == atom ? 1 : 0;
        if (_ExpImGlobalCmp(index, value) != expected) __builtin_trap();
        break;
      }
      case 3: {  // request
        const uint8_t pick = in.next();
        HWND target = pick % 4 < 2 ? windows[pick % 2] : reinterpret_cast<HWND>(uintptr_t{in.dword()});
        const UINT code = in.next() & 1 ? QUEL_REQUEST_KEY_TRACE + (in.next() & 1) : in.dword();
        alignas(8) uint8_t record[16] = {};
        const bool served = (target == windows[0] || target == windows[1]) && IsWindow(target) &&
                            model.has(atoms[target == windows[0] ? 0 : 1]);
        const int result = _ExpImRequest(target, code, in.next() % 8 ? record : nullptr);
        if (result && !served) __builtin_trap();
        break;
      }
      case 4: {  // a window goes
        const int which = in.next() & 1;
        if (IsWindow(windows[which])) DestroyWindow(windows[which]);
        break;
      }
      case 5: {  // translate
        const uint8_t how = in.next();
        if (how & 1) {
          const HKL layout = reinterpret_cast<HKL>(uintptr_t{kLayouts[in.next() % 4]});
          ActivateKeyboardLayout(layout, 0);
          Kx2SetKeyboardType(layout, static_cast<int>(in.next() % 10) - 1, static_cast<int>(in.word()));
        }
        if (how & 2) {
          char16_t text[40] = {};
          const size_t length = in.next() % 39;
          for (size_t i = 0; i < length; ++i) {
            const uint8_t c = in.next();
            text[i] = c ? c : u'9';
          }
          WritePrivateProfileStringW(u"boot.description", u"keyboard.typ", text, u"system.ini");
        }
        if (how & 4) Kx2SetThreadKeyState(VK_SHIFT, in.next() & 0x80);
        if (how & 8) Kx2SetThreadKeyState(VK_NUMLOCK, in.next() & 1);
        const UINT scan = how & 16 ? in.dword() : in.next();
        const UINT vk = in.next();
        const int numericPad = in.next() & 1;
        const int shiftMode = static_cast<int>(in.dword());
        const char16_t c = quel::TranslateScanCode(scan, vk, numericPad, shiftMode);
        if (c > 0x7F) __builtin_trap();
        break;
      }
    }
    if (_ExpImGlobalSize() != model.count) __builtin_trap();
  }
  for (HWND w : windows)
    if (IsWindow(w)) DestroyWindow(w);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  Kx2ResetKeyboardLayout();
  Kx2ResetInput();
  quel::ResetClassSet();
  g_in = nullptr;
  return 0;
}

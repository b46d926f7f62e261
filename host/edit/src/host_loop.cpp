// The host's message loop: every message goes through the bridge before translation.
#include <vantorel/edit_window.h>

#include <kx2/Utf.h>
#include <quel/Quel.h>

namespace vantorel::edit {

bool InterpretAccelerators(MSG& msg);  // edit_window.cpp

bool ProcessMessage(MSG& msg) {
  if (InterpretAccelerators(msg)) return false;
  if (_ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg), 0) == 1) return false;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

int RunMessageLoop() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return -1;
    ProcessMessage(msg);
  }
}

std::string Utf8(const std::u16string& text) { return kx2::Utf16ToUtf8(text); }

std::string Quoted(const std::u16string& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace vantorel::edit

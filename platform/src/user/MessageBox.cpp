// MessageBoxW as a sink that never blocks (see win/user.h).
#include <cstdio>
#include <mutex>
#include <string>

#include "kx2/MessageBoxSink.h"
#include "kx2/Utf.h"
#include "win/nls.h"
#include "win/user.h"

namespace {

std::mutex g_lock;
std::vector<kx2::MessageBoxRecord>& Records() {
  static auto* records = new std::vector<kx2::MessageBoxRecord>;
  return *records;
}
int g_answer = 0;
bool g_echo = true;

int DefaultAnswer(UINT type) {
  static const int buttons[][4] = {
      {IDOK},                              // MB_OK
      {IDOK, IDCANCEL},                    // MB_OKCANCEL
      {IDABORT, IDRETRY, IDIGNORE},        // MB_ABORTRETRYIGNORE
      {IDYES, IDNO, IDCANCEL},             // MB_YESNOCANCEL
      {IDYES, IDNO},                       // MB_YESNO
      {IDRETRY, IDCANCEL},                 // MB_RETRYCANCEL
      {IDCANCEL, IDTRYAGAIN, IDCONTINUE},  // MB_CANCELTRYCONTINUE
  };
  UINT kind = type & MB_TYPEMASK;
  if (kind > MB_CANCELTRYCONTINUE) kind = MB_OK;
  UINT index = (type & MB_DEFMASK) >> 8;
  int answer = index < 4 && buttons[kind][index] ? buttons[kind][index] : buttons[kind][0];
  // Retrying cannot change anything when nobody is there to fix the cause.
  if (answer == IDRETRY || answer == IDTRYAGAIN) answer = kind == MB_ABORTRETRYIGNORE ? IDABORT : IDCANCEL;
  return answer;
}

}  // namespace

namespace kx2 {

std::vector<MessageBoxRecord> TakeMessageBoxes() {
  std::lock_guard<std::mutex> guard(g_lock);
  std::vector<MessageBoxRecord> taken;
  taken.swap(Records());
  return taken;
}

size_t PendingMessageBoxes() {
  std::lock_guard<std::mutex> guard(g_lock);
  return Records().size();
}

void SetMessageBoxAnswer(int answer) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_answer = answer;
}

void SetMessageBoxEcho(bool echo) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_echo = echo;
}

}  // namespace kx2

KX2_EXPORT int MessageBoxW(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  kx2::MessageBoxRecord record;
  record.text = kx2::View16(lpText);
  // A null caption shows as "Error", as the system titles such boxes.
  record.caption = lpCaption ? std::u16string(kx2::View16(lpCaption)) : std::u16string(u"Error");
  record.type = uType;
  std::lock_guard<std::mutex> guard(g_lock);
  record.answer = g_answer ? g_answer : DefaultAnswer(uType);
  if (g_echo)
    fprintf(stderr, "[MessageBox] %s: %s\n", kx2::Utf16ToUtf8(record.caption).c_str(),
            kx2::Utf16ToUtf8(record.text).c_str());
  int answer = record.answer;
  Records().push_back(std::move(record));
  return answer;
}

KX2_EXPORT int MessageBoxExW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType, WORD) {
  return MessageBoxW(hWnd, lpText, lpCaption, uType);
}

KX2_EXPORT int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  auto widen = [](LPCSTR s) {
    std::u16string w;
    if (!s) return w;
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    w.resize(n > 0 ? static_cast<size_t>(n) : 1);
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    w.resize(kx2::StrLen16(w.c_str()));
    return w;
  };
  std::u16string text = widen(lpText), caption = widen(lpCaption);
  return MessageBoxW(hWnd, text.c_str(), lpCaption ? caption.c_str() : nullptr, uType);
}

KX2_EXPORT BOOL MessageBeep(UINT) { return TRUE; }

// The item dialog's window.
#include <cstring>
#include <map>
#include <vector>

#include "ItemDialog.h"
#include "ItemDialogWindow.h"
#include "win/dialog.h"
#include "win/module.h"
#include "win/user.h"

namespace kx2::shell {
namespace {

typedef INT_PTR (*DialogProc)(HWND, UINT, WPARAM, LPARAM);
typedef HWND (*CreateDialogIndirectParamProc)(HINSTANCE, LPCDLGTEMPLATEW, HWND, DialogProc, LPARAM);

constexpr char16_t kFallbackClass[] = u"Kx2ItemDialogWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
// The size of the system's dialog, in dialog units and in pixels for the plain window.
constexpr SHORT kWidthUnits = 300, kHeightUnits = 200;
constexpr int kWidthPixels = 450, kHeightPixels = 325;

thread_local std::map<HWND, ItemDialog*> t_dialogs;

void CancelDialogOf(HWND hwnd) {
  auto it = t_dialogs.find(hwnd);
  if (it != t_dialogs.end()) it->second->CancelFromWindow();
}

INT_PTR ItemDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    CancelDialogOf(hwnd);
    return TRUE;
  }
  return FALSE;
}

// An entry of the system's window procedures library, as the given function type.
template <class Function>
Function User32Entry(const char* name) {
  HMODULE user32 = LoadLibraryW(u"user32.dll");
  FARPROC entry = user32 ? GetProcAddress(user32, name) : nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(entry));
}

LRESULT FallbackProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    CancelDialogOf(hwnd);
    return 0;
  }
  static const WNDPROC systemDefault = User32Entry<WNDPROC>("DefWindowProcW");
  return systemDefault ? systemDefault(hwnd, message, wParam, lParam) : 0;
}

// A dialog template with no controls: the header, no menu, the dialog class, the title.
std::vector<WORD> DialogTemplate(const std::u16string& title) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE header{};
  header.style = kStyle;
  header.cx = kWidthUnits;
  header.cy = kHeightUnits;
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the dialog class
  for (char16_t c : title) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

HWND CreateFallbackWindow(HWND owner, const std::u16string& title) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW existing{};
  if (!GetClassInfoW(instance, kFallbackClass, &existing)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FallbackProc;
    wc.hInstance = instance;
    wc.lpszClassName = kFallbackClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    RegisterClassW(&wc);
  }
  return CreateWindowExW(WS_EX_DLGMODALFRAME, kFallbackClass, title.c_str(), kStyle, 100, 100, kWidthPixels,
                         kHeightPixels, owner, nullptr, instance, nullptr);
}

}  // namespace

HWND CreateItemDialogWindow(HWND owner, const std::u16string& title, ItemDialog* dialog) {
  HWND hwnd = nullptr;
  if (auto create = User32Entry<CreateDialogIndirectParamProc>("CreateDialogIndirectParamW")) {
    std::vector<WORD> words = DialogTemplate(title);
    hwnd =
        create(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner, &ItemDialogProc, 0);
  } else {
    hwnd = CreateFallbackWindow(owner, title);
  }
  if (hwnd) t_dialogs[hwnd] = dialog;
  return hwnd;
}

void DestroyItemDialogWindow(HWND hwnd) {
  t_dialogs.erase(hwnd);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

}  // namespace kx2::shell

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
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    auto it = t_dialogs.find(hwnd);
    if (it != t_dialogs.end()) it->second->OkFromWindow();
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

void PutText(std::vector<WORD>& words, const std::u16string& text) {
  for (char16_t c : text) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
}

// One control: its record at a 4-byte boundary, its class by atom, its text, no data.
void PutItem(std::vector<WORD>& words, DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy, WORD id, WORD classAtom,
             const std::u16string& text) {
  if (words.size() % 2) words.push_back(0);
  DLGITEMTEMPLATE item{};
  item.style = style | WS_CHILD | WS_VISIBLE;
  item.x = x, item.y = y, item.cx = cx, item.cy = cy, item.id = id;
  const size_t at = words.size();
  words.resize(at + sizeof item / sizeof(WORD));
  std::memcpy(words.data() + at, &item, sizeof item);
  words.push_back(0xFFFF);
  words.push_back(classAtom);
  PutText(words, text);
  words.push_back(0);  // no creation data
}

bool ClassExists(const char16_t* name) {
  WNDCLASSW info{};
  return GetClassInfoW(nullptr, name, &info) != FALSE;
}

// The dialog: header, no menu, the dialog class, the title, then the name box with its
// label and the two buttons along the bottom (the folder view above them is not drawn).
// A control whose class the process lacks is left out.
std::vector<WORD> DialogTemplate(const ItemDialogTexts& texts) {
  constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
  const bool label = ClassExists(u"Static"), box = ClassExists(u"Edit"), buttons = ClassExists(u"Button");
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE header{};
  header.style = kStyle;
  header.cdit = static_cast<WORD>((label ? 1 : 0) + (box ? 1 : 0) + (buttons ? 2 : 0));
  header.cx = kWidthUnits;
  header.cy = kHeightUnits;
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the dialog class
  PutText(words, texts.title);
  if (label) PutItem(words, SS_LEFT, 7, 162, 50, 10, static_cast<WORD>(-1), kStatic, texts.nameLabel);
  if (box) PutItem(words, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 60, 160, 233, 14, kNameBoxId, kEdit, u"");
  if (buttons) {
    PutItem(words, BS_DEFPUSHBUTTON | WS_TABSTOP, 183, 180, 52, 14, IDOK, kButton, texts.okLabel);
    PutItem(words, BS_PUSHBUTTON | WS_TABSTOP, 241, 180, 52, 14, IDCANCEL, kButton, u"Cancel");
  }
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

HWND CreateItemDialogWindow(HWND owner, const ItemDialogTexts& texts, ItemDialog* dialog) {
  HWND hwnd = nullptr;
  if (auto create = User32Entry<CreateDialogIndirectParamProc>("CreateDialogIndirectParamW")) {
    std::vector<WORD> words = DialogTemplate(texts);
    hwnd =
        create(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner, &ItemDialogProc, 0);
  } else {
    hwnd = CreateFallbackWindow(owner, texts.title);
  }
  if (hwnd) t_dialogs[hwnd] = dialog;
  return hwnd;
}

HWND NameBoxOf(HWND hwnd) {
  for (HWND child = hwnd ? GetWindow(hwnd, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetDlgCtrlID(child) == kNameBoxId) return child;
  return nullptr;
}

void DestroyItemDialogWindow(HWND hwnd) {
  t_dialogs.erase(hwnd);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

}  // namespace kx2::shell

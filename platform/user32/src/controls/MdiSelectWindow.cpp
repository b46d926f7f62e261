// The "Select Window" dialog the window menu's "&More Windows..." item opens when the menu
// cannot list every child: the children's titles in a list with the active one chosen;
// OK or a double click on a title activates that child.
#include <string>
#include <vector>

#include "MdiClient.h"
#include "win/dialog.h"

namespace kx2::user32 {
namespace {

constexpr WORD kListId = 100;

struct Choice {
  std::vector<HWND> children;
  HWND active = nullptr;
};

// A DLGTEMPLATE in memory: the header, no menu, the default class, the title, then each
// item on a 4-byte boundary with its class ordinal, title and no creation data.
class TemplateWriter {
 public:
  void Header(DWORD style, WORD items, SHORT cx, SHORT cy, const std::u16string& title) {
    const DLGTEMPLATE t{style, 0, items, 0, 0, cx, cy};
    Raw(&t, sizeof t);
    Word(0);  // menu
    Word(0);  // class
    Text(title);
  }
  void Item(DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy, WORD id, WORD classOrdinal,
            const std::u16string& title) {
    while (bytes_.size() % 4) bytes_.push_back(0);
    const DLGITEMTEMPLATE t{static_cast<DWORD>(style | WS_CHILD | WS_VISIBLE), 0, x, y, cx, cy, id};
    Raw(&t, sizeof t);
    Word(0xFFFF);
    Word(classOrdinal);
    Text(title);
    Word(0);  // creation data
  }
  const DLGTEMPLATE* Get() {
    while (bytes_.size() % 4) bytes_.push_back(0);
    return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data());
  }

 private:
  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void Word(WORD w) { Raw(&w, sizeof w); }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  std::vector<uint8_t> bytes_;
};

void Choose(HWND dialog) {
  const LRESULT at = SendDlgItemMessageW(dialog, kListId, LB_GETCURSEL, 0, 0);
  EndDialog(dialog, at == LB_ERR ? 0 : at + 1);
}

INT_PTR CALLBACK SelectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* choice = reinterpret_cast<const Choice*>(lParam);
      for (size_t i = 0; i < choice->children.size(); ++i) {
        SendDlgItemMessageW(dialog, kListId, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(TextOf(choice->children[i]).c_str()));
        if (choice->children[i] == choice->active) SendDlgItemMessageW(dialog, kListId, LB_SETCURSEL, i, 0);
      }
      SetFocus(GetDlgItem(dialog, kListId));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_DBLCLK)) {
        Choose(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND SelectChild(HWND owner, const std::vector<HWND>& children, HWND active) {
  Choice choice{children, active};
  TemplateWriter t;
  t.Header(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 3, 180, 110, u"Select Window");
  t.Item(LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 166, 76, kListId, 0x0083, u"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 66, 89, 50, 14, IDOK, 0x0080, u"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 123, 89, 50, 14, IDCANCEL, 0x0080, u"Cancel");
  const INT_PTR chosen =
      DialogBoxIndirectParamW(nullptr, t.Get(), owner, &SelectProc, reinterpret_cast<LPARAM>(&choice));
  if (chosen <= 0 || static_cast<size_t>(chosen) > children.size()) return nullptr;
  HWND child = children[static_cast<size_t>(chosen) - 1];
  return IsWindow(child) ? child : nullptr;
}

}  // namespace kx2::user32

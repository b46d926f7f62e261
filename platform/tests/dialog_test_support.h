// Shared by the dialog tests, benchmark and fuzz target: a writer of dialog templates in
// both forms (field by field, little-endian), and small control classes that answer the
// dialog manager as the standard controls do, so the dialog manager is tested on its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/dialog.h"
#include "win/user.h"

namespace dlgtest {

struct Item {
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 10, cy = 10;
  DWORD id = 0;
  std::u16string className;  // empty: classOrdinal
  WORD classOrdinal = 0;
  std::u16string title;
  std::vector<BYTE> data;
  WORD titleOrdinal = 0;  // with an empty title: the title is this resource id
  DWORD helpId = 0;
};

class TemplateWriter {
 public:
  TemplateWriter(bool extended, DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy, std::u16string title = u"Dialog")
      : extended_(extended), style_(style), x_(x), y_(y), cx_(cx), cy_(cy), title_(std::move(title)) {}

  TemplateWriter& Font(WORD points, std::u16string face) {
    style_ |= DS_SETFONT;
    points_ = points;
    face_ = std::move(face);
    return *this;
  }
  // The extended form's weight, italic and character set, and the dialog's help id.
  TemplateWriter& FontDetails(WORD weight, BYTE italic, BYTE charSet) {
    weight_ = weight;
    italic_ = italic;
    charSet_ = charSet;
    return *this;
  }
  TemplateWriter& HelpId(DWORD helpId) {
    helpId_ = helpId;
    return *this;
  }
  TemplateWriter& ExStyle(DWORD exStyle) {
    exStyle_ = exStyle;
    return *this;
  }
  TemplateWriter& ClassName(std::u16string name) {
    className_ = std::move(name);
    return *this;
  }
  TemplateWriter& MenuOrdinal(WORD id) {
    menuOrdinal_ = id;
    return *this;
  }
  TemplateWriter& Add(Item item) {
    items_.push_back(std::move(item));
    return *this;
  }

  std::vector<BYTE> Bytes() const {
    std::vector<BYTE> out;
    if (extended_) {
      Word(out, 1);
      Word(out, 0xFFFF);
      Dword(out, helpId_);
      Dword(out, exStyle_);
      Dword(out, style_);
    } else {
      Dword(out, style_);
      Dword(out, exStyle_);
    }
    Word(out, static_cast<WORD>(items_.size()));
    Word(out, static_cast<WORD>(x_));
    Word(out, static_cast<WORD>(y_));
    Word(out, static_cast<WORD>(cx_));
    Word(out, static_cast<WORD>(cy_));
    if (menuOrdinal_) {
      Word(out, 0xFFFF);
      Word(out, menuOrdinal_);
    } else {
      Word(out, 0);
    }
    if (className_.empty())
      Word(out, 0);
    else
      Text(out, className_);
    Text(out, title_);
    if (style_ & DS_SETFONT) {
      Word(out, points_);
      if (extended_) {
        Word(out, weight_);
        out.push_back(italic_);
        out.push_back(charSet_);
      }
      Text(out, face_);
    }
    for (const Item& item : items_) {
      while (out.size() % 4) out.push_back(0);
      if (extended_) {
        Dword(out, item.helpId);
        Dword(out, item.exStyle);
        Dword(out, item.style);
      } else {
        Dword(out, item.style);
        Dword(out, item.exStyle);
      }
      Word(out, static_cast<WORD>(item.x));
      Word(out, static_cast<WORD>(item.y));
      Word(out, static_cast<WORD>(item.cx));
      Word(out, static_cast<WORD>(item.cy));
      if (extended_)
        Dword(out, item.id);
      else
        Word(out, static_cast<WORD>(item.id));
      if (item.className.empty()) {
        Word(out, 0xFFFF);
        Word(out, item.classOrdinal);
      } else {
        Text(out, item.className);
      }
      if (item.title.empty() && item.titleOrdinal) {
        Word(out, 0xFFFF);
        Word(out, item.titleOrdinal);
      } else {
        Text(out, item.title);
      }
      Word(out, static_cast<WORD>(item.data.size()));
      out.insert(out.end(), item.data.begin(), item.data.end());
    }
    return out;
  }

  static void Word(std::vector<BYTE>& out, WORD v) {
    out.push_back(static_cast<BYTE>(v & 0xFF));
    out.push_back(static_cast<BYTE>(v >> 8));
  }
  static void Dword(std::vector<BYTE>& out, DWORD v) {
    Word(out, static_cast<WORD>(v & 0xFFFF));
    Word(out, static_cast<WORD>(v >> 16));
  }
  static void Text(std::vector<BYTE>& out, const std::u16string& text) {
    for (char16_t c : text) Word(out, static_cast<WORD>(c));
    Word(out, 0);
  }
  static void Align4(std::vector<BYTE>& out) {
    while (out.size() % 4) out.push_back(0);
  }

 private:
  bool extended_;
  DWORD style_;
  DWORD exStyle_ = 0;
  SHORT x_, y_, cx_, cy_;
  std::u16string title_;
  std::u16string className_;
  WORD menuOrdinal_ = 0;
  WORD points_ = 8;
  WORD weight_ = 400;
  BYTE italic_ = 0;
  BYTE charSet_ = 1;
  DWORD helpId_ = 0;
  std::u16string face_;
  std::vector<Item> items_;
};

// The push, check and radio buttons of the tests: the check state in GWLP_USERDATA,
// BM_CLICK sending BN_CLICKED, BS_DEFPUSHBUTTON answered as DLGC_DEFPUSHBUTTON.
inline LRESULT CALLBACK TestButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const DWORD type = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & 0xF;
  switch (message) {
    case WM_GETDLGCODE:
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == 4 || type == 9) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      return DLGC_BUTTON;
    case BM_GETCHECK:
      return GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    case BM_SETCHECK:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      return 0;
    case BM_SETSTYLE: {
      const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
      SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~0xFFFFu) | LOWORD(wParam)));
      return 0;
    }
    case BM_CLICK:
      if (type == 9) SetWindowLongPtrW(hwnd, GWLP_USERDATA, BST_CHECKED);
      SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd));
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// An edit: wants characters and arrows, selects all when tabbed into (the last EM_SETSEL
// kept as a property for tests to read).
inline LRESULT CALLBACK TestEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case EM_SETSEL:
      SetPropW(hwnd, u"sel", reinterpret_cast<HANDLE>(static_cast<uintptr_t>(1 + (lParam == -1))));
      return 0;
    case WM_NCDESTROY:
      RemovePropW(hwnd, u"sel");
      return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

inline LRESULT CALLBACK TestStaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE) return DLGC_STATIC;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline void RegisterTestControls() {
  const std::pair<LPCWSTR, WNDPROC> classes[] = {
      {u"DlgTestButton", &TestButtonProc}, {u"DlgTestEdit", &TestEditProc}, {u"DlgTestStatic", &TestStaticProc}};
  for (const auto& [name, proc] : classes) {
    WNDCLASSW wc{};
    wc.style = CS_GLOBALCLASS;  // found from dialogs of any module, as the system's are
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    RegisterClassW(&wc);  // a second registration fails harmlessly
  }
}

}  // namespace dlgtest

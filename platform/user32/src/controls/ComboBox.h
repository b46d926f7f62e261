// The "ComboBox" class: a selection field over a list ("ComboLBox"). CBS_SIMPLE shows the
// list under an edit field for good; CBS_DROPDOWN (an edit field) and CBS_DROPDOWNLIST (a
// field showing the chosen item) drop the list below the field on a click on the button,
// F4 or Alt+Down. ComboBox.cpp makes the box and answers the CB_ messages,
// ComboBoxDrop.cpp drops and closes the list and takes its choices, keys and the mouse,
// ComboBoxPaint.cpp lays out and paints, ComboBoxEdit.cpp is the edit field's subclass.
#pragma once

#include <string>

#include "EditControlSupport.h"
#include "win/user.h"

namespace kx2::user32 {

// The edit field's procedure while it belongs to a combo box.
LRESULT CALLBACK ComboEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

class ComboBox {
 public:
  ComboBox(HWND hwnd, const CREATESTRUCTW& cs);
  void Destroyed() {}
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  // The edit field's subclass hands these on.
  LRESULT EditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
  // The combo box a window belongs to as its edit field, or null.
  static ComboBox* OfEdit(HWND edit);

 private:
  enum class Kind { Simple, DropDown, DropDownList };

  // ---- ComboBox.cpp ------------------------------------------------------------------------
  LRESULT Create(const CREATESTRUCTW& cs);
  LRESULT ComboMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ToList(UINT message, WPARAM wParam, LPARAM lParam) const;
  LRESULT Changing(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT SetCurSel(int index);
  LRESULT SetText(LPCWSTR text);
  LRESULT GetText(LPWSTR buffer, size_t capacity) const;
  LRESULT TextLength() const;
  LRESULT Info(COMBOBOXINFO* info) const;
  void SetFont(HFONT font, bool redraw);
  int MeasureField() const;
  int ListHeightFrom(int asked, int field) const;
  DWORD Style() const { return textctl::StyleOf(hwnd_); }
  bool OwnerDrawn() const { return (Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
  bool HasStrings() const { return !OwnerDrawn() || (Style() & CBS_HASSTRINGS); }
  // WM_COMMAND to the parent; false when the box did not live through it.
  bool Tell(int code) const;
  void SyncShown();
  void UpdateField();
  std::u16string ItemText(int index) const;

  // ---- ComboBoxDrop.cpp --------------------------------------------------------------------
  void Drop(bool held);
  void Close(bool keep);
  void ListCommand(WORD code);
  void EditCommand(WORD code);
  bool Key(UINT vk, bool alt);
  bool WantsKey(const MSG* msg) const;
  void ButtonDown(POINT p);
  void GotFocus();
  void LostFocus(HWND next);
  RECT DropRect() const;

  // ---- ComboBoxPaint.cpp -------------------------------------------------------------------
  int FieldHeight() const;
  RECT ButtonRect() const;
  RECT ItemRect() const;
  RECT SimpleListRect() const;
  void Layout();
  void FitHeight();
  UINT BackgroundMessage() const;
  void Paint(HDC dc);
  void PaintItem(HDC dc, const RECT& r, bool enabled, COLORREF text);

  HWND hwnd_;
  Kind kind_;
  HWND edit_ = nullptr;
  HWND list_ = nullptr;
  WNDPROC editProc_ = nullptr;  // what the edit field ran before the subclass
  HFONT font_ = nullptr;
  int fieldItemHeight_ = 18;
  bool fieldHeightSet_ = false;
  int listHeight_ = 0;  // the dropped list's height the box was made with
  int droppedWidth_ = 0;
  bool listScrolls_ = false;  // the box was made with WS_VSCROLL, which its list takes
  int shown_ = -1;            // the item the field shows
  int choiceAtDrop_ = -1;     // what closing without a choice goes back to
  bool dropped_ = false;
  bool pressed_ = false;
  bool focused_ = false;  // the focus is on the box or its edit field
  bool extendedUi_ = false;
  bool settingEdit_ = false;
  bool closing_ = false;
  bool sizing_ = false;
};

}  // namespace kx2::user32

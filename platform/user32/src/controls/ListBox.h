// The "ListBox" class and "ComboLBox", the list of a combo box: items with text or owner
// data, single, multiple and extended selection, sorting, owner-drawn fixed and variable
// items, one or many columns, scrolling with the window's own bars, keys and the mouse.
// ListBox.cpp answers the messages, ListBoxInput.cpp the keys and the mouse,
// ListBoxView.cpp places items and scrolls, ListBoxPaint.cpp paints.
#pragma once

#include <string>
#include <vector>

#include "EditControlSupport.h"
#include "ListBoxItems.h"
#include "win/user.h"

namespace kx2::user32 {

class ListBox {
 public:
  ListBox(HWND hwnd, const CREATESTRUCTW& cs);
  void Destroyed() {}
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  enum class Mode { Single, Multiple, Extended, None };

  // ---- ListBox.cpp: identity, owner, items and the LB_ messages ----------------------------
  LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Create();
  DWORD Style() const { return textctl::StyleOf(hwnd_); }
  Mode SelectionMode() const;
  bool OwnerDrawn() const { return (Style() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
  bool Variable() const { return (Style() & LBS_OWNERDRAWVARIABLE) != 0 && !MultiColumn(); }
  bool MultiColumn() const { return (Style() & LBS_MULTICOLUMN) != 0; }
  bool HasStrings() const { return !OwnerDrawn() || (Style() & LBS_HASSTRINGS); }
  HWND Owner() const;         // where owner-draw, colour and notification messages go
  HWND NotifyTarget() const;  // where WM_COMMAND goes
  UINT CtlType() const;
  UINT CtlId() const;
  HWND ItemWindow() const;
  void Notify(int code) const;
  void NotifySelChange() const;

  int Add(LPARAM value, int at, bool sorted);
  int SortedIndex(const ListItem& item) const;
  int Delete(int index);
  void Reset();
  void Deleted(int index, const ListItem& item) const;
  int Measure(int index, ULONG_PTR data) const;
  LRESULT GetText(int index, LPWSTR buffer) const;
  LRESULT TextLength(int index) const;
  LRESULT Find(int start, LPARAM value, bool exact) const;
  LRESULT SetCurSel(int index);
  LRESULT SetSel(bool select, int index);
  LRESULT SelectRange(bool select, int first, int last);
  LRESULT GetSelItems(int capacity, int* out) const;
  int SelCount() const;
  bool IsSelected(int index) const;
  LRESULT SetItemHeight(int index, int height);
  LRESULT GetItemHeight(int index) const;

  // ---- ListBoxInput.cpp: keys and the mouse ------------------------------------------------
  LRESULT Key(UINT vk);
  LRESULT Char(char16_t c);
  void MoveCaretBy(UINT vk);
  void GoTo(int index, bool shift, bool control);
  void ButtonDown(POINT p, bool doubleClick);
  void MouseMove(POINT p);
  void ButtonUp(POINT p);
  void DroppedButtonDown(POINT p, UINT message, WPARAM wParam, LPARAM lParam);
  void DroppedMouseMove(POINT p);
  void DroppedButtonUp(POINT p);
  void SetDropMode(WPARAM mode);
  void EndTracking();
  void ChooseByMouse(int index, bool first);
  int ItemUnder(POINT p, bool* inside) const;
  int TypeAhead(char16_t c);

  // ---- ListBoxView.cpp: where items lie and scrolling --------------------------------------
  int FixedHeight() const { return itemHeight_; }
  int HeightOf(int index) const;
  int PerColumn() const;
  int ColumnWidth() const;
  int FullyVisible() const;
  int LastTop() const;
  RECT ItemRect(int index) const;
  bool ItemRectOf(int index, RECT* r) const;
  void SetTop(int top);
  void ShowItem(int index);
  void UpdateScrollBars();
  void VerticalScroll(UINT code);
  void HorizontalScroll(UINT code);
  void ScrollColumns(int delta);
  void IntegralHeight();
  void InvalidateItem(int index) const;
  void Changed();  // the items changed: bars and the whole list again

  // ---- ListBoxPaint.cpp --------------------------------------------------------------------
  void Paint(HDC dc);
  void PaintItem(HDC dc, int index, const RECT& r, bool focusItem, bool enabled, COLORREF text) const;
  void DrawOwnerItem(HDC dc, int index, const RECT& r, UINT action, UINT state) const;
  bool ShowsFocus() const;

  HWND hwnd_;
  HWND combo_ = nullptr;  // the combo box this list belongs to
  // The bars the list was made with: hiding one while nothing scrolls takes its style away.
  bool verticalBar_ = false;
  bool horizontalBar_ = false;
  ListItems items_;
  int cursel_ = -1;  // single selection
  int caret_ = 0;
  int anchor_ = -1;
  int top_ = 0;
  int itemHeight_ = 16;
  int horizontalExtent_ = 0;
  int xOffset_ = 0;
  int columnWidth_ = 0;
  std::vector<int> tabs_;
  LCID locale_ = 0;
  HFONT font_ = nullptr;
  bool focused_ = false;
  bool tracking_ = false;      // a press is being dragged
  bool redraw_ = true;         // WM_SETREDRAW
  bool sizing_ = false;        // keeps integral height from sizing again inside itself
  bool updatingBars_ = false;  // showing a bar sizes the client, which updates the bars
  bool dropped_ = false;       // shown by a combo box, holding the mouse
  bool held_ = false;          // the press that dropped it is still down
  bool enteredList_ = false;   // that press has been over the list
  bool releasing_ = false;     // the capture goes by our own hand
  int choiceBefore_ = -1;      // the selection a mouse press started from
  std::u16string typed_;
  DWORD typedAt_ = 0;
};

}  // namespace kx2::user32

// The custom controls of an item dialog (IFileDialogCustomize): a table by control id.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "win/shobjidl.h"

namespace kx2::shell {

class DialogControls {
 public:
  enum class Kind {
    kOpenDropDown,
    kMenu,
    kPushButton,
    kComboBox,
    kRadioList,
    kCheckButton,
    kEditBox,
    kSeparator,
    kText,
    kGroup
  };

  HRESULT Add(DWORD id, Kind kind, LPCWSTR label);
  HRESULT SetLabel(DWORD id, LPCWSTR label);
  HRESULT GetState(DWORD id, CDCONTROLSTATEF* state) const;
  HRESULT SetState(DWORD id, CDCONTROLSTATEF state);
  HRESULT GetEditText(DWORD id, WCHAR** text) const;
  HRESULT SetEditText(DWORD id, LPCWSTR text);
  HRESULT GetChecked(DWORD id, BOOL* checked) const;
  HRESULT SetChecked(DWORD id, BOOL checked);
  HRESULT AddItem(DWORD id, DWORD item, LPCWSTR label);
  HRESULT RemoveItem(DWORD id, DWORD item);
  HRESULT RemoveAllItems(DWORD id);
  HRESULT GetItemState(DWORD id, DWORD item, CDCONTROLSTATEF* state) const;
  HRESULT SetItemState(DWORD id, DWORD item, CDCONTROLSTATEF state);
  HRESULT SetItemText(DWORD id, DWORD item, LPCWSTR label);
  // The chosen item; for the open drop-down, until one is chosen, its first enabled and
  // visible item (what pressing the button itself confirms). E_FAIL when there is none.
  HRESULT GetSelected(DWORD id, DWORD* item) const;
  HRESULT SetSelected(DWORD id, DWORD item);
  HRESULT StartGroup(DWORD id, LPCWSTR label);
  void EndGroup() { group_.reset(); }
  HRESULT MakeProminent(DWORD id);

  // What the user may choose: the control holding the item (the open drop-down first),
  // when both are enabled and visible; the item becomes its selection. False otherwise.
  bool ChooseItem(DWORD item, DWORD* control);

 private:
  struct Item {
    DWORD id;
    std::u16string label;
    CDCONTROLSTATEF state = CDCS_ENABLEDVISIBLE;
  };
  struct Control {
    Kind kind;
    std::u16string label;
    CDCONTROLSTATEF state = CDCS_ENABLEDVISIBLE;
    BOOL checked = FALSE;
    std::vector<Item> items;
    std::optional<DWORD> selected;
    std::optional<DWORD> group;
  };
  static bool HoldsItems(Kind kind);
  Control* Find(DWORD id);
  const Control* Find(DWORD id) const;
  static Item* FindItem(Control* control, DWORD item);

  std::map<DWORD, Control> controls_;
  std::optional<DWORD> group_;
  std::optional<DWORD> prominent_;
  std::optional<DWORD> openDropDown_;
};

}  // namespace kx2::shell
